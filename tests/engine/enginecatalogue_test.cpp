#include "core/configfileqt.h"
#include "core/exception.h"
#include "engine/enginedescriptor.h"
#include "engine/enginefactory.h"
#include "engine/engineprocess.h"
#include "engine/uciprotocol.h"
#include "engine/xboardprotocol.h"
#include "tests/engine/engine_test_support.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using testsupport::TempDir;

TEST(EngineDescriptor, DefaultIsTheHumanPlayer)
{
    EngineDescriptor human;
    EXPECT_EQ(human.getName(), "Human");
    EXPECT_EQ(human.getKind(), EngineDescriptor::Human);
    EXPECT_TRUE(human.getCommand().empty());
}

TEST(EngineDescriptor, EntryGivesKindNameProgramFolderAndArguments)
{
    EngineDescriptor a(" UCI |  Engine A \t| engines/enginea  -x  --y=2 \r\n", "/root");
    EXPECT_EQ(a.getKind(), EngineDescriptor::UCI);
    EXPECT_EQ(a.getName(), "Engine A");
    EXPECT_EQ(a.getProgram(), "/root/engines/enginea");
    EXPECT_EQ(a.getWorkingDirectory(), "/root/engines");
    EXPECT_EQ(a.getCommand(), (std::vector<std::string>{"engines/enginea", "-x", "--y=2"}));

    EngineDescriptor b("XBOARD||Engine B|||b", "/r");
    EXPECT_EQ(b.getKind(), EngineDescriptor::XBoard);
    EXPECT_EQ(b.getName(), "Engine B");
    EXPECT_EQ(b.getProgram(), "/r/b");
    EXPECT_EQ(b.getWorkingDirectory(), "/r");

    EngineDescriptor absolute("UCI|Engine C|/usr/games/c --uci", "/r");
    EXPECT_EQ(absolute.getProgram(), "/usr/games/c");
    EXPECT_EQ(absolute.getWorkingDirectory(), "/usr/games");

    EngineDescriptor human("HUM|Human|-", "/r");
    EXPECT_EQ(human.getKind(), EngineDescriptor::Human);

    EngineDescriptor copy(a);
    copy = b;
    EXPECT_EQ(copy.getProgram(), "/r/b");
    EXPECT_EQ(a.getProgram(), "/root/engines/enginea");
}

TEST(EngineDescriptor, MalformedEntriesAreCriticalErrorsQuotingTheEntry)
{
    for (const char* entry : {"UCI|Engine A", "UCI|A|b|c", "uci|Engine A|x", "CHESS|A|x",
                              "UCI|A|   ", "", "|||", "UCI A x"}) {
        try {
            EngineDescriptor d(entry, "/r");
            ADD_FAILURE() << "accepted: " << entry;
        } catch (const Exception& e) {
            EXPECT_TRUE(e.isCritical());
            const std::string expected = std::string("Invalid engine description: ") + entry +
                                         " [File: EngineDescriptor, Line: ";
            EXPECT_EQ(std::string(e.what()).substr(0, expected.size()), expected) << e.what();
        }
    }
}

namespace {
class EngineFactoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_config.reset(new ConfigFileQt(QString::fromStdString(m_dir.path())));
    }
    void TearDown() override { EngineFactory::destroy(); }
    void entry(unsigned i, const std::string& text)
    {
        char key[16];
        snprintf(key, sizeof key, "engine_%02u", i);
        m_config->writeString(key, text.c_str());
    }
    TempDir m_dir;
    std::unique_ptr<ConfigFileQt> m_config;
};
} // namespace

