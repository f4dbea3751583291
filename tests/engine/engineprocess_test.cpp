// The process that carries a protocol: a real child process (the scripted
// engine), its lines, its stops and time-outs.
#include "chess/board.h"
#include "core/exception.h"
#include "engine/enginebuilder.h"
#include "engine/engineprocess.h"
#include "tests/engine/engine_test_support.h"

#include <QCoreApplication>

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

// The bare process layer: every complete line is recorded; any line answers
// the greeting.
class LineRecorder : public EngineProtocol {
public:
    LineRecorder() : EngineProtocol("Fake") {}
    void start() override {}
    bool isReady() const override { return true; }
    void stopSearch() override {}
    bool answersStop(const std::string&) const override { return false; }
    std::vector<std::string> lines;

protected:
    void handleLine(const std::string& line) override
    {
        greetingAnswered();
        lines.push_back(line);
    }
    void sendRequest(const Board&, const Move&) override {}
};

std::unique_ptr<EngineProcess> rawEngine(const std::string& options = "",
                                         int greetingTimeoutMs = 60000)
{
    EngineSettings settings;
    settings.greetingTimeoutMs = greetingTimeoutMs;
    return std::make_unique<EngineProcess>(fakeDescriptor("UCI", "--protocol raw " + options),
                                           std::make_unique<LineRecorder>(), settings);
}

const std::vector<std::string>& lines(EngineProcess& engine)
{
    return static_cast<LineRecorder&>(engine.protocol()).lines;
}

// A protocol engine of the scripted kind.
std::unique_ptr<EngineProcess> fakeEngine(const char* kind, const std::string& options,
                                          const EngineSettings& settings = EngineSettings())
{
    const bool uci = std::string(kind) == "UCI";
    return EngineBuilder(fakeDescriptor(kind, std::string("--protocol ") +
                                                  (uci ? "uci " : "xboard ") + options),
                         settings)
        .start();
}

Board startPosition()
{
    Board board;
    board.create_classic_board();
    return board;
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
    engine->writeLine("emit 6162630d0a"); // abc CR LF
    engine->writeLine("split 6465 660a"); // "de", pause, "f\n"
    engine->writeLine("emit 670a680a0a"); // g, h and an empty line in one chunk
    engine->writeLine("emit 69");         // a partial line stays pending
    engine->writeLine("emit 0a6b0a");     // then ends, and a last line shows all arrived
    ASSERT_TRUE(waitUntil([&] { return lines(*engine).size() >= 7; }));
    EXPECT_EQ(lines(*engine), (std::vector<std::string>{"abc", "def", "g", "h", "", "i", "k"}));
    engine->writeLine("emit 6a0a");
    ASSERT_TRUE(waitUntil([&] { return lines(*engine).size() >= 8; }));
    EXPECT_EQ(lines(*engine).back(), "j");

    const std::string text = log.text();
    EXPECT_NE(text.find("\tI\tENGINE << emit 6162630d0a\n"), std::string::npos);
    EXPECT_NE(text.find("\tI\tENGINE >> abc\n"), std::string::npos);
    EXPECT_NE(text.find("\tI\tENGINE >> j\n"), std::string::npos);
}

TEST(EngineProcess, TrafficStaysOutOfTheLogBelowLevel3)
{
    ScopedLog log(2);
    auto engine = rawEngine();
    engine->writeLine("emit 6f6b0a");
    ASSERT_TRUE(waitUntil([&] { return lines(*engine).size() == 1; }));
    EXPECT_EQ(log.text().find("ENGINE"), std::string::npos);
}

