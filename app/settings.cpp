#include "app/settings.h"

#include "core/configfileabstract.h"
#include "core/trans.h"
#include "engine/enginefactory.h"
#include "engine/enginelevel.h"
#include "engine/enginesettings.h"

#include <algorithm>

namespace {

// Every integer key: its name in the file, its default and its range. The
// defaults are those the program has always played with.
const Settings::IntKey kInts[Settings::IntCount] = {
    {"log_level", 2, 0, 3},
    {"lang", 0, 0, 9999},
    {"font_size_default", 25, 6, 200},
    {"font_size_header", 27, 6, 200},
    {"font_size_annotation", 20, 6, 200},
    {"font_size_history", 25, 6, 200},
    {"opponent", 0, 0, static_cast<int>(EngineFactory::kMaxEntries) - 1},
    {"level", 0, 0, EngineLevel::kCount - 1},
    {"promotion", 0, 0, 3},
    {"board.font", 0, 0, 99},
    {"history.size", 3, 0, 5, false},
    {"next_puzzle", 0, 0, 2, false},
    {"eink.full_every", 20, 0, 10000},
    {"engine.timeout", EngineSettings::kDefaultRequestTimeout, 0, 86400},
    {"hint_engine", -1, -1, static_cast<int>(EngineFactory::kMaxEntries) - 1},
    {"puzzle.order", 1, 0, 2},
    {"puzzle.difficulty", 2, 0, 4},
};

const Settings::FlagKey kFlags[Settings::FlagCount] = {
    {"board.font.aa", true},     {"board.annotation", false}, {"board.outer.frame", true},
    {"board.inner.frame", true}, {"header", false},           {"promotion.ask", true},
    {"draw.automatic", true},
};

const char kMyName[] = "my_name";
const char kLastOpened[] = "last_opened";
const char kMyBase[] = "my_base";
const char kPuzzleTheme[] = "puzzle.theme";

} // namespace

const Settings::IntKey& Settings::info(Int which)
{
    return kInts[which];
}

const Settings::FlagKey& Settings::info(Flag which)
{
    return kFlags[which];
}

int Settings::value(Int which) const
{
    const IntKey& key = kInts[which];
    const int stored = m_config ? m_config->readInt(key.key, key.defaultValue) : key.defaultValue;
    if (stored >= key.min && stored <= key.max)
        return stored;
    return key.clamps ? std::clamp(stored, key.min, key.max) : key.defaultValue;
}

void Settings::setValue(Int which, int value)
{
    const IntKey& key = kInts[which];
    if (m_config)
        m_config->writeInt(key.key, std::clamp(value, key.min, key.max));
}

bool Settings::flag(Flag which) const
{
    const FlagKey& key = kFlags[which];
    const int fallback = key.defaultValue ? 1 : 0;
    return (m_config ? m_config->readInt(key.key, fallback) : fallback) != 0;
}

void Settings::setFlag(Flag which, bool on)
{
    if (m_config)
        m_config->writeInt(kFlags[which].key, on ? 1 : 0);
}

namespace {
// The default name, stored in English so that it follows the language.
const char kDefaultName[] = "Human";
} // namespace

std::string Settings::myName() const
{
    const std::string name = m_config ? m_config->readString(kMyName, "") : std::string();
    return name.empty() || name == kDefaultName ? std::string(translated(kDefaultName)) : name;
}

void Settings::setMyName(const std::string& name)
{
    if (m_config)
        m_config->writeString(kMyName,
                              name == translated(kDefaultName) ? kDefaultName : name.c_str());
}

std::string Settings::puzzleTheme() const
{
    return m_config ? m_config->readString(kPuzzleTheme, "") : std::string();
}

void Settings::setPuzzleTheme(const std::string& theme)
{
    if (m_config)
        m_config->writeString(kPuzzleTheme, theme.c_str());
}

std::string Settings::lastOpened() const
{
    return m_config ? m_config->readString(kLastOpened, "") : std::string();
}

void Settings::setLastOpened(const std::string& path)
{
    if (m_config)
        m_config->writeString(kLastOpened, path.c_str());
}

std::string Settings::myBase() const
{
    const std::string path = m_config ? m_config->readString(kMyBase, "") : std::string();
    return path.empty() ? dataPath() + "/game.cdb" : path;
}

std::string Settings::rootPath() const
{
    return m_config ? m_config->getRootPath() : std::string(".");
}

std::string Settings::dataPath() const
{
    return m_config ? m_config->getDataPath() : std::string("./chess");
}
