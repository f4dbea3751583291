#include "chess/board.h"
#include "core/configfileqt.h"
#include "engine/engineinterfaceuci.h"
#include "engine/engineinterfacexboard.h"
#include "tests/engine/engine_test_support.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <memory>

using namespace enginetest;
using testsupport::readFile;
using testsupport::TempDir;

namespace {

Board startPosition()
{
    Board board;
    board.create_classic_board();
    return board;
}

Move moveOf(const char* text)
{
    Move move;
    move.setFromString(text);
    return move;
}

// One engine of the scripted kind, its listener and the lines it received.
template <class Driver> struct Session {
    Session(const char* kind, const std::string& options, int depth = 3)
        : engine(new Driver(fakeDescriptor(kind, "--log " + dir.file("received") + " " + options),
                            depth))
    {
        engine->setListener(&listener);
    }
    std::string received() const { return readFile(dir.file("received")); }
    bool waitForMoves(size_t n)
    {
        return waitUntil([&] { return listener.moves.size() >= n; });
    }

    TempDir dir;
    RecordingListener listener;
    std::unique_ptr<Driver> engine;
};

using UciSession = Session<EngineInterfaceUCI>;
using XBoardSession = Session<EngineInterfaceXBoard>;

} // namespace

TEST(UciDriver, GreetsThenSendsTheNewestPendingRequestAndLaterOnes)
{
    UciSession s("UCI", "--protocol uci");
    const Board start = startPosition();
    Board other = start;
    other.doMove(moveOf("g1f3"));
    // Both arrive before "uciok": only the second is kept.
    s.engine->playMove(other, Move());
    s.engine->playMove(start, Move());
    EXPECT_EQ(s.engine->getState(), EngineInterfaceUCI::WaitingUciOk);
    ASSERT_TRUE(s.waitForMoves(1));
    EXPECT_EQ(s.engine->getState(), EngineInterfaceUCI::Ready);
    EXPECT_EQ(s.listener.moves[0], moveOf("e7e5"));
    const std::string fen = start.exportToFEN();
    EXPECT_EQ(s.received(), "uci\nisready\nucinewgame\nposition fen " + fen + "\ngo depth 3\n");

    // Ready: sent at once, with the last move; a new depth waits for the next search.
    s.engine->setDepth(5);
    s.engine->playMove(start, moveOf("e2e4"));
    ASSERT_TRUE(s.waitForMoves(2));
    EXPECT_EQ(s.received(), "uci\nisready\nucinewgame\nposition fen " + fen +
                                "\ngo depth 3\nposition fen " + fen + " moves e2e4\ngo depth 5\n");
    spin(50);
    EXPECT_EQ(s.listener.moves.size(), 2u);
    EXPECT_TRUE(s.listener.stops.empty());
}

TEST(XBoardDriver, GreetsSetsDepthThenSendsPositionMoveAndGo)
{
    XBoardSession s("XBOARD", "--protocol xboard --features 3");
    const Board start = startPosition();
    // A level change while the engine starts goes out at once.
    s.engine->setDepth(6);
    s.engine->playMove(start, Move());
    EXPECT_EQ(s.engine->getState(), EngineInterfaceXBoard::WaitingFeature);
    ASSERT_TRUE(s.waitForMoves(1));
    EXPECT_EQ(s.listener.moves[0], moveOf("e7e5"));
    const std::string fen = start.exportToFEN();
    const std::string greeting =
        "xboard\nprotover 2\nsd 6\nsd 6\nforce\nsetboard " + fen + "\ngo\n";
    EXPECT_EQ(s.received(), greeting);

    s.engine->playMove(start, moveOf("e2e4"));
    ASSERT_TRUE(s.waitForMoves(2));
    s.engine->setDepth(2);
    ASSERT_TRUE(waitUntil([&] { return s.received().find("sd 2\n") != std::string::npos; }));
    // Later feature lines changed nothing; the new depth went out at once.
    EXPECT_EQ(s.received(), greeting + "force\nsetboard " + fen + "\ne2e4\ngo\nsd 2\n");
    EXPECT_EQ(s.listener.moves.size(), 2u);

    // Like GNU Chess, whose features may stay in its output buffer: two seconds
    // without them will do; "Invalid move: sd" is a refusal too.
    XBoardSession late("XBOARD", "--protocol xboard --features 0 --reply sd=Invalid_move:_{}");
    late.engine->setDepth(4);
    late.engine->playMove(start, Move());
    ASSERT_TRUE(late.waitForMoves(1));
    EXPECT_EQ(late.received(),
              "xboard\nprotover 2\nsd 4\ndepth 4\ndepth 4\nforce\nsetboard " + fen + "\ngo\n");
}

