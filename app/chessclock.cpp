#include "app/chessclock.h"

#include <cstdio>

namespace {
// The remaining time shown: seconds rounded up, in whole tens above a minute.
int64_t shownSeconds(int64_t ms)
{
    if (ms <= 0)
        return 0;
    const int64_t seconds = (ms + 999) / 1000;
    return seconds > 60 ? seconds / 10 * 10 : seconds;
}
} // namespace

void ChessClock::reset(const GameTimeControl& control, int64_t whiteMs, int64_t blackMs,
                       Color toMove)
{
    m_control = control;
    m_left[White] = whiteMs;
    m_left[Black] = blackMs;
    m_toMove = toMove;
    m_running = false;
}

void ChessClock::settle()
{
    const int64_t now = m_now();
    if (m_running)
        m_left[m_toMove] -= now - m_since;
    m_since = now;
}

void ChessClock::setRunning(bool running)
{
    if (!enabled())
        running = false;
    settle();
    m_running = running;
}

int64_t ChessClock::moveMade(Color mover)
{
    settle();
    if (m_left[mover] > 0)
        m_left[mover] += m_control.side[mover].incrementMs;
    m_toMove = opposite_color(mover);
    return m_left[mover];
}

int64_t ChessClock::remaining(Color side) const
{
    int64_t left = m_left[side];
    if (m_running && side == m_toMove)
        left -= m_now() - m_since;
    return left > 0 ? left : 0;
}

std::string ChessClock::text(int64_t ms)
{
    const int64_t seconds = shownSeconds(ms);
    char text[32];
    if (seconds >= 3600)
        std::snprintf(
            text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
            static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    return text;
}

int64_t ChessClock::untilShownChange() const
{
    if (!m_running || !hasClock(m_toMove))
        return -1;
    const int64_t left = remaining(m_toMove);
    if (left <= 0)
        return -1;
    // The shown value changes once the time is down to a second below it.
    return left - (shownSeconds(left) - 1) * 1000;
}
