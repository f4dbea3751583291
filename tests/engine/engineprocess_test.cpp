#include "core/exception.h"
#include "engine/engineinterfaceabstract.h"
#include "tests/engine/engine_test_support.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include <memory>

using namespace enginetest;

namespace {

// The bare process layer: every complete line is recorded.
class LineDriver : public EngineInterfaceAbstract {
public:
    using EngineInterfaceAbstract::EngineInterfaceAbstract;
    void playMove(const Board&, const Move&) override {}
    void process() override { lines.push_back(m_line); }
    void greet(int milliseconds)
    {
        setGreetingTimeout(milliseconds);
        startGreetingTimer();
    }
    std::vector<std::string> lines;
};

std::unique_ptr<LineDriver> rawEngine(const std::string& options = "")
{
    return std::make_unique<LineDriver>(fakeDescriptor("UCI", "--protocol raw " + options), 4);
}

// A "kB" line of /proc/self/status, -1 without one.
long statusKilobytes(const char* key)
{
    const std::string status = testsupport::readFile("/proc/self/status");
    const size_t at = status.find(key);
    return at == std::string::npos ? -1 : atol(status.c_str() + at + strlen(key));
}

bool processGone(qint64 pid)
{
    if (pid <= 0)
        return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0)
        return true;
    // Killed but not yet reaped by whoever inherited it.
    const std::string stat = testsupport::readFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t paren = stat.rfind(')');
    return paren != std::string::npos && stat.compare(paren + 1, 3, " Z ") == 0;
}

} // namespace

TEST(EngineProcess, OutputIsCutIntoLinesWhateverTheChunks)
{
    ScopedLog log;
    auto engine = rawEngine();
    engine->write("emit 6162630d0a"); // abc CR LF
    engine->write("split 6465 660a"); // "de", pause, "f\n"
    engine->write("emit 670a680a0a"); // g, h and an empty line in one chunk
    engine->write("emit 69");         // a partial line stays pending
    ASSERT_TRUE(waitUntil([&] { return engine->lines.size() >= 5; }));
    spin(100);
    EXPECT_EQ(engine->lines, (std::vector<std::string>{"abc", "def", "g", "h", ""}));
    engine->write("emit 6a0a");
    ASSERT_TRUE(waitUntil([&] { return engine->lines.size() >= 6; }));
    EXPECT_EQ(engine->lines.back(), "ij");

    const std::string text = log.text();
    EXPECT_NE(text.find("\tI\tENGINE << emit 6162630d0a\n"), std::string::npos);
    EXPECT_NE(text.find("\tI\tENGINE >> abc\n"), std::string::npos);
    EXPECT_NE(text.find("\tI\tENGINE >> ij\n"), std::string::npos);
}

TEST(EngineProcess, TrafficStaysOutOfTheLogBelowLevel3)
{
    ScopedLog log(2);
    auto engine = rawEngine();
    engine->write("emit 6f6b0a");
    ASSERT_TRUE(waitUntil([&] { return engine->lines.size() == 1; }));
    EXPECT_EQ(log.text().find("ENGINE"), std::string::npos);
}

TEST(EngineProcess, EndlessAndBinaryOutputIsCappedNotFatal)
{
    ScopedLog log(2);
    auto engine = rawEngine();
    engine->write("repeat 78 300000"); // 300 000 bytes without a line feed
    engine->write("emit 790a000102ff0a6f6b0a");
    ASSERT_TRUE(waitUntil([&] { return engine->lines.size() >= 3; }));
    ASSERT_EQ(engine->lines.size(), 3u);
    EXPECT_EQ(engine->lines[0], std::string(EngineInterfaceAbstract::kMaxLineLength, 'x'));
    EXPECT_EQ(engine->lines[1], std::string("\x00\x01\x02\xff", 4));
    EXPECT_EQ(engine->lines[2], "ok");
    EXPECT_NE(log.text().find("output line cut at 65536 bytes"), std::string::npos);
}

TEST(EngineProcess, ExitAndCrashAreReportedOnce)
{
    ScopedLog log(2);
    for (const char* how : {"exit 3", "crash"}) {
        RecordingListener listener;
        auto engine = rawEngine();
        engine->setListener(&listener);
        EXPECT_FALSE(engine->hasStopped());
        engine->write("emit 6c6173740a"); // a last line before it goes
        engine->write(how);
        ASSERT_TRUE(waitUntil([&] { return !listener.stops.empty(); })) << how;
        spin(100);
        EXPECT_EQ(listener.stops, std::vector<std::string>{"The engine Fake has stopped."});
        EXPECT_TRUE(engine->hasStopped());
        EXPECT_EQ(engine->lines, std::vector<std::string>{"last"});
        engine->write("emit 0a"); // writing to a stopped engine does nothing
    }
    const std::string text = log.text();
    EXPECT_NE(text.find("\tE\tEngine Fake exited with code 3\n"), std::string::npos);
    EXPECT_NE(text.find("\tE\tEngine Fake crashed\n"), std::string::npos);
}

