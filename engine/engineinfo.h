#pragma once

#include <string>
#include <vector>

// What a UCI engine says of its search on an "info" line: the depth, the
// score for the side to move (centipawns, or moves to mate: above 0 the side
// to move mates, below 0 it is mated) and the principal variation in
// coordinate notation.
struct EngineInfo {
    int depth = 0;
    bool mate = false;
    int score = 0;
    std::vector<std::string> pv;
};

// Reads an "info" line that carries an exact score ("score cp N" or "score mate
// N", not a bound); false for any other line.
bool parse_uci_info(const std::string& line, EngineInfo* out);
