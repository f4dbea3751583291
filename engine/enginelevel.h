#pragma once

#include <string>
#include <vector>

class UciOptions;

// The strength ladder behind the setting "level" (0 ... 14): what an engine is
// sent at each level. A UCI engine that offers "Skill Level" or
// "UCI_LimitStrength"/"UCI_Elo" plays the low levels with a reduced skill and
// a low depth, the middle ones at a limited Elo and the top ones unlimited with
// growing depth; XBoard engines and UCI engines without these options search to
// depth level + 1. Every level bounds the time of a search as well, and its
// description says so.
class EngineLevel {
public:
    static constexpr int kCount = 15;

    // The level's description for the player, untranslated ("1 · beginner, up
    // to 1 s"); level is clamped to the ladder.
    static const char* description(int level);
    static int clamp(int level);

    // What a UCI engine with these options is sent at the level.
    static EngineLevel forUci(int level, const UciOptions& options);
    // The depth ladder of XBoard engines.
    static EngineLevel forXBoard(int level);

    // "setoption name N value V" lines, sent before the search.
    std::vector<std::string> uciOptionLines() const;
    // "go depth D movetime MS".
    std::string uciGo() const;
    // "sd D" (or depthCommand D), "st S".
    std::vector<std::string> xboardLines(const std::string& depthCommand = "sd") const;

    // The same options and time bound searched to depth instead (0: unchanged).
    EngineLevel withDepth(int depth) const;

    int depth() const { return m_depth; }
    int seconds() const { return m_seconds; }
    // A short account of what is sent, e.g. "Skill Level 3, depth 4, 1 s".
    std::string summary() const;

private:
    EngineLevel(int depth, int seconds) : m_depth(depth), m_seconds(seconds) {}

    std::vector<std::pair<std::string, std::string>> m_options;
    int m_depth;
    int m_seconds;
};
