#include "app/settings.h"
#include "core/configfileqt.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using testsupport::TempDir;

namespace {

Settings::Int int_key(int i)
{
    return static_cast<Settings::Int>(i);
}

Settings::Flag flag_key(int i)
{
    return static_cast<Settings::Flag>(i);
}

} // namespace

TEST(Settings, EveryKeyOnceWithItsDefaultInsideItsRange)
{
    TempDir dir;
    ConfigFileQt config(QString::fromStdString(dir.path()));
    const Settings empty(&config);
    const Settings none(nullptr);
    std::set<std::string> keys = {"my_name", "last_opened"};
    for (int i = 0; i < Settings::IntCount; ++i) {
        const Settings::IntKey& key = Settings::info(int_key(i));
        EXPECT_TRUE(keys.insert(key.key).second) << key.key;
        EXPECT_LE(key.min, key.defaultValue) << key.key;
        EXPECT_LE(key.defaultValue, key.max) << key.key;
        EXPECT_EQ(empty.value(int_key(i)), key.defaultValue) << key.key;
        EXPECT_EQ(none.value(int_key(i)), key.defaultValue) << key.key;
    }
    for (int i = 0; i < Settings::FlagCount; ++i) {
        const Settings::FlagKey& key = Settings::info(flag_key(i));
        EXPECT_TRUE(keys.insert(key.key).second) << key.key;
        EXPECT_EQ(empty.flag(flag_key(i)), key.defaultValue) << key.key;
    }
    // The defaults the program has always played with.
    EXPECT_EQ(empty.value(Settings::Level), 0);
    EXPECT_FALSE(empty.flag(Settings::Header));
    EXPECT_FALSE(empty.flag(Settings::BoardAnnotation));
    EXPECT_EQ(empty.myName(), "Human");
    EXPECT_EQ(empty.lastOpened(), "");
    EXPECT_EQ(empty.dataPath(), dir.path() + "/chess");
    // Reading writes nothing.
    EXPECT_TRUE(testsupport::folderEntries(dir.path()).empty());
}

TEST(Settings, HandWrittenValuesReadInsideTheirRangeAndWritesStayThere)
{
    TempDir dir;
    testsupport::writeFile(dir.file("inkmate.cfg"), "[General]\n"
                                                    "level=99\n"
                                                    "history.size=-4\n"
                                                    "promotion=abc\n"
                                                    "next_puzzle=3\n"
                                                    "header=7\n"
                                                    "board.inner.frame=0\n"
                                                    "board.font.aa=-1\n"
                                                    "font_size_header=0\n");
    ConfigFileQt config(QString::fromStdString(dir.path()));
    Settings settings(&config);
    EXPECT_EQ(settings.value(Settings::Level), 14);
    EXPECT_EQ(settings.value(Settings::HistorySize), 3);
    EXPECT_EQ(settings.value(Settings::Promotion), 0);
    // Any other value than 1 or 2 stays on the solved puzzle.
    EXPECT_EQ(settings.value(Settings::NextPuzzle), 0);
    EXPECT_EQ(settings.value(Settings::FontSizeHeader),
              Settings::info(Settings::FontSizeHeader).min);
    EXPECT_TRUE(settings.flag(Settings::Header));
    EXPECT_FALSE(settings.flag(Settings::BoardInnerFrame));
    EXPECT_TRUE(settings.flag(Settings::BoardFontAntiAliasing));

    settings.setValue(Settings::Level, 40);
    settings.setValue(Settings::Opponent, -2);
    settings.setFlag(Settings::Header, false);
    settings.setMyName("Łukasz");
    EXPECT_EQ(testsupport::readFile(dir.file("inkmate.cfg")), "[General]\n"
                                                              "level=14\n"
                                                              "history.size=-4\n"
                                                              "promotion=abc\n"
                                                              "next_puzzle=3\n"
                                                              "header=0\n"
                                                              "board.inner.frame=0\n"
                                                              "board.font.aa=-1\n"
                                                              "font_size_header=0\n"
                                                              "opponent=0\n"
                                                              "my_name=Łukasz\n");
    EXPECT_EQ(settings.myName(), "Łukasz");
}
