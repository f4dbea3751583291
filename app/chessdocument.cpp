#include "app/chessdocument.h"

#include <cstdio>
#include <ctime>

ChessDocument::ChessDocument() : ViewState(&database.game)
{
    headingOf = [this](int gameId) {
        const ChessBase::HeaderItem* header = database.getHeader(gameId);
        return header ? header->text : std::string();
    };
}

void ChessDocument::loadBase(const char* path)
{
    progress = PuzzleProgress();
    database.open(path);
    mode = BoardMode;
}

void ChessDocument::closeBase()
{
    progress = PuzzleProgress();
    database.close();
}

void ChessDocument::newGame(const Board& start, int white, int black, Color user, int parentRow)
{
    database.newGame(start);
    setupNewGame(white, black, user, parentRow);
}

void ChessDocument::setupNewGame(int white, int black, Color user, int parentRow)
{
    Game& g = game();
    g.parent = parentRow;
    g.event = "inkmate match";
    g.site = "inkmate";
    g.date = today();
    g.round = "-";
    g.whitePlayer = white;
    g.blackPlayer = black;
    if (g.root)
        g.result = g.root->result;
    if (user == Black)
        g.flags |= Game::FlagViewAsBlack;
    else
        g.flags &= ~static_cast<unsigned>(Game::FlagViewAsBlack);
    mode = BoardMode;
    cursor = user == Black ? Position(4, 6) : Position(4, 1);
}

std::string ChessDocument::today()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%04d.%02d.%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    return text;
}
