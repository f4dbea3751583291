#include "core/configfileqt.h"
#include "core/log.h"
#include "core/trans.h"
#include "core/transqt.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QDirIterator>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>

using testsupport::TempDir;

namespace {

// A configuration (and the log) of a temporary root for one test.
class TransTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(QString::fromStdString(m_dir.path() + "/translate"));
        m_config = new ConfigFileQt(QString::fromStdString(m_dir.path()));
        m_log = new Log(m_dir.file("inkmate.log.txt"), 2, 0);
        g_pLog = m_log;
    }
    void TearDown() override
    {
        g_pLog = nullptr;
        delete m_config;
        delete m_log;
    }
    void writeMessages(const std::string& text)
    {
        testsupport::writeFile(m_dir.file("translate/messages.lng"), text);
    }

    TempDir m_dir;
    ConfigFileQt* m_config = nullptr;
    Log* m_log = nullptr;
};

} // namespace

TEST_F(TransTest, LanguageListStopsAtFirstEmptyOrMalformedEntry)
{
    m_config->writeString("lang_1", "de:Deutsch");
    m_config->writeString("lang_3", "ru:Русский");
    Trans two(m_config);
    ASSERT_EQ(two.languages().size(), 2u);
    EXPECT_EQ(two.languages()[0].code, "en");
    EXPECT_EQ(two.languages()[0].name, "English");
    EXPECT_EQ(two.languages()[1].name, "Deutsch");

    m_config->writeString("lang_1", "nocolon");
    m_config->writeString("lang_2", "ru:Русский");
    Trans one(m_config);
    EXPECT_EQ(one.languages().size(), 1u);
}

TEST_F(TransTest, FirstTranslationWinsAndUnknownTextsKeepTheirPointer)
{
    m_config->writeString("lang_1", "de:Deutsch");
    m_config->writeString("lang_2", "ru:Русский");
    writeMessages("de:orphan before any English\n"
                  "en:Error\nde:Fehler\nru:Ошибка\n"
                  "en:Menu: Open\nru:Меню: Открыть\nru:second ignored\n"
                  ":no tag\nno colon at all\n");
    Trans table(m_config);
    table.load(2);
    EXPECT_STREQ(table.translate("Error"), "Ошибка");
    EXPECT_STREQ(table.translate("Menu: Open"), "Меню: Открыть");
    const char* unknown = "Not in the file";
    EXPECT_EQ(table.translate(unknown), unknown);
    const std::string text = "Also unknown";
    EXPECT_EQ(&table.translate(text), &text);

    table.load(7); // past the end: English
    EXPECT_EQ(table.current(), 0u);
    EXPECT_STREQ(table.translate("Error"), "Error");
}

TEST_F(TransTest, MissingFileIsLoggedAndRetried)
{
    m_config->writeString("lang_1", "de:Deutsch");
    Trans table(m_config);
    table.load(1);
    EXPECT_EQ(table.current(), 0u);
    EXPECT_NE(testsupport::readFile(m_dir.file("inkmate.log.txt"))
                  .find("\tW\tCouldn't load translation file: "),
              std::string::npos);
    writeMessages("en:Error\r\nde:Fehler\r\n");
    table.load(1);
    EXPECT_EQ(table.current(), 1u);
    // A carriage return stays part of the line, so the English key keeps it.
    EXPECT_STREQ(table.translate("Error\r"), "Fehler\r");
}

TEST_F(TransTest, QtWrapperUsesTheGlobalTable)
{
    EXPECT_EQ(trans(QStringLiteral("Error")), QStringLiteral("Error"));
    m_config->writeString("lang_1", "ru:Русский");
    writeMessages("en:Error\nru:Ошибка\n");
    Trans table(m_config);
    table.load(1);
    g_pTrans = &table;
    EXPECT_EQ(trans(QStringLiteral("Error")), QString::fromUtf8("Ошибка"));
    EXPECT_STREQ(translated("Error"), "Ошибка");
    g_pTrans = nullptr;
    EXPECT_STREQ(translated("Error"), "Error");
}

// Every English text the sources pass to the translation table must have a
// German and a Russian line in the shipped file.
TEST(TranslationFile, CoversEveryTranslatedText)
{
    const std::string file = testsupport::sourcePath("assets/translate/messages.lng");
    std::ifstream in(file);
    ASSERT_TRUE(in) << file;
    std::map<std::string, std::set<std::string>> covered;
    std::string line;
    std::string english;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0)
            continue;
        const std::string tag = line.substr(0, colon);
        if (tag == "en")
            english = line.substr(colon + 1);
        else if (!english.empty())
            covered[english].insert(tag);
    }

    const std::regex call(
        R"re(\b(?:translated|trans|N_)\(\s*(?:QStringLiteral\(\s*)?"((?:[^"\\]|\\.)*)")re");
    const std::regex uiString(R"re(<string>([^<]+)</string>)re");
    std::set<std::string> missing;
    for (const char* folder : {"core", "chess", "game", "base", "engine", "views", "app", "qt"}) {
        QDirIterator it(QString::fromStdString(testsupport::sourcePath(folder)),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.ui")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const std::string path = it.next().toStdString();
            const std::string source = testsupport::readFile(path);
            const bool ui = path.size() > 3 && path.compare(path.size() - 3, 3, ".ui") == 0;
            const std::regex& pattern = ui ? uiString : call;
            for (std::sregex_iterator m(source.begin(), source.end(), pattern), end; m != end;
                 ++m) {
                std::string text = (*m)[1];
                if (!ui) {
                    text = std::regex_replace(text, std::regex(R"(\\n)"), "\n");
                    text = std::regex_replace(text, std::regex(R"(\\(.))"), "$1");
                } else {
                    text = std::regex_replace(text, std::regex("&amp;"), "&");
                    text = std::regex_replace(text, std::regex("&lt;"), "<");
                    text = std::regex_replace(text, std::regex("&gt;"), ">");
                }
                if (text.empty() || text.find_first_not_of("0123456789%.: -") == std::string::npos)
                    continue;
                const auto found = covered.find(text);
                if (found == covered.end() || !found->second.count("de") ||
                    !found->second.count("ru"))
                    missing.insert(text + "   (" + path.substr(path.rfind('/') + 1) + ")");
            }
        }
    }
    std::string list;
    for (const std::string& m : missing)
        list += "\n  " + m;
    EXPECT_TRUE(missing.empty()) << "texts without de/ru translation:" << list;
}