// The engine's output varies; the answer does not.
struct OutputCase {
    const char* name;
    const char* kind;
    std::string options;
    const char* expected; // nullptr: no move may arrive
};

void PrintTo(const OutputCase& c, std::ostream* os)
{
    *os << c.name;
}

class EngineOutput : public ::testing::TestWithParam<OutputCase> {};

TEST_P(EngineOutput, GivesExactlyTheEnginesMove)
{
    const OutputCase& c = GetParam();
    // A line after the answer tells when the answer has been handled.
    ScopedLog log;
    std::unique_ptr<EngineInterfaceAbstract> engine;
    RecordingListener listener;
    const std::string protocol = std::string(c.kind) == "UCI" ? "uci" : "xboard";
    const EngineDescriptor d =
        fakeDescriptor(c.kind, "--protocol " + protocol + " --trailer answer_given " + c.options);
    if (protocol == "uci")
        engine.reset(new EngineInterfaceUCI(d, 2));
    else
        engine.reset(new EngineInterfaceXBoard(d, 2));
    engine->setListener(&listener);
    engine->playMove(startPosition(), moveOf("e2e4"));
    ASSERT_TRUE(waitUntil([&] {
        return log.text().find("ENGINE >> answer given\n") != std::string::npos;
    })) << c.name;
    if (c.expected) {
        ASSERT_EQ(listener.moves.size(), 1u);
        Move expected;
        ASSERT_TRUE(expected.setFromString(c.expected));
        EXPECT_EQ(listener.moves[0], expected) << listener.moves[0].getAsString();
    } else {
        EXPECT_TRUE(listener.moves.empty());
    }
    EXPECT_TRUE(listener.stops.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Fake, EngineOutput,
    ::testing::Values(
        OutputCase{"UciPlain", "UCI", "", "e7e5"}, OutputCase{"UciCrLf", "UCI", "--crlf", "e7e5"},
        OutputCase{"UciSplitLines", "UCI", "--split", "e7e5"},
        OutputCase{"UciLinesTogether", "UCI", "--together --info", "e7e5"},
        OutputCase{"UciInfoLinesIgnored", "UCI", "--info", "e7e5"},
        OutputCase{"UciGarbageFirst", "UCI", "--garbage --crlf", "e7e5"},
        OutputCase{"UciQueenPromotion", "UCI", "--answer e2e1q", "e2e1q"},
        OutputCase{"UciUpperCaseKnightPromotion", "UCI", "--answer b2b1N", "b2b1n"},
        OutputCase{"UciNoMove", "UCI", "--answer (none)", nullptr},
        OutputCase{"UciNullMove", "UCI", "--answer 0000", nullptr},
        OutputCase{"UciBadSquare", "UCI", "--answer e9e5", nullptr},
        OutputCase{"UciMoveInInfoString", "UCI", "--prefix info_string_bestmove_", nullptr},
        OutputCase{"UciTrailingJunk", "UCI", "--answer e7e5x", nullptr},
        OutputCase{"XBoardPlain", "XBOARD", "", "e7e5"},
        OutputCase{"XBoardOneFeatureLine", "XBOARD", "--features 1", "e7e5"},
        OutputCase{"XBoardCrLfSplit", "XBOARD", "--crlf --split", "e7e5"},
        OutputCase{"XBoardTogether", "XBOARD", "--together --info", "e7e5"},
        OutputCase{"XBoardGarbageFirst", "XBOARD", "--garbage", "e7e5"},
        OutputCase{"XBoardOldSyntax", "XBOARD", "--prefix My_move_is:_", "e7e5"},
        OutputCase{"XBoardPromotion", "XBOARD", "--answer a2a1Q", "a2a1q"},
        OutputCase{"XBoardCastlingShort", "XBOARD", "--answer O-O", "e8g8"},
        OutputCase{"XBoardCastlingLong", "XBOARD", "--answer 0-0-0+", "e8c8"},
        OutputCase{"XBoardIllegalMoveReply", "XBOARD", "--prefix Illegal_move:_", nullptr},
        OutputCase{"XBoardCommentLine", "XBOARD", "--prefix #_thinking_about_move_", nullptr}),
    [](const ::testing::TestParamInfo<OutputCase>& info) { return info.param.name; });

TEST(EngineDrivers, EngineDyingInTheSearchIsReportedNotAwaited)
{
    for (const char* kind : {"UCI", "XBOARD"}) {
        for (const char* how : {"--die-on-go", "--crash-on-go"}) {
            std::unique_ptr<EngineInterfaceAbstract> engine;
            RecordingListener listener;
            const bool uci = std::string(kind) == "UCI";
            const EngineDescriptor d =
                fakeDescriptor(kind, std::string("--protocol ") + (uci ? "uci " : "xboard ") + how);
            if (uci)
                engine.reset(new EngineInterfaceUCI(d, 2));
            else
                engine.reset(new EngineInterfaceXBoard(d, 2));
            engine->setListener(&listener);
            engine->playMove(startPosition(), Move());
            ASSERT_TRUE(waitUntil([&] { return !listener.stops.empty(); })) << kind << how;
            EXPECT_TRUE(engine->hasStopped());
            EXPECT_TRUE(listener.moves.empty());
            EXPECT_EQ(listener.stops[0], "The engine Fake has stopped.");
        }
    }
}

TEST(XBoardDriver, EngineRefusingThePositionIsStoppedButErrorsOnDepthAreNot)
{
    // The answer to a position it does not hold would be a move of another game.
    for (const char* refusal :
         {"--reply setboard=Error_(unknown_command):_setboard", "--reply MOVE=Illegal_move:_{}"}) {
        XBoardSession s("XBOARD",
                        std::string("--protocol xboard --reply sd=Illegal_move:_{} ") + refusal);
        s.engine->playMove(startPosition(), moveOf("e2e4"));
        ASSERT_TRUE(waitUntil([&] { return !s.listener.stops.empty(); })) << refusal;
        spin(200);
        EXPECT_EQ(s.listener.stops,
                  std::vector<std::string>{"The engine Fake cannot set up the position."});
        EXPECT_TRUE(s.listener.moves.empty());
        EXPECT_TRUE(s.engine->hasStopped());
    }
    // Like Phalanx, which takes "sd 3" for a move it cannot make, plays on, and
    // knows "depth" instead, also for later changes.
    XBoardSession s("XBOARD", "--protocol xboard --reply sd=Illegal_move:_{}");
    s.engine->playMove(startPosition(), moveOf("e2e4"));
    ASSERT_TRUE(s.waitForMoves(1));
    EXPECT_TRUE(s.listener.stops.empty());
    s.engine->setDepth(1);
    ASSERT_TRUE(waitUntil([&] { return s.received().find("depth 1\n") != std::string::npos; }));
    const std::string received = s.received();
    EXPECT_NE(received.find("sd 3\n"), std::string::npos);
    EXPECT_NE(received.find("depth 3\n"), std::string::npos);
    EXPECT_EQ(received.find("sd 1"), std::string::npos);
}

// An engine that gives up, claims a result or has no move answers the request
// all the same; a result after its move is not an answer.
TEST(EngineDrivers, ResignationsResultsAndNoMoveAreReported)
{
    struct Case {
        const char* kind;
        std::string options;
        const char* last;
        std::vector<std::string> results;
        std::vector<std::string> noMoves;
    };
    const std::string noMove = "The engine Fake has no move.";
    const Case cases[] = {
        {"XBOARD", "--answer-line resign", "e2e4", {"1-0 The engine Fake resigns."}, {}},
        {"XBOARD", "--answer-line 0-1_{White_resigns}", "", {"0-1 The engine Fake resigns."}, {}},
        {"XBOARD",
         "--answer-line 1/2-1/2_{Draw_by_repetition}",
         "e2e4",
         {"1/2-1/2 The engine Fake claims a draw."},
         {}},
        {"XBOARD", "--answer-line 1-0", "e2e4", {"1-0 The engine Fake resigns."}, {}},
        {"XBOARD", "--trailer 0-1_{Black_mates}", "e2e4", {}, {}},
        {"UCI", "--answer (none)", "e2e4", {}, {noMove}},
        {"UCI", "--answer 0000", "", {}, {noMove}},
    };
    for (const Case& c : cases) {
        const bool uci = std::string(c.kind) == "UCI";
        RecordingListener listener;
        std::unique_ptr<EngineInterfaceAbstract> engine;
        const EngineDescriptor d = fakeDescriptor(
            c.kind, std::string("--protocol ") + (uci ? "uci " : "xboard ") + c.options);
        if (uci)
            engine.reset(new EngineInterfaceUCI(d, 2));
        else
            engine.reset(new EngineInterfaceXBoard(d, 2));
        engine->setListener(&listener);
        engine->playMove(startPosition(), moveOf(c.last));
        ASSERT_TRUE(waitUntil([&] {
            return !listener.results.empty() || !listener.noMoves.empty() ||
                   !listener.moves.empty();
        })) << c.options;
        EXPECT_FALSE(engine->isSearching());
        spin(200);
        EXPECT_EQ(listener.results, c.results) << c.options;
        EXPECT_EQ(listener.noMoves, c.noMoves) << c.options;
        EXPECT_EQ(listener.moves.size(), c.results.empty() && c.noMoves.empty() ? 1u : 0u);
        EXPECT_TRUE(listener.stops.empty());
        EXPECT_FALSE(engine->hasStopped());
    }
}

TEST(EngineDrivers, UnansweredRequestStopsTheEngineAfterTheConfiguredTime)
{
    TempDir root;
    ConfigFileQt config(QString::fromStdString(root.path()));
    config.writeInt("engine.timeout", 1);
    ConfigFileAbstract* previous = g_pConfig;
    g_pConfig = &config;
    UciSession s("UCI", "--protocol uci --hang-on-go");
    QElapsedTimer clock;
    clock.start();
    s.engine->playMove(startPosition(), Move());
    const bool stopped = waitUntil([&] { return !s.listener.stops.empty(); }, 5000);
    g_pConfig = previous;
    ASSERT_TRUE(stopped);
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_EQ(s.listener.stops,
              std::vector<std::string>{"The engine Fake did not answer in time."});
    EXPECT_TRUE(s.engine->hasStopped());
    EXPECT_TRUE(waitUntil([&] { return s.engine->state() == QProcess::NotRunning; }));
}

// The scripted engine reads "quit" only after its search. Destroying a
// searching driver ends the search first; an engine deaf to that too (like
// HoiChess, which reads its input every few seconds) is terminated.
TEST(EngineDrivers, SearchingEngineIsStoppedPromptly)
{
    for (const char* kind : {"UCI", "XBOARD"}) {
        for (const bool deaf : {false, true}) {
            const bool uci = std::string(kind) == "UCI";
            TempDir dir;
            const EngineDescriptor d =
                fakeDescriptor(kind, std::string("--protocol ") + (uci ? "uci" : "xboard") +
                                         " --search-seconds 30 --log " + dir.file("received") +
                                         " --pidfile " + dir.file("pid") + (deaf ? " --deaf" : ""));
            std::unique_ptr<EngineInterfaceAbstract> engine;
            if (uci)
                engine.reset(new EngineInterfaceUCI(d, 15));
            else
                engine.reset(new EngineInterfaceXBoard(d, 15));
            engine->playMove(startPosition(), Move());
            ASSERT_TRUE(waitUntil(
                [&] { return readFile(dir.file("received")).find("go") != std::string::npos; }));
            ASSERT_TRUE(engine->isSearching());
            const pid_t pid = atoi(readFile(dir.file("pid")).c_str());
            QElapsedTimer clock;
            clock.start();
            engine.reset();
            // Well under the 5 s an engine gets to obey "quit" (the bench times it).
            EXPECT_LT(clock.elapsed(), 2500) << kind << deaf;
            EXPECT_NE(::kill(pid, 0), 0) << kind << deaf;
            const std::string received = readFile(dir.file("received"));
            const std::string tail = uci ? "stop\nquit\n" : "?\nforce\nquit\n";
            ASSERT_GE(received.size(), tail.size());
            if (!deaf) {
                EXPECT_EQ(received.substr(received.size() - tail.size()), tail) << kind;
            }
        }
    }
}

TEST(EngineDrivers, EngineSilentAfterTheGreetingTimesOut)
{
    UciSession uci("UCI", "--protocol uci --silent");
    XBoardSession xboard("XBOARD", "--protocol xboard --silent");
    // Below the two seconds after which an XBoard engine is sent its request
    // without features, and long enough for a loaded machine to start Python.
    uci.engine->setGreetingTimeout(1000);
    xboard.engine->setGreetingTimeout(1000);
    uci.engine->playMove(startPosition(), Move());
    xboard.engine->playMove(startPosition(), Move());
    ASSERT_TRUE(waitUntil([&] { return !uci.listener.stops.empty(); }, 5000));
    ASSERT_TRUE(waitUntil([&] { return !xboard.listener.stops.empty(); }, 5000));
    EXPECT_EQ(uci.listener.stops[0], "The engine Fake does not answer.");
    EXPECT_EQ(xboard.listener.stops[0], "The engine Fake does not answer.");
    // Nothing but the greeting went out (all of it, unless it was stopped first).
    EXPECT_EQ(std::string("uci\n").rfind(uci.received(), 0), 0u) << uci.received();
    EXPECT_EQ(std::string("xboard\nprotover 2\n").rfind(xboard.received(), 0), 0u)
        << xboard.received();
}

TEST(EngineDrivers, AnswerWithoutListenerIsDropped)
{
    UciSession s("UCI", "--protocol uci");
    s.engine->setListener(nullptr);
    s.engine->playMove(startPosition(), Move());
    ASSERT_TRUE(waitUntil([&] { return s.received().find("go depth 3") != std::string::npos; }));
    spin(100);
    EXPECT_TRUE(s.listener.moves.empty());
}