TEST(EngineProcess, EndlessAndBinaryOutputIsCappedNotFatal)
{
    ScopedLog log(2);
    auto engine = rawEngine();
    engine->writeLine("repeat 78 300000"); // 300 000 bytes without a line feed
    engine->writeLine("emit 790a000102ff0a6f6b0a");
    ASSERT_TRUE(waitUntil([&] { return lines(*engine).size() >= 3; }));
    ASSERT_EQ(lines(*engine).size(), 3u);
    EXPECT_EQ(lines(*engine)[0], std::string(EngineProcess::kMaxLineLength, 'x'));
    EXPECT_EQ(lines(*engine)[1], std::string("\x00\x01\x02\xff", 4));
    EXPECT_EQ(lines(*engine)[2], "ok");
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
        engine->writeLine("emit 6c6173740a"); // a last line before it goes
        engine->writeLine(how);
        ASSERT_TRUE(waitUntil([&] { return !listener.stops.empty(); })) << how;
        // Both finished() and the pipe's error have been handled.
        ASSERT_TRUE(waitUntil([&] { return !engine->isRunning(); }));
        QCoreApplication::processEvents();
        EXPECT_EQ(listener.stops, std::vector<std::string>{"The engine Fake has stopped."});
        EXPECT_TRUE(engine->hasStopped());
        EXPECT_EQ(lines(*engine), std::vector<std::string>{"last"});
        engine->writeLine("emit 0a"); // writing to a stopped engine does nothing
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
        std::unique_ptr<EngineProcess> engine;
    } listener;
    listener.engine = rawEngine();
    listener.engine->setListener(&listener);
    listener.engine->writeLine("exit 0");
    ASSERT_TRUE(waitUntil([&] { return !listener.stops.empty(); }));
    EXPECT_EQ(listener.engine, nullptr);
    QCoreApplication::processEvents();
}

TEST(EngineProcess, SilentEngineTimesOutIsReportedAndKilled)
{
    ScopedLog log(2);
    RecordingListener listener;
    auto engine = rawEngine("", 300);
    engine->setListener(&listener);
    const qint64 pid = engine->processId();
    ASSERT_TRUE(waitUntil([&] { return !listener.stops.empty(); }, 20000));
    EXPECT_EQ(listener.stops, std::vector<std::string>{"The engine Fake does not answer."});
    EXPECT_TRUE(engine->hasStopped());
    ASSERT_TRUE(waitUntil([&] { return !engine->isRunning(); }, 20000));
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
            EngineProcess engine(EngineDescriptor(entry, dir.path()),
                                 std::make_unique<LineRecorder>(), EngineSettings());
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
    engine->writeLine("emit 0a");
    ASSERT_TRUE(waitUntil([&] { return lines(*engine).size() == 1; }));
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
        std::make_unique<EngineProcess>(EngineDescriptor("UCI|Wrapped|engine.sh", dir.path()),
                                        std::make_unique<LineRecorder>(), EngineSettings());
    engine->writeLine("emit 0a");
    ASSERT_TRUE(waitUntil([&] { return lines(*engine).size() == 1; }));
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
    EXPECT_GE(clock.elapsed(), EngineProcess::kQuitTimeout - 100);
    EXPECT_LT(clock.elapsed(), EngineProcess::kQuitTimeout + 3000);
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
    engine->writeLine("flood 768");
    QElapsedTimer clock;
    clock.start();
    engine.reset();
    EXPECT_LT(clock.elapsed(), EngineProcess::kQuitTimeout);
    EXPECT_LT(statusKilobytes("VmHWM:") - before, 400 * 1024);
}

TEST(EngineProcess, EngineDyingInTheSearchIsReportedNotAwaited)
{
    for (const char* kind : {"UCI", "XBOARD"}) {
        for (const char* how : {"--die-on-go", "--crash-on-go"}) {
            RecordingListener listener;
            auto engine = fakeEngine(kind, how);
            engine->setListener(&listener);
            engine->playMove(startPosition(), Move());
            ASSERT_TRUE(waitUntil([&] { return !listener.stops.empty(); }, 20000)) << kind << how;
            EXPECT_TRUE(engine->hasStopped());
            EXPECT_FALSE(engine->isSearching());
            EXPECT_TRUE(listener.moves.empty());
            EXPECT_EQ(listener.stops[0], "The engine Fake has stopped.");
        }
    }
}

