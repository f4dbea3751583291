// The protocols line by line: lines fed in, lines sent read back; no process.
#include "chess/board.h"
#include "engine/uciprotocol.h"
#include "engine/xboardprotocol.h"
#include "tests/engine/engine_test_support.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

using namespace enginetest;

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

// A protocol talking to the test: lines fed with engine(), lines sent in wire.
template <class Protocol> struct Talk {
    explicit Talk(int level = 2) : protocol("Fake")
    {
        protocol.setSink(&wire);
        protocol.setListener(&listener);
        protocol.setLevel(level);
        protocol.start();
    }
    void engine(const std::vector<std::string>& lines)
    {
        for (const std::string& line : lines)
            protocol.parseLine(line);
    }
    // Lines sent since the last call.
    std::string sent()
    {
        std::string text;
        text.swap(wire.text);
        return text;
    }

    Wire wire;
    RecordingListener listener;
    Protocol protocol;
};

using Uci = Talk<UciProtocol>;
using XBoard = Talk<XBoardProtocol>;

// Greeted and ready, the greeting's lines read.
void makeReady(Uci& t)
{
    t.engine(
        {"id name Fake", "option name Hash type spin default 1 min 1 max 8", "uciok", "readyok"});
    t.sent();
}

void makeReady(XBoard& t)
{
    t.engine({"feature myname=\"Fake\" setboard=1", "feature done=1"});
    t.sent();
}

} // namespace

TEST(UciProtocol, GreetsThenSendsTheNewestPendingRequestAndLaterOnes)
{
    Uci t;
    const Board start = startPosition();
    const std::string fen = start.exportToFEN();
    Board other = start;
    other.doMove(moveOf("g1f3"));
    // Both arrive before "uciok": only the second is kept.
    t.protocol.playMove(other, Move());
    t.protocol.playMove(start, Move());
    EXPECT_EQ(t.sent(), "uci\n");
    t.engine({"id name Fake", "uciok"});
    EXPECT_EQ(t.protocol.getState(), UciProtocol::WaitingReadyOk);
    EXPECT_EQ(t.sent(), "isready\n");
    EXPECT_FALSE(t.protocol.isGreeted());
    t.engine({"readyok"});
    EXPECT_TRUE(t.protocol.isGreeted());
    EXPECT_EQ(t.sent(), "ucinewgame\nposition fen " + fen + "\ngo depth 3 movetime 1000\n");
    EXPECT_TRUE(t.protocol.isSearching());
    t.engine({"bestmove e7e5 ponder e2e4"});
    EXPECT_EQ(t.listener.moves, std::vector<Move>{moveOf("e7e5")});
    EXPECT_FALSE(t.protocol.isSearching());

    // Ready: sent at once, with the last move; a new level waits for the next search.
    t.protocol.setLevel(4);
    EXPECT_EQ(t.sent(), "");
    t.protocol.playMove(start, moveOf("e2e4"));
    EXPECT_EQ(t.sent(), "position fen " + fen + " moves e2e4\ngo depth 5 movetime 1000\n");
    EXPECT_EQ(t.protocol.requestCount(), 2u);
    t.engine({"readyok", "uciok", "bestmove d7d5"});
    EXPECT_EQ(t.listener.moves.size(), 2u);
    EXPECT_EQ(t.sent(), "");
    EXPECT_TRUE(t.listener.stops.empty());
}

