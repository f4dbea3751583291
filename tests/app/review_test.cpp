// Review Game through the controller with a scripted engine: the marks, the
// stored game, stopping and resuming, stepping through the marked moves and
// the opening shown.
#include "tests/app/apptestsupport.h"

#include "engine/enginefactory.h"
#include "game/game.h"
#include "game/gamereview.h"
#include "game/pgnmove.h"

#include <gtest/gtest.h>

using apptest::Environment;
using apptest::TestChess;

namespace {

Board classic()
{
    Board board;
    board.create_classic_board();
    return board;
}

class Review : public ::testing::Test {
protected:
    // The game 1. e4 e5 2. Nf3 Nc6 3. Bc4 Nf6 between two people, reviewed
    // by a scripted engine that finds 3... Nf6 a blunder (-2.00 after it).
    void start(double searchSeconds)
    {
        const std::string script = env.file("scores.txt");
        testsupport::writeFile(script, "cp 20 e2e4\ncp -20 e7e5\ncp 20 g1f3\ncp -20 b8c6\n"
                                       "cp 20 f1c4\ncp -20 f8c5\ncp 200 e1g1\n");
        env.config().writeString("engine_07",
                                 ("UCI|Reviewer|engines/fake_engine.py --script " + script +
                                  " --search-seconds " + std::to_string(searchSeconds))
                                     .c_str());
        env.config().writeInt("hint_engine", 7);
        EngineFactory::instance().init(&env.config());
        chess = std::make_unique<TestChess>(env.config());
        chess->bases().loadBase(env.file("chess/game.cdb").c_str());
        chess->session().newGame(classic(), 0, 0, White, 0);
        for (const char* san : {"e4", "e5", "Nf3", "Nc6", "Bc4", "Nf6"})
            chess->game().addMove(san);
        chess->controller().completeAction(false);
        chess->clearRecords();
    }

    Environment env;
    std::unique_ptr<TestChess> chess;
};

} // namespace

TEST_F(Review, MarksTheBlunderStoresTheGameAndStepsToIt)
{
    start(0);
    EXPECT_EQ(chess->document().opening.substr(0, 4), "C55 ");
    chess->controller().reviewer().toggleReview();
    ASSERT_TRUE(TestChess::waitUntil([&] { return !chess->controller().reviewer().isRunning(); }));
    ASSERT_EQ(chess->messages.size(), 1u);
    EXPECT_NE(chess->messages[0].text.find("?? 1"), std::string::npos) << chess->messages[0].text;
    EXPECT_TRUE(chess->document().reviewMark.empty());

    // Stored: the base's row has the marks, the better line and the tags.
    const int id = chess->game().id;
    chess->bases().storeGame();
    Game& game = chess->game();
    EXPECT_NE(game.moveText.find("Nf6 $4 { [%eval 2.00] Blunder. Bc5 was best. }\n  ( Bc5"),
              std::string::npos)
        << game.moveText;
    EXPECT_EQ(game.headers["Annotator"], "Reviewer");
    EXPECT_EQ(game.headers["ECO"], "C55");
    EXPECT_EQ(game.id, id);
    game.open();
    EXPECT_EQ(read_eval_curve(chess->game()).back(), 2.0);

    // Only the blunder is marked: from the start to it, then nothing further.
    chess->game().current = chess->game().root;
    chess->controller().reviewer().stepMarkedMove(true);
    EXPECT_EQ(chess->game().current->text, "Nf6");
    chess->controller().reviewer().stepMarkedMove(true);
    EXPECT_EQ(chess->game().current->text, "Nf6");
}

TEST_F(Review, AStoppedReviewResumesWhereItWas)
{
    start(0.3);
    chess->controller().reviewer().toggleReview();
    ASSERT_TRUE(TestChess::waitUntil([&] { return chess->controller().reviewer().judged() >= 2; }));
    chess->controller().reviewer().toggleReview();
    EXPECT_FALSE(chess->controller().reviewer().isRunning());
    const size_t judged = chess->controller().reviewer().judged();
    EXPECT_GE(judged, 2u);
    chess->controller().reviewer().toggleReview();
    EXPECT_TRUE(chess->controller().reviewer().isRunning());
    EXPECT_EQ(chess->controller().reviewer().judged(), judged);
    ASSERT_TRUE(TestChess::waitUntil([&] { return !chess->controller().reviewer().isRunning(); }));
    EXPECT_EQ(chess->controller().reviewer().judged(), 7u);
    EXPECT_NE(chess->game().moveText.find("$4"), std::string::npos);
}
