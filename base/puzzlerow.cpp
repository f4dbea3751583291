// One row of the puzzle CSV file: its columns, the filter, and the puzzle
// game it becomes.
#include "base/puzzleimport.h"

#include "chess/board.h"
#include "chess/san.h"
#include "core/exception.h"
#include "game/game.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <strings.h>
#include <utility>

const char* const PuzzleImport::kHeader =
    "PuzzleId,FEN,Moves,Rating,RatingDeviation,Popularity,NbPlays,Themes,GameUrl,OpeningTags";

bool PuzzleImport::readInt(const std::string& text, int* out)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long value = strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || value < INT_MIN || value > INT_MAX)
        return false;
    *out = static_cast<int>(value);
    return true;
}

namespace {

const char kDot[] = " \xC2\xB7 "; // " · "

// "hangingPiece" becomes "hanging piece", "mateIn2" "mate in 2".
void append_theme_words(std::string& out, std::string_view theme)
{
    for (size_t i = 0; i < theme.size(); ++i) {
        const char c = theme[i];
        const bool digit = c >= '0' && c <= '9';
        const bool upper = c >= 'A' && c <= 'Z';
        if (i > 0 && (upper || (digit && !(theme[i - 1] >= '0' && theme[i - 1] <= '9'))))
            out += ' ';
        out += upper ? static_cast<char>(c - 'A' + 'a') : c;
    }
}

// Themes that say how long, when or between whom, not what to look for.
bool is_background_theme(std::string_view theme)
{
    static const char* const names[] = {
        "short",  "long",           "veryLong", "oneMove", "opening",  "middlegame", "endgame",
        "master", "masterVsMaster", "superGM",  "mate",    "crushing", "advantage",  "equality"};
    for (const char* name : names) {
        if (theme == name)
            return true;
    }
    return false;
}

} // namespace

std::string PuzzleImport::eventText(bool whiteSolves, const std::string& themes, int rating)
{
    // The task: the mate's length, else the first motif among the themes, else
    // what is to be won.
    std::string_view task;
    std::string_view fallback;
    const std::string_view all = themes;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find(' ', start);
        if (end == std::string_view::npos)
            end = all.size();
        const std::string_view theme = all.substr(start, end - start);
        start = end + 1;
        if (theme.empty())
            continue;
        if (theme.compare(0, 6, "mateIn") == 0) {
            task = theme;
            break;
        }
        if (theme == "mate" || theme == "crushing" || theme == "advantage" || theme == "equality") {
            if (fallback.empty() || theme == "mate")
                fallback = theme;
        } else if (task.empty() && !is_background_theme(theme))
            task = theme;
    }
    std::string out = whiteSolves ? "White" : "Black";
    out += " to move";
    out += kDot;
    if (!task.empty())
        append_theme_words(out, task);
    else
        out += fallback.empty() ? std::string_view("find the best move") : fallback;
    out += kDot;
    out += std::to_string(rating);
    return out;
}

long PuzzleImport::bandStart(int rating)
{
    // Bands start at multiples of 200, also below zero.
    return (static_cast<long>(rating) - (rating < 0 ? 199 : 0)) / 200 * 200;
}

std::string PuzzleImport::bandText(int rating)
{
    const long low = bandStart(rating);
    return std::to_string(low) + "-" + std::to_string(low + 199);
}

bool PuzzleImport::splitRow(const char* text, size_t length, std::vector<std::string>* columns)
{
    columns->resize(ColCount);
    size_t index = 0;
    const char* end = text + length;
    const char* start = text;
    for (;;) {
        const char* comma = static_cast<const char*>(memchr(start, ',', end - start));
        const char* stop = comma ? comma : end;
        if (index < ColCount)
            (*columns)[index].assign(start, stop);
        ++index;
        if (!comma)
            break;
        start = comma + 1;
    }
    if (index != ColCount)
        columns->resize(index);
    return index == ColCount;
}

