#pragma once

#include "base/chessbase.h"
#include "chess/board.h"
#include "chess/color.h"
#include "views/viewstate.h"

#include <string>

// The controller's document: the open game base with its current game (the
// game on screen) and the view state around it, which is what the views read.
class ChessDocument : public ViewState {
public:
    ChessDocument();
    ChessDocument(const ChessDocument&) = delete;
    ChessDocument& operator=(const ChessDocument&) = delete;

    ChessBase database;

    Game& game() { return database.game; }
    const Game& game() const { return database.game; }

    // Opens the base (throws Exception on failure), then board mode.
    void loadBase(const char* path);
    // Closes the base, storing the current game.
    void closeBase();

    // The base makes a new current game on the start position; then its
    // headers, players and orientation are set up.
    void newGame(const Board& start, int white, int black, Color user, int parentRow);

    // Today's local date as PGN writes it: "%04d.%02d.%02d".
    static std::string today();

private:
    void setupNewGame(int white, int black, Color user, int parentRow);
};
