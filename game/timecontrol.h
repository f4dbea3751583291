#pragma once

#include <cstdint>
#include <string>

// A game's time control: a time per game and an increment per move, both in
// milliseconds; no time per game means no clock. As a PGN TimeControl tag it
// reads "300+3" (seconds), "600" or "-".
struct TimeControl {
    int64_t baseMs = 0;
    int64_t incrementMs = 0;

    bool enabled() const { return baseMs > 0; }
    bool operator==(const TimeControl& o) const
    {
        return baseMs == o.baseMs && incrementMs == o.incrementMs;
    }
    bool operator!=(const TimeControl& o) const { return !(*this == o); }

    // "-" when disabled.
    std::string toTag() const;
    // A tag this program does not play (moves per period, hourglass, junk)
    // gives no clock.
    static TimeControl fromTag(const std::string& text);
};

// The time controls of both sides, by colour.
struct GameTimeControl {
    TimeControl side[2];

    bool enabled() const { return side[0].enabled() || side[1].enabled(); }
    bool operator==(const GameTimeControl& o) const
    {
        return side[0] == o.side[0] && side[1] == o.side[1];
    }
    // Both sides the same.
    static GameTimeControl both(const TimeControl& control) { return {{control, control}}; }
};

// The "[%clk 0:04:59]" comment word pair: a clock's remaining time in
// whole seconds, rounded down.
std::string clock_comment(int64_t ms);
// The time of a "[%clk H:MM:SS]" or "[%clk H:MM:SS.s]" text; -1 if none.
int64_t parse_clock_comment(const std::string& text);

class Game;
class PGNMove;

// The game's time controls: the "TimeControl" tag (Black's from
// "BlackTimeControl" when they differ), else the "[%timecontrol W B]"
// comment that opens the move text (game bases keep no other tags).
GameTimeControl game_time_control(const Game& game);
// Sets both on an open game.
void set_game_time_control(Game& game, const GameTimeControl& control);

// The time a "[%clk]" comment right after the move records; -1 if none.
int64_t node_clock(const PGNMove* move);
// Puts a "{[%clk ...]}" comment right after the move.
void set_node_clock(PGNMove* move, int64_t ms);
