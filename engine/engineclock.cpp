#include "engine/engineclock.h"

#include "engine/enginelevel.h"

#include <algorithm>

std::string EngineClock::uciGo(const EngineLevel& level, Color side) const
{
    const int64_t share = std::max<int64_t>(50, own(side) / 20 + incrementMs * 3 / 4);
    const int64_t moveTime = std::min<int64_t>(int64_t{level.seconds()} * 1000, share);
    const std::string inc = std::to_string(incrementMs);
    return "go depth " + std::to_string(level.depth()) + " wtime " + std::to_string(whiteMs) +
           " btime " + std::to_string(blackMs) + " winc " + inc + " binc " + inc + " movetime " +
           std::to_string(moveTime);
}

std::vector<std::string> EngineClock::xboardLines(Color side) const
{
    const int64_t seconds = baseMs / 1000;
    std::string base = std::to_string(seconds / 60);
    if (seconds % 60)
        base += (seconds % 60 < 10 ? ":0" : ":") + std::to_string(seconds % 60);
    return {"level 0 " + base + " " + std::to_string(incrementMs / 1000),
            "time " + std::to_string(own(side) / 10),
            "otim " + std::to_string(own(opposite_color(side)) / 10)};
}