TEST(XBoardProtocol, GreetsSetsTheLevelThenSendsPositionMoveAndGo)
{
    XBoard t;
    const Board start = startPosition();
    const std::string fen = start.exportToFEN();
    EXPECT_EQ(t.sent(), "xboard\nprotover 2\n");
    // A level change while the engine starts goes out at once.
    t.protocol.setLevel(5);
    t.protocol.playMove(start, Move());
    EXPECT_EQ(t.protocol.getState(), XBoardProtocol::WaitingFeature);
    EXPECT_EQ(t.sent(), "sd 6\nst 1\n");
    t.engine({"feature myname=\"Fake\" setboard=1"});
    EXPECT_EQ(t.sent(), "sd 6\nst 1\nforce\nsetboard " + fen + "\ngo\n");
    // Later feature lines change nothing.
    t.engine({"feature done=1", "move e7e5"});
    EXPECT_EQ(t.listener.moves, std::vector<Move>{moveOf("e7e5")});
    t.protocol.playMove(start, moveOf("e2e4"));
    EXPECT_EQ(t.sent(), "force\nsetboard " + fen + "\ne2e4\ngo\n");
    t.protocol.setLevel(1);
    EXPECT_EQ(t.sent(), "sd 2\nst 1\n");

    // Like GNU Chess, whose features may stay in its output buffer: the wait
    // for them may end; "Invalid move: sd" is a refusal of "sd" too.
    XBoard late(3);
    late.sent();
    late.protocol.playMove(start, Move());
    EXPECT_EQ(late.sent(), "");
    late.protocol.featureWaitOver();
    EXPECT_EQ(late.sent(), "sd 4\nst 1\nforce\nsetboard " + fen + "\ngo\n");
    late.engine({"Invalid move: sd 4"});
    EXPECT_EQ(late.sent(), "depth 4\nst 1\n");
    late.engine({"move e7e5"});
    EXPECT_EQ(late.listener.moves.size(), 1u);
}

// The engine's output varies; the answer does not.
struct OutputCase {
    const char* name;
    bool uci;
    std::vector<std::string> lines;
    // The move; "" none yet; "!" the answer is rejected as no move.
    const char* expected;
};

void PrintTo(const OutputCase& c, std::ostream* os)
{
    *os << c.name;
}

class EngineOutput : public ::testing::TestWithParam<OutputCase> {};

template <class Protocol> void checkOutput(const OutputCase& c)
{
    Talk<Protocol> t;
    makeReady(t);
    t.protocol.playMove(startPosition(), moveOf("e2e4"));
    t.engine(c.lines);
    const std::string expected = c.expected;
    if (expected == "!") {
        EXPECT_TRUE(t.listener.moves.empty());
        EXPECT_EQ(t.listener.stops, std::vector<std::string>{"Engine error: invalid move"});
        EXPECT_TRUE(t.protocol.hasFailed());
        // Given up: what follows is not heard.
        t.engine({"bestmove e7e5", "move e7e5"});
        EXPECT_TRUE(t.listener.moves.empty());
        return;
    }
    EXPECT_TRUE(t.listener.stops.empty());
    if (expected.empty()) {
        EXPECT_TRUE(t.listener.moves.empty());
        EXPECT_TRUE(t.protocol.isSearching());
        return;
    }
    ASSERT_EQ(t.listener.moves.size(), 1u);
    EXPECT_EQ(t.listener.moves[0], moveOf(c.expected)) << t.listener.moves[0].getAsString();
}

TEST_P(EngineOutput, GivesExactlyTheEnginesMove)
{
    if (GetParam().uci)
        checkOutput<UciProtocol>(GetParam());
    else
        checkOutput<XBoardProtocol>(GetParam());
}

const std::string kBinary("\x00\x01\xff\xfe binary \x80\x81", 14);
const std::string kLong = std::string(70000, 'x') + " bestmove a1a1";

INSTANTIATE_TEST_SUITE_P(
    Lines, EngineOutput,
    ::testing::Values(OutputCase{"UciPlain", true, {"bestmove e7e5 ponder e2e4"}, "e7e5"},
                      OutputCase{"UciBlanksAround", true, {" \tbestmove\te7e5 "}, "e7e5"},
                      OutputCase{"UciInfoLinesIgnored",
                                 true,
                                 {"info depth 1 score cp 20 pv e7e5",
                                  "info string bestmove a2a4 is not it", "bestmove e7e5"},
                                 "e7e5"},
                      OutputCase{"UciGarbageFirst",
                                 true,
                                 {kBinary, "bestmove", "move", "", kLong, "bestmove e7e5"},
                                 "e7e5"},
                      OutputCase{"UciQueenPromotion", true, {"bestmove e2e1q"}, "e2e1q"},
                      OutputCase{"UciUpperCaseKnightPromotion", true, {"bestmove b2b1N"}, "b2b1n"},
                      OutputCase{"UciMoveInInfoString", true, {"info string bestmove e7e5"}, ""},
                      OutputCase{"UciNotAMove", true, {"bestmove z9z9"}, "!"},
                      OutputCase{"UciBadSquare", true, {"bestmove e9e5"}, "!"},
                      OutputCase{"UciTrailingJunk", true, {"bestmove e7e5x ponder e2e4"}, "!"},
                      OutputCase{"XBoardPlain", false, {"move e7e5"}, "e7e5"},
                      OutputCase{"XBoardGarbageFirst",
                                 false,
                                 {kBinary, "bestmove", "move", "bestmove z9z9", kLong, "move e7e5"},
                                 "e7e5"},
                      OutputCase{"XBoardOldSyntax", false, {"My move is: e7e5"}, "e7e5"},
                      OutputCase{"XBoardPromotion", false, {"move a2a1Q"}, "a2a1q"},
                      OutputCase{"XBoardCastlingShort", false, {"move O-O"}, "e8g8"},
                      OutputCase{"XBoardCastlingLong", false, {"move 0-0-0+"}, "e8c8"},
                      OutputCase{"XBoardIllegalMoveReply", false, {"Illegal move: e7e5"}, ""},
                      OutputCase{"XBoardCommentLine", false, {"# thinking about move e7e5"}, ""},
                      OutputCase{"XBoardNotAMove", false, {"move z9z9"}, "!"}),
    [](const ::testing::TestParamInfo<OutputCase>& info) { return info.param.name; });