TEST(EngineProcess, ListenerMayDeleteTheEngineWhenToldItStopped)
{
    struct Deleter : RecordingListener {
        void engineStopped(const std::string& message) override
        {
            RecordingListener::engineStopped(message);
            engine.reset();
        }
        std::unique_ptr<LineDriver> engine;
    } listener;
    listener.engine = rawEngine();
    listener.engine->setListener(&listener);
    listener.engine->write("exit 0");
    ASSERT_TRUE(waitUntil([&] { return !listener.stops.empty(); }));
    EXPECT_EQ(listener.engine, nullptr);
    spin(50);
}

TEST(EngineProcess, SilentEngineTimesOutIsReportedAndKilled)
{
    ScopedLog log(2);
    RecordingListener listener;
    auto engine = rawEngine();
    engine->setListener(&listener);
    const qint64 pid = engine->processId();
    engine->greet(300);
    ASSERT_TRUE(waitUntil([&] { return !listener.stops.empty(); }, 5000));
    EXPECT_EQ(listener.stops, std::vector<std::string>{"The engine Fake does not answer."});
    EXPECT_TRUE(engine->hasStopped());
    ASSERT_TRUE(waitUntil([&] { return engine->state() == QProcess::NotRunning; }, 5000));
    EXPECT_TRUE(processGone(pid));
    EXPECT_NE(log.text().find("did not answer its greeting within 300 ms"), std::string::npos);
}

TEST(EngineProcess, MissingOrNonExecutableProgramFailsAtOnce)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("engine"), "#!/bin/sh\necho hello\n");
    for (const std::string& entry : {std::string("UCI|None|missing -x"),
                                     std::string("UCI|None|engine"), std::string("UCI|None|.")}) {
        QElapsedTimer clock;
        clock.start();
        try {
            LineDriver engine(EngineDescriptor(entry, dir.path()), 1);
            ADD_FAILURE() << "started " << entry;
        } catch (const Exception& e) {
            EXPECT_FALSE(e.isCritical());
            const std::string program = entry.substr(
                9, entry.find(' ') == std::string::npos ? std::string::npos : entry.find(' ') - 9);
            EXPECT_EQ(std::string(e.what()),
                      "Couldn't start process " + dir.path() + "/" + program);
        }
        EXPECT_LT(clock.elapsed(), 3000) << entry;
    }
}

TEST(EngineProcess, DestructionSendsQuitAndWaits)
{
    testsupport::TempDir dir;
    auto engine = rawEngine("--log " + dir.file("received"));
    const qint64 pid = engine->processId();
    engine->write("emit 0a");
    ASSERT_TRUE(waitUntil([&] { return engine->lines.size() == 1; }));
    QElapsedTimer clock;
    clock.start();
    engine.reset();
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(processGone(pid));
    EXPECT_EQ(testsupport::readFile(dir.file("received")), "emit 0a\nquit\n");
}

// A wrapper script's children die with the engine, whether it quits or is killed.
TEST(EngineProcess, WrapperScriptLeavesNoChildrenBehind)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("engine.sh"),
                           "#!/bin/sh\nsleep 60 &\necho $! > " + dir.file("child") + "\n" +
                               enginetest::dataPath() + "/fake_engine.py --protocol raw\n");
    QFile::setPermissions(QString::fromStdString(dir.file("engine.sh")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    auto engine =
        std::make_unique<LineDriver>(EngineDescriptor("UCI|Wrapped|engine.sh", dir.path()), 1);
    engine->write("emit 0a");
    ASSERT_TRUE(waitUntil([&] { return engine->lines.size() == 1; }));
    const qint64 child = atoll(testsupport::readFile(dir.file("child")).c_str());
    ASSERT_GT(child, 0);
    EXPECT_FALSE(processGone(child));
    engine.reset();
    EXPECT_TRUE(waitUntil([&] { return processGone(child); }, 2000));
}

TEST(EngineProcess, EngineIgnoringQuitIsKilledAfterFiveSeconds)
{
    auto engine = rawEngine("--ignore-quit");
    const qint64 pid = engine->processId();
    QElapsedTimer clock;
    clock.start();
    engine.reset();
    EXPECT_GE(clock.elapsed(), EngineInterfaceAbstract::kQuitTimeout - 100);
    EXPECT_LT(clock.elapsed(), EngineInterfaceAbstract::kQuitTimeout + 3000);
    EXPECT_TRUE(processGone(pid));
}

TEST(EngineProcess, OutputWhileQuittingIsDiscardedNotHeld)
{
    auto engine = rawEngine();
    // Reset the peak resident size, so it shows what the destruction held.
    std::ofstream reset("/proc/self/clear_refs");
    reset << "5";
    reset.close();
    if (!reset || statusKilobytes("VmHWM:") < 0)
        GTEST_SKIP() << "no resettable peak resident size";
    const long before = statusKilobytes("VmRSS:");
    // 768 MB the engine writes before it reads "quit"; AddressSanitizer keeps up to 256 MB of
    // freed memory in quarantine.
    engine->write("flood 768");
    QElapsedTimer clock;
    clock.start();
    engine.reset();
    EXPECT_LT(clock.elapsed(), EngineInterfaceAbstract::kQuitTimeout);
    EXPECT_LT(statusKilobytes("VmHWM:") - before, 400 * 1024);
}