TEST_F(EngineFactoryTest, ReadsNumberedEntriesUpToTheFirstGap)
{
    entry(0, "HUM|Human|-");
    entry(1, "UCI|Engine A|engines/a");
    entry(2, "XBOARD|Engine B|engines/b -q");
    entry(4, "UCI|Beyond the gap|x");
    EngineFactory& f = EngineFactory::instance();
    f.init(m_config.get());
    ASSERT_EQ(f.getEngineCount(), 3u);
    EXPECT_STREQ(f.getEngineName(0), "Human");
    EXPECT_STREQ(f.getEngineName(2), "Engine B");
    EXPECT_STREQ(f.getEngineName(3), "");
    EXPECT_STREQ(f.getEngineName(1000), "");
    EXPECT_EQ(f.getDescriptor(1).getProgram(), m_dir.path() + "/engines/a");

    EngineFactory::destroy();
    EXPECT_EQ(EngineFactory::instance().getEngineCount(), 0u);
}

TEST_F(EngineFactoryTest, StopsAfterEntry99AndWithoutEntry00)
{
    for (unsigned i = 1; i <= 100; ++i)
        entry(i, "UCI|E" + std::to_string(i) + "|x");
    EngineFactory::instance().init(m_config.get());
    EXPECT_EQ(EngineFactory::instance().getEngineCount(), 0u);

    entry(0, "HUM|Human|-");
    EngineFactory::instance().init(m_config.get());
    EXPECT_EQ(EngineFactory::instance().getEngineCount(), 100u);
    EXPECT_STREQ(EngineFactory::instance().getEngineName(99), "E99");
}

TEST_F(EngineFactoryTest, BadEntryFailsInitAndLeavesNoHalfCatalogue)
{
    entry(0, "HUM|Human|-");
    entry(1, "UCI|Engine A");
    entry(2, "UCI|Engine C|c");
    EngineFactory& f = EngineFactory::instance();
    try {
        f.init(m_config.get());
        FAIL() << "accepted a bad entry";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.isCritical());
        EXPECT_NE(std::string(e.what()).find("UCI|Engine A"), std::string::npos);
    }
    EXPECT_EQ(f.getEngineCount(), 0u);
}

TEST_F(EngineFactoryTest, CreateEngineBuildsTheDriverOfTheKind)
{
    enginetest::ScopedLog log(2);
    const std::string fake = enginetest::dataPath() + "/fake_engine.py";
    // Entries point below the root: link the fake engine there.
    ASSERT_EQ(QFile::link(QString::fromStdString(fake),
                          QString::fromStdString(m_dir.file("fake_engine.py"))),
              true);
    entry(0, "HUM|Human|-");
    entry(1, "UCI|Fake UCI|fake_engine.py --protocol uci");
    entry(2, "XBOARD|Fake XBoard|fake_engine.py --protocol xboard");
    entry(3, "UCI|Missing|engines/none");
    EngineFactory& f = EngineFactory::instance();
    f.init(m_config.get());

    EngineSettings settings;
    settings.level = 3;
    EXPECT_EQ(f.createEngine(0, settings), nullptr);
    std::unique_ptr<EngineProcess> uci(f.createEngine(1, settings));
    ASSERT_NE(dynamic_cast<UciProtocol*>(&uci->protocol()), nullptr);
    EXPECT_EQ(uci->getLevel(), 3);
    EXPECT_EQ(uci->getName(), "Fake UCI");
    settings.level = 7;
    std::unique_ptr<EngineProcess> xboard(f.createEngine(2, settings));
    ASSERT_NE(dynamic_cast<XBoardProtocol*>(&xboard->protocol()), nullptr);
    EXPECT_EQ(xboard->getLevel(), 7);

    try {
        f.createEngine(4, settings);
        FAIL() << "created an engine outside the catalogue";
    } catch (const Exception& e) {
        EXPECT_FALSE(e.isCritical());
    }
    try {
        f.createEngine(3, settings);
        FAIL() << "started a missing program";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Couldn't start process " + m_dir.path() + "/engines/none");
    }
    const std::string text = log.text();
    EXPECT_NE(text.find("Engine: Human has been created"), std::string::npos);
    EXPECT_NE(text.find("Engine: Fake UCI has been created"), std::string::npos);
    EXPECT_NE(text.find("Engine: Fake XBoard has been created"), std::string::npos);
    EXPECT_EQ(text.find("Engine: Missing has been created"), std::string::npos);
}