TEST(XBoardProtocol, EngineRefusingThePositionIsGivenUpButErrorsOnDepthAreNot)
{
    // The answer to a position it does not hold would be a move of another game.
    for (const char* refusal : {"Error (unknown command): setboard", "Illegal move: e2e4"}) {
        XBoard t;
        makeReady(t);
        t.protocol.playMove(startPosition(), moveOf("e2e4"));
        t.engine({"Illegal move: sd 3", refusal, "move e7e5"});
        EXPECT_EQ(t.listener.stops,
                  std::vector<std::string>{"The engine Fake cannot set up the position."});
        EXPECT_TRUE(t.listener.moves.empty());
        EXPECT_TRUE(t.protocol.hasFailed());
    }
    // Like Phalanx, which takes "sd 3" for a move it cannot make, plays on, and
    // knows "depth" instead, also for later changes.
    XBoard t;
    t.engine({"Illegal move: sd 3", "feature done=1"});
    t.protocol.playMove(startPosition(), moveOf("e2e4"));
    t.engine({"move e7e5"});
    EXPECT_EQ(t.listener.moves.size(), 1u);
    EXPECT_TRUE(t.listener.stops.empty());
    t.protocol.setLevel(0);
    const std::string sent = t.sent();
    EXPECT_NE(sent.find("depth 3\n"), std::string::npos) << sent;
    ASSERT_GE(sent.size(), 13u);
    EXPECT_EQ(sent.substr(sent.size() - 13), "depth 1\nst 1\n") << sent;
    EXPECT_EQ(sent.find("sd 1"), std::string::npos);
}

// An engine that gives up, claims a result or has no move answers the request
// all the same; a result after its move is not an answer.
TEST(EngineProtocols, ResignationsResultsAndNoMoveAreReported)
{
    struct Case {
        bool uci;
        std::vector<std::string> lines;
        const char* last;
        std::vector<std::string> results;
        std::vector<std::string> noMoves;
    };
    const std::string noMove = "The engine Fake has no move.";
    const Case cases[] = {
        {false, {"resign"}, "e2e4", {"1-0 The engine Fake resigns."}, {}},
        {false, {"0-1 {White resigns}"}, "", {"0-1 The engine Fake resigns."}, {}},
        {false,
         {"1/2-1/2 {Draw by repetition}"},
         "e2e4",
         {"1/2-1/2 The engine Fake claims a draw."},
         {}},
        {false, {"1-0"}, "e2e4", {"1-0 The engine Fake resigns."}, {}},
        {false, {"1-0 {Black claims}"}, "", {"1-0 The engine Fake claims the win."}, {}},
        {false, {"move e7e5", "0-1 {Black mates}"}, "e2e4", {}, {}},
        {true, {"bestmove (none)"}, "e2e4", {}, {noMove}},
        {true, {"bestmove 0000"}, "", {}, {noMove}},
    };
    for (const Case& c : cases) {
        RecordingListener listener;
        std::unique_ptr<EngineProtocol> protocol;
        Wire wire;
        if (c.uci)
            protocol = std::make_unique<UciProtocol>("Fake");
        else
            protocol = std::make_unique<XBoardProtocol>("Fake");
        protocol->setSink(&wire);
        protocol->setListener(&listener);
        protocol->start();
        protocol->parseLine(c.uci ? "uciok" : "feature done=1");
        protocol->parseLine("readyok");
        protocol->playMove(startPosition(), moveOf(c.last));
        for (const std::string& line : c.lines)
            protocol->parseLine(line);
        EXPECT_FALSE(protocol->isSearching());
        EXPECT_EQ(listener.results, c.results) << c.lines[0];
        EXPECT_EQ(listener.noMoves, c.noMoves) << c.lines[0];
        EXPECT_EQ(listener.moves.size(), c.results.empty() && c.noMoves.empty() ? 1u : 0u);
        EXPECT_TRUE(listener.stops.empty());
        EXPECT_FALSE(protocol->hasFailed());
    }
}

