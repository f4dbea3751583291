#pragma once

#include "chess/color.h"
#include "game/timecontrol.h"

#include <cstdint>
#include <functional>

// The two clocks of a game, each with its own time control (a side without
// one has all the time it wants), on a time source handed in (milliseconds
// from any fixed point; tests pass a fake one). The clock of the side to
// move runs while the clock is running (the game goes on at the end of its
// line, the program is in the foreground and the device awake).
class ChessClock {
public:
    using Now = std::function<int64_t()>;

    explicit ChessClock(Now now) : m_now(std::move(now)) {}

    // Both clocks set, stopped, side to move given.
    void reset(const GameTimeControl& control, int64_t whiteMs, int64_t blackMs, Color toMove);
    const GameTimeControl& control() const { return m_control; }
    // Either side has a clock.
    bool enabled() const { return m_control.enabled(); }
    bool hasClock(Color side) const { return m_control.side[side].enabled(); }

    void setRunning(bool running);
    bool isRunning() const { return m_running; }
    Color sideToMove() const { return m_toMove; }

    // The side that moved: its time is charged, it gets the increment (unless
    // its flag fell) and the other side's clock runs. Returns its time left.
    int64_t moveMade(Color mover);
    int64_t remaining(Color side) const;
    // The side to move has no time left.
    bool flagFell() const { return hasClock(m_toMove) && remaining(m_toMove) <= 0; }

    // What the header shows: "h:mm:ss" from an hour, "m:ss" below, with the
    // seconds in steps of ten above a minute.
    static std::string text(int64_t ms);
    // Milliseconds until text() of the running clock changes; -1 when it
    // is stopped or the side to move has no clock.
    int64_t untilShownChange() const;

private:
    // Charges the running clock up to now.
    void settle();

    Now m_now;
    GameTimeControl m_control;
    int64_t m_left[2] = {0, 0};
    Color m_toMove = White;
    bool m_running = false;
    int64_t m_since = 0;
};
