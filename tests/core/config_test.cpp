#include "core/configfileqt.h"
#include "tests/support/test_support.h"

#include <QSettings>

#include <gtest/gtest.h>

using testsupport::TempDir;

TEST(ConfigFile, NumbersFallBackToTheDefaultAndTextsRoundTrip)
{
    TempDir dir;
    testsupport::writeFile(dir.file("inkmate.cfg"), "[General]\nhistory.size=abc\nlevel=7\n");
    {
        ConfigFileQt config(QString::fromStdString(dir.path()));
        EXPECT_EQ(config.readInt("history.size", 3), 3);
        EXPECT_EQ(config.readInt("level", 0), 7);
        EXPECT_EQ(config.readInt("missing", 42), 42);
        EXPECT_EQ(config.readString("missing", "dflt"), "dflt");

        config.writeString("my_name", "Jürgen Łukasz Кирилл");
        config.writeInt("board.font.aa", 0);
        EXPECT_EQ(config.getRootPath(), dir.path());
        EXPECT_EQ(config.getDataPath(), dir.path() + "/chess");
    }
    // Every write reaches the disk at once, in UTF-8, under the exact key.
    const std::string text = testsupport::readFile(dir.file("inkmate.cfg"));
    EXPECT_NE(text.find("Jürgen Łukasz Кирилл"), std::string::npos) << text;
    EXPECT_NE(text.find("board.font.aa=0"), std::string::npos) << text;

    ConfigFileQt again(QString::fromStdString(dir.path()));
    EXPECT_EQ(again.readString("my_name", ""), "Jürgen Łukasz Кирилл");
    EXPECT_EQ(again.readInt("board.font.aa", 1), 0);
}

TEST(ConfigFile, WritesSurviveWithoutOrderlyShutdown)
{
    TempDir dir;
    auto* config = new ConfigFileQt(QString::fromStdString(dir.path()));
    config->writeInt("opponent", 2);
    // Read the file while the store is still alive, as after a power loss.
    EXPECT_NE(testsupport::readFile(dir.file("inkmate.cfg")).find("opponent=2"), std::string::npos);
    delete config;
}

TEST(ConfigFile, GarbageFileNeverCrashes)
{
    TempDir dir;
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.push_back(static_cast<char>((i * 7919) % 256));
    testsupport::writeFile(dir.file("inkmate.cfg"), garbage + "\n[General\nlevel\n=\n");
    ConfigFileQt config(QString::fromStdString(dir.path()));
    EXPECT_EQ(config.readInt("level", 5), 5);
    EXPECT_EQ(config.readString("engine_00", ""), "");
}

TEST(ConfigFile, HandWrittenEntriesWithCommasAndSeparators)
{
    TempDir dir;
    testsupport::writeFile(dir.file("inkmate.cfg"),
                           "[General]\nengine_01=UCI|Fish, the strong one|engines/stockfish\n"
                           "lang_2=ru:Русский\n");
    ConfigFileQt config(QString::fromStdString(dir.path()));
    EXPECT_EQ(config.readString("engine_01", ""), "UCI|Fish, the strong one|engines/stockfish");
    EXPECT_EQ(config.readString("lang_2", ""), "ru:Русский");
    config.writeString("my_name", "Smith, John");
    ConfigFileQt again(QString::fromStdString(dir.path()));
    EXPECT_EQ(again.readString("my_name", ""), "Smith, John");
}

TEST(ConfigFile, ValuesReadAsWrittenAndWritesTouchOnlyTheirLine)
{
    TempDir dir;
    const std::string before = "; hand-written\r\n"
                               "[General]\r\n"
                               "engine_05=UCI|Fish|engines/fish --opt=1,2\r\n"
                               "my_name = \"Smith, John\"  \r\n"
                               "lang_2=ru:Русский ; not a comment\r\n"
                               "level=3\r\n"
                               "\r\n"
                               "[Other]\r\n"
                               "level=9\r\n";
    testsupport::writeFile(dir.file("inkmate.cfg"), before);
    ConfigFileQt config(QString::fromStdString(dir.path()));
    EXPECT_EQ(config.readString("engine_05", ""), "UCI|Fish|engines/fish --opt=1,2");
    EXPECT_EQ(config.readString("my_name", ""), "Smith, John");
    EXPECT_EQ(config.readString("lang_2", ""), "ru:Русский ; not a comment");
    EXPECT_EQ(config.readInt("level", 0), 3);

    config.writeInt("level", 12);
    config.writeString("board.font.aa", "1");
    std::string expected = before;
    expected.replace(expected.find("level=3"), 7, "level=12");
    expected.insert(expected.find("\r\n\r\n[Other]") + 2, "board.font.aa=1\n");
    EXPECT_EQ(testsupport::readFile(dir.file("inkmate.cfg")), expected);

    // What the program writes reads back the same here and in QSettings.
    const std::vector<std::string> values = {"--opt=1,2",
                                             "  spaced  ",
                                             "say \"hi\"; C:\\path",
                                             "@at",
                                             "two\nlines\tx\x01"
                                             "7",
                                             "Łódź",
                                             ""};
    for (size_t i = 0; i < values.size(); ++i)
        config.writeString(("key_" + std::to_string(i)).c_str(), values[i].c_str());
    QSettings settings(QString::fromStdString(dir.file("inkmate.cfg")), QSettings::IniFormat);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    settings.setIniCodec("UTF-8");
#endif
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string key = "key_" + std::to_string(i);
        EXPECT_EQ(config.readString(key.c_str(), "?"), values[i]) << key;
        EXPECT_EQ(settings.value(QString::fromStdString(key)).toString().toStdString(), values[i])
            << key;
    }
    EXPECT_EQ(settings.value(QStringLiteral("level")).toInt(), 12);
}

// QSettings takes the General section's name in any case; so does the store,
// for reading and for writing into that one section.
TEST(ConfigFile, GeneralSectionNameInAnyCase)
{
    for (const std::string section : {"general", "GENERAL", " General "}) {
        TempDir dir;
        const std::string before = "[" + section + "]\nlevel=7\n\n[Other]\nlevel=9\n";
        testsupport::writeFile(dir.file("inkmate.cfg"), before);
        ConfigFileQt config(QString::fromStdString(dir.path()));
        EXPECT_EQ(config.readInt("level", 0), 7) << section;

        config.writeInt("level", 4);
        config.writeInt("header", 1);
        EXPECT_EQ(testsupport::readFile(dir.file("inkmate.cfg")),
                  "[" + section + "]\nlevel=4\nheader=1\n\n[Other]\nlevel=9\n");
        QSettings settings(QString::fromStdString(dir.file("inkmate.cfg")), QSettings::IniFormat);
        EXPECT_EQ(settings.value(QStringLiteral("level")).toInt(), 4) << section;
        EXPECT_EQ(settings.value(QStringLiteral("header")).toInt(), 1) << section;
    }
}
