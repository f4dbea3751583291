#pragma once

#include "app/chessclock.h"

#include <cstdint>

class ChessController;
class Game;
class PGNMove;

// The game's clocks in the program: read from the game's TimeControl tag and
// the "[%clk]" comments of the line to the shown move (so they resume after a
// restart), charged and written on every move, run only while the game goes
// on at the end of its line with the program in the foreground, shown in the
// header (repainted when the shown value changes: each second below a minute,
// each ten seconds above), ending the game when a flag falls.
class ClockKeeper {
public:
    explicit ClockKeeper(ChessController& controller);

    // Replaces the time source (tests: a fake clock).
    void setTimeSource(ChessClock::Now now);
    const ChessClock& clock() const { return m_clock; }

    // After every action: a move just played is charged, another game or
    // position read anew, the clock started or stopped.
    void sync();
    // The program came to the foreground (device awake) or left it.
    void setActive(bool active);
    // The repaint timer is due (called through Platform::defer).
    void tick(unsigned generation);

private:
    void load(const Game& game);
    bool shouldRun(const Game& game) const;
    void show();
    void schedule();
    void flagFall();

    ChessController& m_controller;
    ChessClock m_clock;
    bool m_active = true;
    int m_gameId = -2;
    const PGNMove* m_root = nullptr;
    const PGNMove* m_node = nullptr;
    unsigned m_generation = 0;
};

// Whether the side has mating material at all: a pawn, rook or queen, or two
// minor pieces.
bool can_mate(const class Board& board, Color side);