TEST(EngineProtocols, StopCommandsAndTheirAnswers)
{
    Uci uci;
    uci.sent();
    uci.protocol.stopSearch();
    uci.protocol.afterStop();
    uci.protocol.quit();
    EXPECT_EQ(uci.sent(), "stop\nquit\n");
    EXPECT_TRUE(uci.protocol.answersStop("bestmove e7e5 ponder e2e4"));
    EXPECT_FALSE(uci.protocol.answersStop("info depth 3"));
    XBoard xboard;
    xboard.sent();
    xboard.protocol.stopSearch();
    xboard.protocol.afterStop();
    xboard.protocol.quit();
    EXPECT_EQ(xboard.sent(), "?\nforce\nquit\n");
    EXPECT_TRUE(xboard.protocol.answersStop("move e7e5"));
    EXPECT_FALSE(xboard.protocol.answersStop("# searching"));
}

TEST(EngineProtocols, AnswerWithoutListenerIsDropped)
{
    Uci t;
    t.protocol.setListener(nullptr);
    makeReady(t);
    t.protocol.playMove(startPosition(), Move());
    t.engine({"bestmove e7e5", "bestmove z9z9"});
    EXPECT_TRUE(t.listener.moves.empty());
    EXPECT_TRUE(t.listener.stops.empty());
}

// With the game clocks the engine gets its time and the opponent's; the
// level's time per move still caps a UCI search, and a short clock caps it
// harder. An XBoard engine gets "level", "time" and "otim", and back
// without clocks its level's "st" again.
TEST(EngineProtocols, ClocksGoWithTheRequest)
{
    const Board start = startPosition();
    const std::string fen = start.exportToFEN();
    EngineClock clock;
    clock.baseMs = 300000;
    clock.incrementMs = 3000;
    clock.whiteMs = 283000;
    clock.blackMs = 20000;

    Uci uci;
    makeReady(uci);
    uci.protocol.setClock(clock);
    uci.protocol.playMove(start, moveOf("e2e4"));
    EXPECT_EQ(uci.sent(), "position fen " + fen +
                              " moves e2e4\ngo depth 3 wtime 283000 btime 20000 winc 3000 "
                              "binc 3000 movetime 1000\n");
    uci.engine({"bestmove e7e5"});
    // Black to move with 20 s: a twentieth of it and three quarters of the increment.
    Uci deep(14);
    makeReady(deep);
    deep.protocol.setClock(clock);
    deep.protocol.playMove(start, moveOf("e2e4"));
    EXPECT_NE(deep.sent().find("movetime 3250\n"), std::string::npos);

    XBoard xb;
    makeReady(xb);
    xb.protocol.setClock(clock);
    xb.protocol.playMove(start, moveOf("e2e4"));
    EXPECT_EQ(xb.sent(),
              "force\nsetboard " + fen + "\ne2e4\nlevel 0 5 3\ntime 2000\notim 28300\ngo\n");
    xb.engine({"move e7e5"});
    clock.baseMs = 90000;
    xb.protocol.setClock(clock);
    xb.protocol.playMove(start, Move());
    EXPECT_NE(xb.sent().find("level 0 1:30 3\ntime 28300\notim 2000\ngo\n"), std::string::npos);
    xb.engine({"move e2e4"});
    xb.protocol.setClock(EngineClock());
    xb.protocol.playMove(start, Move());
    EXPECT_EQ(xb.sent(), "force\nsetboard " + fen + "\nsd 3\nst 1\ngo\n");
}
