// Hint and take back through the controller, with scripted and real engines.

#include "tests/app/apptestsupport.h"

#include "engine/enginefactory.h"
#include "game/game.h"
#include "game/pgnmove.h"

#include <gtest/gtest.h>

#include <algorithm>

using apptest::Environment;
using apptest::TestChess;

namespace {

Board from_fen(const char* fen)
{
    Board board;
    if (fen)
        board.importFromFEN(fen);
    else
        board.create_classic_board();
    return board;
}

// The controller on the default base, the user White against slot.
class Aids : public ::testing::Test {
protected:
    void start(int slot, const char* fen = nullptr)
    {
        EngineFactory::instance().init(&env.config());
        chess = std::make_unique<TestChess>(env.config());
        chess->bases().loadBase(env.file("chess/game.cdb").c_str());
        chess->engine().setOpponent(slot);
        chess->session().newGame(from_fen(fen), 0, slot, White, 0);
        chess->paint();
        chess->clearRecords();
    }
    const Move& hint() const { return chess->document().hint; }
    int plies() const
    {
        int n = 0;
        for (const PGNMove* m = chess->game().root->findNextMove(); m; m = m->findNextMove())
            ++n;
        return n;
    }

    Environment env;
    std::unique_ptr<TestChess> chess;
};

} // namespace

TEST_F(Aids, HintMarksItsTwoSquaresNeverPlaysAndGoesWithTheNextMove)
{
    const std::string log = env.file("hint.log");
    env.config().writeString(
        "engine_07", ("UCI|Hinter|engines/fake_engine.py --answer g1f3 --log " + log).c_str());
    env.config().writeInt("hint_engine", 7);
    start(apptest::SlotFake);
    chess->controller().hint();
    ASSERT_TRUE(TestChess::waitUntil([&] { return !hint().isNull(); }));
    EXPECT_EQ(hint().getAsString(), "g1f3");
    EXPECT_EQ(chess->current(), chess->game().root);
    EXPECT_FALSE(chess->engine().isWaitingForEngine());
    // Only the two squares are repainted.
    const ChessBoardView& board = chess->screen().boardView();
    std::vector<QRect> squares = {board.cellRect(Position(6, 0)), board.cellRect(Position(5, 2))};
    std::sort(squares.begin(), squares.end(),
              [](const QRect& a, const QRect& b) { return a.y() < b.y(); });
    std::sort(chess->invalidated.begin(), chess->invalidated.end(),
              [](const QRect& a, const QRect& b) { return a.y() < b.y(); });
    EXPECT_EQ(chess->invalidated, squares);
    chess->paint();
    // The hint engine ran for the search only.
    EXPECT_TRUE(TestChess::waitUntil(
        [&] { return testsupport::readFile(log).find("quit") != std::string::npos; }));

    ASSERT_TRUE(chess->enterMove("e2e4"));
    EXPECT_TRUE(hint().isNull());
    ASSERT_TRUE(TestChess::waitUntil([&] { return plies() == 2; }));
    EXPECT_TRUE(chess->messages.empty());
}

TEST_F(Aids, HintForAPositionLeftIsDropped)
{
    env.config().writeString(
        "engine_07", "UCI|Slow hinter|engines/fake_engine.py --answer g1f3 --search-seconds 1");
    env.config().writeInt("hint_engine", 7);
    start(apptest::SlotFake);
    chess->controller().hint();
    ASSERT_TRUE(chess->enterMove("e2e4"));
    ASSERT_TRUE(TestChess::waitUntil([&] { return plies() == 2; }));
    // Past the time the hinter takes, nothing has come of it.
    EXPECT_FALSE(TestChess::waitUntil(
        [&] { return !hint().isNull() || env.logCount("Hint") > 1 || !chess->messages.empty(); },
        1500));
    EXPECT_TRUE(hint().isNull());
    EXPECT_EQ(env.logCount("Hint: "), 0);
    EXPECT_TRUE(chess->messages.empty());
}

TEST_F(Aids, TakeBackDiscardsThePendingAnswerAndRemovesBothMoves)
{
    env.config().writeString("engine_07", "UCI|Slow|engines/fake_engine.py --search-seconds 2");
    start(7);
    ASSERT_TRUE(chess->enterMove("e2e4"));
    ASSERT_TRUE(TestChess::waitUntil([&] { return chess->engine().isWaitingForEngine(); }));
    chess->session().takeBack();
    EXPECT_FALSE(chess->engine().isWaitingForEngine());
    EXPECT_EQ(chess->current(), chess->game().root);
    EXPECT_EQ(plies(), 0);
    // The answer the slow engine owed never comes.
    EXPECT_FALSE(TestChess::waitUntil([&] { return plies() != 0; }, 2500));

    // A fresh engine answers the next move; both moves go back, and the
    // stored game has neither of them.
    ASSERT_TRUE(chess->enterMove("d2d4"));
    ASSERT_TRUE(TestChess::waitUntil([&] { return plies() == 2; }));
    chess->session().takeBack();
    EXPECT_EQ(plies(), 0);
    ASSERT_TRUE(chess->enterMove("c2c4"));
    ASSERT_TRUE(TestChess::waitUntil([&] { return chess->engine().isWaitingForEngine(); }));
    chess->session().takeBack();
    EXPECT_TRUE(chess->messages.empty());
    ASSERT_TRUE(chess->enterMove("g1f3"));
    ASSERT_TRUE(chess->bases().storeGame());
    EXPECT_EQ(chess->game().moveText, "1.Nf3 $500 *");
}

TEST_F(Aids, TakeBackBetweenTwoPeopleIsOneMoveAndNeverInAPuzzle)
{
    start(apptest::SlotHuman);
    for (const char* move : {"e2e4", "e7e5", "g1f3"})
        ASSERT_TRUE(chess->enterMove(move));
    chess->session().takeBack();
    EXPECT_EQ(chess->lineToCurrent(), (std::vector<std::string>{"e2e4", "e7e5"}));
    EXPECT_EQ(plies(), 2);
    // Inside the line only the position goes back.
    chess->game().prevPosition();
    chess->session().takeBack();
    EXPECT_EQ(chess->current(), chess->game().root);
    EXPECT_EQ(plies(), 2);

    chess->game().lastPosition();
    chess->game().flags |= Game::FlagPuzzle;
    chess->session().takeBack();
    EXPECT_EQ(plies(), 2);
    EXPECT_EQ(chess->lineToCurrent().size(), 2u);
}

TEST_F(Aids, StockfishHintsTheMate)
{
    if (!Environment::haveEngine("stockfish"))
        GTEST_SKIP() << "stockfish is not installed";
    // No hint_engine: the first UCI entry, Stockfish.
    start(apptest::SlotFake, "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1");
    chess->controller().hint();
    ASSERT_TRUE(TestChess::waitUntil([&] { return !hint().isNull() || !chess->messages.empty(); }));
    EXPECT_EQ(hint().getAsString(), "d1d8");
    EXPECT_EQ(plies(), 0);
}
