#pragma once

#include "base/chessbase.h"
#include "chess/board.h"
#include "chess/color.h"
#include "chess/move.h"
#include "chess/position.h"
#include "core/gameresult.h"
#include "game/game.h"
#include "game/pgnmove.h"

#include <cstdio>
#include <ctime>

// The controller's document: the open game base with its current game (the
// game on screen) and the interaction state around it: the mode, the board
// cursor and the selected square. The views read it; the controller changes
// it. A hint marks the two squares of a move suggested for the shown
// position. Free of view code, so the controller and the views both include it.
class ChessDocument {
public:
    // Which part of the screen the keys act on.
    enum GameMode { BoardMode = 0, HistoryMode = 1 };

    // Solved and total puzzles of the base and of the contents heading of
    // the shown puzzle, as last counted: painting never asks the base.
    struct PuzzleProgress {
        bool known = false;
        // The rows the heading covers; the whole base when there is none.
        int first = 0;
        int last = 0;
        ChessBase::PuzzleCount base;
        ChessBase::PuzzleCount heading;
        bool operator==(const PuzzleProgress& o) const
        {
            return known == o.known && first == o.first && last == o.last &&
                   base.solved == o.base.solved && base.total == o.base.total &&
                   heading.solved == o.heading.solved && heading.total == o.heading.total;
        }
        bool operator!=(const PuzzleProgress& o) const { return !(*this == o); }
    };

    ChessBase database;
    GameMode mode = BoardMode;
    Position cursor;
    Position selection;
    // The suggested move; the null move when there is none.
    Move hint;
    PuzzleProgress progress;

    Game& game() { return database.game; }
    const Game& game() const { return database.game; }

    // Opens the base (throws Exception on failure), then board mode.
    void loadBase(const char* path)
    {
        progress = PuzzleProgress();
        database.open(path);
        mode = BoardMode;
    }
    // Closes the base, storing the current game. The path is not used.
    void saveBase(const char* path)
    {
        (void)path;
        progress = PuzzleProgress();
        database.close();
    }

    // The base makes a new current game on the start position; then its
    // headers, players and orientation are set up.
    void newGame(const Board& start, int white, int black, Color user, int parentRow)
    {
        database.newGame(start);
        setupNewGame(white, black, user, parentRow);
    }

    void setupNewGame(int white, int black, Color user, int parentRow)
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

    // State of the shown game, as the views and the key handling test it.
    bool isFlipped() const { return (game().flags & Game::FlagViewAsBlack) != 0; }
    bool isPuzzle() const { return (game().flags & Game::FlagPuzzle) != 0; }
    bool isSolvedPuzzle() const
    {
        return (game().flags & (Game::FlagPuzzle | Game::FlagSolved)) ==
               (Game::FlagPuzzle | Game::FlagSolved);
    }
    bool hasError() const { return !game().errorText.empty(); }
    // The node of the shown position, or null while no game is open.
    const PGNMove* currentNode() const { return game().current; }
    // Whether the shown position ends the game (mate or a draw by rule).
    bool isOver() const
    {
        const PGNMove* node = currentNode();
        return node && node->result != ResultInProgress;
    }

    // Today's local date as PGN writes it: "%04d.%02d.%02d".
    static std::string today()
    {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char text[32];
        std::snprintf(text, sizeof text, "%04d.%02d.%02d", local.tm_year + 1900, local.tm_mon + 1,
                      local.tm_mday);
        return text;
    }
};
