#include "engine/enginelevel.h"

#include "core/trans.h"
#include "engine/ucioptions.h"

#include <algorithm>

namespace {

const char kSkill[] = "Skill Level";
const char kLimit[] = "UCI_LimitStrength";
const char kElo[] = "UCI_Elo";
const char kMultiPv[] = "MultiPV";

// One level. skill is out of 20 (scaled onto the engine's range), -1 for full
// skill; elo 0 plays unlimited; multiPv widens the choice of a reduced skill
// (0: the engine's default).
struct Rung {
    const char* description;
    int skill;
    int elo;
    int multiPv;
    int depth;
    int seconds;
};

// The Elo levels name skills for an engine that offers only "Skill Level".
const Rung kLadder[EngineLevel::kCount] = {
    {N_("1 · beginner, up to 1 s"), 0, 0, 12, 1, 1},
    {N_("2 · novice, up to 1 s"), 0, 0, 6, 1, 1},
    {N_("3 · casual player, up to 1 s"), 1, 0, 0, 2, 1},
    {N_("4 · hobby player, up to 1 s"), 2, 0, 0, 3, 1},
    {N_("5 · improving player, up to 1 s"), 4, 0, 0, 5, 1},
    {N_("6 · club player, up to 1 s"), 5, 1850, 0, 6, 1},
    {N_("7 · strong club player, up to 1 s"), 6, 1975, 0, 8, 1},
    {N_("8 · expert, up to 1 s"), 8, 2100, 0, 9, 1},
    {N_("9 · candidate master, up to 2 s"), 9, 2225, 0, 11, 2},
    {N_("10 · master, up to 2 s"), 11, 2350, 0, 13, 2},
    {N_("11 · strong master, up to 3 s"), 13, 2475, 0, 14, 3},
    {N_("12 · grandmaster, up to 3 s"), 15, 2600, 0, 16, 3},
    {N_("13 · strong grandmaster, up to 5 s"), -1, 0, 0, 16, 5},
    {N_("14 · near full strength, up to 10 s"), -1, 0, 0, 18, 10},
    {N_("15 · full strength, up to 15 s"), -1, 0, 0, 20, 15},
};

// outOf20 onto the option's range, rounded; in 64 bits, as a range may span
// all of int.
int scaled(const UciOptions::Option& option, int outOf20)
{
    if (option.max <= option.min)
        return option.max;
    const long long span = static_cast<long long>(option.max) - option.min;
    const long long value = option.min + (span * outOf20 + 10) / 20;
    return static_cast<int>(std::clamp<long long>(value, option.min, option.max));
}

} // namespace

int EngineLevel::clamp(int level)
{
    return std::clamp(level, 0, kCount - 1);
}

const char* EngineLevel::description(int level)
{
    return kLadder[clamp(level)].description;
}

EngineLevel EngineLevel::withDepth(int depth) const
{
    EngineLevel fixed = *this;
    if (depth > 0)
        fixed.m_depth = depth;
    return fixed;
}

EngineLevel EngineLevel::forXBoard(int level)
{
    level = clamp(level);
    return EngineLevel(level + 1, kLadder[level].seconds);
}

EngineLevel EngineLevel::forUci(int level, const UciOptions& options)
{
    level = clamp(level);
    const Rung& rung = kLadder[level];
    const UciOptions::Option* skill = options.find(kSkill);
    const UciOptions::Option* elo = options.has(kLimit) ? options.find(kElo) : nullptr;
    if (!skill && !elo)
        return forXBoard(level);

    EngineLevel plan(rung.depth, rung.seconds);
    // By Elo where the level names one, or where the engine has no skill to lower.
    const bool byElo = elo && rung.skill >= 0 && (rung.elo > 0 || !skill);
    const bool bySkill = skill && rung.skill >= 0 && !byElo;
    if (skill)
        plan.m_options.emplace_back(kSkill,
                                    std::to_string(scaled(*skill, bySkill ? rung.skill : 20)));
    if (elo) {
        plan.m_options.emplace_back(kLimit, byElo ? "true" : "false");
        if (byElo)
            plan.m_options.emplace_back(
                kElo, std::to_string(std::clamp(rung.elo, elo->min, std::max(elo->min, elo->max))));
    }
    // A wider choice makes the lowest skill weaker still; the engine's default otherwise.
    if (skill) {
        if (const UciOptions::Option* multiPv = options.find(kMultiPv))
            plan.m_options.emplace_back(kMultiPv, bySkill && rung.multiPv > 0
                                                      ? std::to_string(rung.multiPv)
                                                      : multiPv->defaultValue);
    }
    return plan;
}

std::vector<std::string> EngineLevel::uciOptionLines() const
{
    std::vector<std::string> lines;
    for (const auto& option : m_options)
        lines.push_back("setoption name " + option.first + " value " + option.second);
    return lines;
}

std::string EngineLevel::uciGo() const
{
    return "go depth " + std::to_string(m_depth) + " movetime " + std::to_string(m_seconds * 1000);
}

std::vector<std::string> EngineLevel::xboardLines(const std::string& depthCommand) const
{
    return {depthCommand + " " + std::to_string(m_depth), "st " + std::to_string(m_seconds)};
}

std::string EngineLevel::summary() const
{
    std::string text;
    for (const auto& option : m_options)
        text += option.first + " " + option.second + ", ";
    return text + "depth " + std::to_string(m_depth) + ", " + std::to_string(m_seconds) + " s";
}