TEST(EngineProcess, UnansweredRequestStopsTheEngineAfterTheGivenTime)
{
    testsupport::TempDir dir;
    RecordingListener listener;
    EngineSettings settings;
    settings.requestTimeoutS = 1;
    auto engine = fakeEngine("UCI", "--hang-on-go --log " + dir.file("received"), settings);
    engine->setListener(&listener);
    QElapsedTimer clock;
    clock.start();
    engine->playMove(startPosition(), Move());
    ASSERT_TRUE(waitUntil([&] { return !listener.stops.empty(); }, 20000));
    // Timed from the request sent, after the greeting.
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_NE(testsupport::readFile(dir.file("received")).find("go"), std::string::npos);
    EXPECT_EQ(listener.stops, std::vector<std::string>{"The engine Fake did not answer in time."});
    EXPECT_TRUE(engine->hasStopped());
    EXPECT_TRUE(waitUntil([&] { return !engine->isRunning(); }, 20000));
}

// The scripted engine reads "quit" only after its search. Destroying a
// searching engine ends the search first; an engine deaf to that too (like
// HoiChess, which reads its input every few seconds) is terminated.
TEST(EngineProcess, SearchingEngineIsStoppedPromptly)
{
    for (const char* kind : {"UCI", "XBOARD"}) {
        for (const bool deaf : {false, true}) {
            const bool uci = std::string(kind) == "UCI";
            testsupport::TempDir dir;
            EngineSettings settings;
            settings.level = 14;
            auto engine = fakeEngine(kind,
                                     " --search-seconds 30 --log " + dir.file("received") +
                                         " --pidfile " + dir.file("pid") + (deaf ? " --deaf" : ""),
                                     settings);
            engine->playMove(startPosition(), Move());
            ASSERT_TRUE(waitUntil(
                [&] {
                    return testsupport::readFile(dir.file("received")).find("go") !=
                           std::string::npos;
                },
                20000));
            ASSERT_TRUE(engine->isSearching());
            const pid_t pid = atoi(testsupport::readFile(dir.file("pid")).c_str());
            QElapsedTimer clock;
            clock.start();
            engine.reset();
            // Well under the 5 s an engine gets to obey "quit" (the bench times it).
            EXPECT_LT(clock.elapsed(), 2500) << kind << deaf;
            EXPECT_TRUE(processGone(pid)) << kind << deaf;
            const std::string received = testsupport::readFile(dir.file("received"));
            const std::string tail = uci ? "stop\nquit\n" : "?\nforce\nquit\n";
            ASSERT_GE(received.size(), tail.size());
            if (!deaf) {
                EXPECT_EQ(received.substr(received.size() - tail.size()), tail) << kind;
            }
        }
    }
}

TEST(EngineProcess, EngineSilentAfterTheGreetingTimesOut)
{
    testsupport::TempDir dir;
    EngineSettings settings;
    // Below the two seconds after which an XBoard engine is sent its request
    // without features.
    settings.greetingTimeoutMs = 1000;
    RecordingListener uciListener, xboardListener;
    auto uci = fakeEngine("UCI", "--silent --log " + dir.file("uci"), settings);
    auto xboard = fakeEngine("XBOARD", "--silent --log " + dir.file("xboard"), settings);
    uci->setListener(&uciListener);
    xboard->setListener(&xboardListener);
    uci->playMove(startPosition(), Move());
    xboard->playMove(startPosition(), Move());
    ASSERT_TRUE(waitUntil([&] { return !uciListener.stops.empty(); }, 20000));
    ASSERT_TRUE(waitUntil([&] { return !xboardListener.stops.empty(); }, 20000));
    EXPECT_EQ(uciListener.stops[0], "The engine Fake does not answer.");
    EXPECT_EQ(xboardListener.stops[0], "The engine Fake does not answer.");
    // Nothing but the greeting went out (all of it, unless it was stopped first).
    const std::string uciSent = testsupport::readFile(dir.file("uci"));
    const std::string xboardSent = testsupport::readFile(dir.file("xboard"));
    EXPECT_EQ(std::string("uci\n").rfind(uciSent, 0), 0u) << uciSent;
    EXPECT_EQ(std::string("xboard\nprotover 2\n").rfind(xboardSent, 0), 0u) << xboardSent;
}
