#pragma once

#include "chess/color.h"

#include <cstdint>
#include <string>
#include <vector>

class EngineLevel;

// The game clocks an engine is told with a request, in milliseconds; unset
// (negative times) the level's fixed time per move holds.
struct EngineClock {
    int64_t baseMs = 0;
    int64_t incrementMs = 0;
    int64_t whiteMs = -1;
    int64_t blackMs = -1;

    bool isSet() const { return whiteMs >= 0 && blackMs >= 0; }
    int64_t own(Color side) const { return side == White ? whiteMs : blackMs; }

    // "go depth D wtime W btime B winc I binc I movetime M": the clocks, the
    // level's depth, and a time per move no longer than the level allows nor
    // than a share of the engine's own clock (for engines that read only
    // movetime).
    std::string uciGo(const EngineLevel& level, Color side) const;
    // "level 0 M:SS I", "time T", "otim O" (centiseconds) before "go".
    std::vector<std::string> xboardLines(Color side) const;
};
