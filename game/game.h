#pragma once

#include "chess/board.h"
#include "chess/move.h"
#include "core/gameresult.h"
#include "game/lextoken.h"
#include "game/pgnmove.h"

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

// One game record: tag values, flags, result, start position and moves.
// A closed game holds its moves as PGN move text (moveText); an open game
// holds them as the element list from root, with current on the position
// shown. Only closed games are copied: a copy of an open game is a closed game
// with the last stored move text. Deleting a game frees its list.
class Game {
public:
    enum Flags {
        FlagReadOnly = 0x01,
        FlagPuzzle = 0x02,
        FlagSolved = 0x04,
        FlagDeleted = 0x10,
        FlagViewAsBlack = 0x20,
        FlagNotStored = 0x40,
        // A wrong move was played; the puzzle stays unsolved.
        FlagFailed = 0x80,
        // A hint or the solution was shown.
        FlagHelped = 0x100
    };

    // A closed game on the standard start position.
    Game();
    explicit Game(const Board& board);
    Game(const Game& other);
    Game& operator=(const Game& other);
    Game(Game&& other) noexcept;
    Game& operator=(Game&& other) noexcept;
    ~Game();

    // Resets a closed game: id -1, no flags, no tags, no moves; setUp tells
    // whether the board differs from the standard start position.
    void init(const Board& board);

    // --- PGN text (gamepgn.cpp)
    // Reads the next game (tag pairs and raw move text) from the stream.
    // False when only blank lines were left. Throws Exception on a malformed
    // game, after skipping the rest of it, so the next call reads the next
    // game. Call it until it returns false: a tag line that ends a game's
    // move text is kept with the stream for the next call.
    bool load(std::istream& in);
    // Builds the element list from moveText; nothing if already open. Throws
    // Exception on malformed move text (the partial list stays attached).
    void open();
    // Rewrites moveText from the list when store is true, the game is valid
    // and not a puzzle; then frees the list.
    void close(bool store);
    // Appends the list from first to its end in the program's layout.
    static void store_to_string(const PGNElement* first, std::string* out);
    // Builds the list after root from move-text tokens; returns the move
    // marked "$500", or null.
    static PGNMove* build_moves_history(PGNMove* root, const std::vector<lex::Token>& tokens);
    // Writes a closed game as PGN: the seven standard tags, "SetUp" and "FEN"
    // for a set-up position, the other tags by name, "Flags" when not 0,
    // "ViewAs" when it differs from the side to move at the start; a blank
    // line, moveText, a blank line.
    void writePGN(std::ostream& out) const;

    // --- Model (game.cpp)
    bool isOpen() const { return root != nullptr; }
    // Deletes first and every element after it (iteratively).
    static void clear(PGNElement* first);
    // Marks the game unreadable: errorText, an empty board, only the root.
    void invalidate(const std::string& text);

    // Navigation; true when current changed.
    bool firstPosition();
    bool prevPosition();
    bool nextPosition();
    bool lastPosition();
    bool prevVariant();
    bool nextVariant();

    // Plays a legal move at current: steps onto an equal continuation,
    // extends the line, or opens a new variation.
    void addMove(const Move& move);
    // Reads the SAN against current's position (its Exception passes through).
    void addMove(const std::string& san);
    // Removes from and the rest of its line after it (moves, comments, NAGs),
    // with the variation that is left without a move; current goes to from's
    // parent when it was removed. False, and nothing removed, for the root or
    // when a variation branches off in that part of the line.
    bool removeLineFrom(PGNMove* from);

    // Hides the following moves of the side to move at current.
    void setupPuzzle();
    // True when no move of the list is hidden.
    bool checkPuzzleSolved() const;

    // "*", "1-0", "0-1", "1/2-1/2".
    static const char* game_result_to_str(GameResult result);
    // 1 for "1-0", 2 for "0-1", 3 for "1/2-1/2", else 0.
    static GameResult str_to_game_result(const std::string& text);

    int id = -1;
    int parent = 0;
    unsigned flags = 0;
    std::string event;
    std::string site;
    std::string date;
    std::string round;
    std::string white;
    std::string black;
    GameResult result = ResultInProgress;
    std::string moveText;
    bool setUp = false;
    Board startBoard;
    std::map<std::string, std::string> headers;
    int whitePlayer = 0;
    int blackPlayer = 0;
    PGNMove* current = nullptr;
    PGNMove* root = nullptr;
    std::string errorText;

private:
    void copyClosed(const Game& other);
    // build_moves_history without settling the deferred mate searches.
    static PGNMove* build_moves(PGNMove* root, const std::vector<lex::Token>& tokens);
};
