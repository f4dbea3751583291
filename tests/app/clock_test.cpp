// The game clocks on a fake time source: increments and "[%clk]" comments,
// the header's repaints (every ten seconds above a minute, every second
// below), the time held while the program is in the background, a flag fall,
// a draw on time against a lone king, and the times kept over a restart.
#include "tests/app/apptestsupport.h"

#include "game/game.h"
#include "game/timecontrol.h"
#include "views/gameinfoview.h"

#include <gtest/gtest.h>

#include <fstream>

using apptest::Environment;
using apptest::TestChess;

namespace {

class ClockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        chess = std::make_unique<TestChess>(env.config());
        chess->bases().loadBase(env.file("chess/game.cdb").c_str());
        chess->engine().setOpponent(0);
        useFakeTime(*chess);
    }
    void useFakeTime(TestChess& on)
    {
        on.controller().clock().setTimeSource([this] { return now; });
    }
    void start(const char* fen, TimeControl control)
    {
        Board board;
        board.importFromFEN(fen);
        chess->session().newGame(board, 0, 0, White, 0, GameTimeControl::both(control));
        chess->paint();
        chess->clearRecords();
    }
    // Moves the fake time to the next clock repaint and runs it.
    void step()
    {
        ASSERT_FALSE(chess->deferred.empty());
        now += chess->deferred.back();
        chess->deferred.clear();
        chess->runTimed();
    }
    int64_t left(Color side) const { return chess->controller().clock().clock().remaining(side); }
    const GameInfoView& header() { return chess->screen().infoView(); }

    Environment env;
    std::unique_ptr<TestChess> chess;
    int64_t now = 1000000;
};

const char* const kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

} // namespace

TEST_F(ClockTest, IncrementsRepaintsAndFlagFall)
{
    start(kStart, TimeControl{120000, 1000});
    EXPECT_EQ(chess->game().headers["TimeControl"], "120+1");
    EXPECT_EQ(chess->document().clockText[White], "2:00");
    now += 5000;
    ASSERT_TRUE(chess->enterMove("e2e4"));
    EXPECT_EQ(left(White), 116000);
    EXPECT_EQ(node_clock(chess->current()), 116000);
    now += 3000;
    ASSERT_TRUE(chess->enterMove("e7e5"));
    EXPECT_EQ(left(Black), 118000);
    EXPECT_EQ(chess->document().clockText[Black], "1:50");

    // Above a minute White's clock is repainted once in ten seconds, in
    // its own box; the program in the background holds it.
    chess->clearRecords();
    const int64_t from = now;
    while (now - from < 47000)
        step();
    EXPECT_EQ(left(White), 69000);
    EXPECT_EQ(chess->invalidated.size(), 5u);
    for (const QRect& rect : chess->invalidated)
        EXPECT_EQ(rect, header().clockBox(White));
    chess->controller().clock().setActive(false);
    now += 600000;
    EXPECT_EQ(left(White), 69000);
    chess->controller().clock().setActive(true);

    // Below a minute: once a second, until the flag falls.
    chess->clearRecords();
    int ticks = 0;
    while (chess->game().result == ResultInProgress && ticks < 200) {
        step();
        ++ticks;
    }
    EXPECT_EQ(chess->game().result, ResultBlackWins);
    // 1:09 shows as 1:00 until 0:59, then one repaint a second.
    EXPECT_EQ(ticks, 60);
    // And the whole header once for the result.
    EXPECT_EQ(chess->invalidated.size(), 61u);
    ASSERT_FALSE(chess->messages.empty());
    EXPECT_EQ(chess->messages.back().text, "White's time is up: Black wins");
    EXPECT_EQ(chess->document().clockText[White], "0:00");
    EXPECT_TRUE(chess->deferred.empty());
}

TEST_F(ClockTest, LoneKingCannotWinOnTime)
{
    start("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", TimeControl{60000, 0});
    while (chess->game().result == ResultInProgress && now < 1000000 + 70000)
        step();
    EXPECT_EQ(chess->game().result, ResultDraw);
    EXPECT_EQ(chess->messages.back().text, "White's time is up: Draw");
}

TEST_F(ClockTest, RestartKeepsTheTimes)
{
    start(kStart, TimeControl{300000, 3000});
    now += 20000;
    ASSERT_TRUE(chess->enterMove("d2d4"));
    now += 41500;
    ASSERT_TRUE(chess->enterMove("d7d5"));
    now += 7000;
    chess->bases().closeBase();
    chess.reset();

    TestChess again(env.config());
    useFakeTime(again);
    again.bases().loadBase(env.file("chess/game.cdb").c_str());
    again.controller().onSelectGame();
    ASSERT_EQ(again.lineToCurrent(), (std::vector<std::string>{"d2d4", "d7d5"}));
    EXPECT_EQ(game_time_control(again.game()), GameTimeControl::both({300000, 3000}));
    const ChessClock& clock = again.controller().clock().clock();
    // Written in whole seconds: 283 s for White, 261 s for Black.
    EXPECT_EQ(clock.remaining(White), 283000);
    EXPECT_EQ(clock.remaining(Black), 261000);
    EXPECT_TRUE(clock.isRunning());
    now += 2000;
    EXPECT_EQ(clock.remaining(White), 281000);
}

// Below level 9 an engine's first moves come from the book in the program's
// folder, without starting the engine; above, the engine is asked.
TEST(EngineBook, LowLevelsPlayBookMoves)
{
    const char* book = "/usr/share/games/gnuchess/book.bin";
    if (!std::ifstream(book))
        GTEST_SKIP() << "gnuchess-book is not installed";
    Environment env;
    testsupport::writeFile(env.file("book.bin"), testsupport::readFile(book));
    TestChess chess(env.config());
    chess.bases().loadBase(env.file("chess/game.cdb").c_str());
    chess.engine().setOpponent(apptest::SlotFake);
    chess.engine().setLevel(0);
    Board start;
    start.create_classic_board();
    chess.session().newGame(start, apptest::SlotFake, 0, Black, 0);
    ASSERT_EQ(chess.lineToCurrent().size(), 1u);
    EXPECT_EQ(chess.engine().getEngine(), nullptr);
    EXPECT_EQ(env.logCount("Book move: " + chess.lineToCurrent()[0]), 1);

    chess.engine().setLevel(EngineTurn::kBookLevels);
    chess.session().newGame(start, apptest::SlotFake, 0, Black, 0);
    EXPECT_TRUE(chess.lineToCurrent().empty());
    EXPECT_TRUE(chess.engine().isWaitingForEngine());
}