bool PuzzleImport::hasTheme(std::string_view themes, std::string_view name)
{
    size_t start = 0;
    while (start < themes.size()) {
        size_t end = themes.find(' ', start);
        if (end == std::string_view::npos)
            end = themes.size();
        if (end - start == name.size() &&
            strncasecmp(themes.data() + start, name.data(), name.size()) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

bool PuzzleImport::matches(const Filter& filter, const std::vector<std::string>& columns,
                           int rating)
{
    if (rating < filter.minRating || rating > filter.maxRating)
        return false;
    if (filter.minPopularity != INT_MIN) {
        int popularity = 0;
        if (!readInt(columns[ColPopularity], &popularity) || popularity < filter.minPopularity)
            return false;
    }
    const std::string& themes = columns[ColThemes];
    for (const std::string& theme : filter.excludedThemes) {
        if (hasTheme(themes, theme))
            return false;
    }
    if (filter.themeGroups.empty())
        return true;
    for (const std::vector<std::string>& group : filter.themeGroups) {
        bool all = true;
        for (const std::string& theme : group)
            all = all && hasTheme(themes, theme);
        if (all)
            return true;
    }
    return false;
}

bool PuzzleImport::convert(const std::vector<std::string>& columns, Puzzle* puzzle,
                           std::string* message)
{
    static const char* const names[] = {"rating", "rating deviation", "popularity",
                                        "number of plays"};
    const Column columnOf[] = {ColRating, ColDeviation, ColPopularity, ColPlays};
    int* const out[] = {&puzzle->rating, &puzzle->deviation, &puzzle->popularity, &puzzle->plays};
    for (size_t i = 0; i < 4; ++i) {
        if (!readInt(columns[columnOf[i]], out[i])) {
            *message = std::string(names[i]) + " is not a number: \"" + columns[columnOf[i]] + "\"";
            return false;
        }
    }
    Board board;
    try {
        board.importFromFEN(columns[ColFen]);
    } catch (const Exception& e) {
        *message = e.what();
        return false;
    }
    const Color solver = board.getColorToMove() == White ? Black : White;
    std::string& text = puzzle->moveText;
    text.clear();
    // The themes, in full, as a comment in front of the moves.
    if (!columns[ColThemes].empty()) {
        text += '{';
        for (char c : columns[ColThemes])
            text += c == '{' || c == '}' ? ' ' : c;
        text += "} ";
    }
    const std::string& moves = columns[ColMoves];
    // The position before and after each move; they swap places.
    Board spare;
    Board* now = &board;
    Board* next = &spare;
    size_t start = 0;
    int number = 0;
    bool mate = false;
    while (start < moves.size()) {
        size_t end = moves.find(' ', start);
        if (end == std::string::npos)
            end = moves.size();
        const std::string uci = moves.substr(start, end - start);
        start = end + 1;
        if (uci.empty())
            continue;
        ++number;
        Move move;
        const bool parsed = move.setFromString(uci) && move.fromX >= 0 && move.fromX < 8 &&
                            move.fromY >= 0 && move.fromY < 8 && move.toX >= 0 && move.toX < 8 &&
                            move.toY >= 0 && move.toY < 8;
        const Piece* piece = parsed ? now->getPiece(move.fromX, move.fromY) : nullptr;
        const Color mover = now->getColorToMove();
        // The rule set's answer alone: the board's own test would also search
        // for mate after every move.
        int bits = piece && piece->color == mover ? now->moveBits(move) : Piece::MoveInvalid;
        if (!(bits & Piece::MoveInvalid)) {
            *next = *now;
            next->doMove(move);
        }
        const bool promotes = (bits & Piece::MovePromotion) != 0;
        if ((bits & Piece::MoveInvalid) || promotes != (move.promotion != 0)) {
            *message = "move " + std::to_string(number) + " (" + uci + ") is not legal";
            if (promotes && move.promotion == 0)
                *message += ": the promotion piece is missing";
            return false;
        }
        if (number > 1)
            text += ' ';
        if (mover == White)
            text += std::to_string(now->fullMoveNumber) + '.';
        char san[16];
        text.append(san, write_san(san, *now, move, bits));
        std::swap(now, next);
        const Color side = now->getColorToMove();
        const bool check = now->isCheck(side);
        // Only the last move can mate: a move after a mate is not legal.
        const bool last = moves.find_first_not_of(' ', start) == std::string::npos;
        mate = check && last && now->isNoMoves(side);
        if (check)
            text += mate ? '#' : '+';
        if (number == 1)
            text += " $500";
    }
    if (number < 2) {
        *message = number == 0 ? "no moves" : "no move for the solver";
        return false;
    }
    puzzle->result =
        mate ? (solver == White ? ResultWhiteWins : ResultBlackWins) : ResultInProgress;
    text += ' ';
    text += Game::game_result_to_str(puzzle->result);
    puzzle->fen = columns[ColFen];
    puzzle->event = eventText(solver == White, columns[ColThemes], puzzle->rating);
    // The board is shown from the solver's side, as for a puzzle read from PGN.
    puzzle->flags = Game::FlagPuzzle | (solver == White ? 0u : unsigned(Game::FlagViewAsBlack));
    puzzle->site = columns[ColUrl];
    puzzle->round = columns[ColId];
    puzzle->themes = columns[ColThemes];
    puzzle->opening = columns[ColOpenings];
    return true;
}
