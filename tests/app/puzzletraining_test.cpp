// Puzzle training through the controller: failed, helped and solved flags,
// hints, shown solutions, the retry of failed puzzles and the header counts.

#include "tests/app/apptestsupport.h"

#include "base/puzzleimport.h"
#include "core/trans.h"
#include "game/game.h"
#include "game/pgnmove.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>

using apptest::Environment;
using apptest::TestChess;

namespace {

class PuzzleTrainingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = env.file("chess/puzzles.cdb");
        testsupport::writeFile(env.file("p.csv"),
                               std::string(PuzzleImport::kHeader) + "\n" + apptest::kPuzzles);
        PuzzleImport import;
        ASSERT_TRUE(import.open(env.file("p.csv"))) << import.error();
        ASSERT_EQ(import.run(path, PuzzleImport::Filter()).kept, 4);
        // A solved puzzle asks for the next one two seconds later.
        env.config().writeInt("next_puzzle", 2);
        chess = std::make_unique<TestChess>(env.config());
        chess->bases().loadBase(path.c_str());
        chess->controller().onSelectGame();
    }
    // The flags but the side the board is shown from.
    unsigned flags() { return chess->game().flags & ~unsigned(Game::FlagViewAsBlack); }
    std::string header() const { return chess->screen().infoView().puzzleText(); }
    std::string rating() const
    {
        return std::to_string(std::lround(chess->puzzles().rating().rating));
    }
    int nextFailed() { return chess->document().database.getNextFailedPuzzleRowID(0); }
    // A hint's move is played; the opponent's reply follows from the event loop.
    void hintMove()
    {
        const PGNMove* before = chess->current();
        chess->controller().hint();
        ASSERT_EQ(chess->current(), before);
        chess->controller().hint();
        ASSERT_NE(chess->current(), before);
        ASSERT_TRUE(TestChess::waitUntil([&] {
            const PGNMove* next = chess->current()->findNextMove();
            return !next || next->hidden;
        }));
    }

    Environment env;
    std::string path;
    std::unique_ptr<TestChess> chess;
};

} // namespace

TEST_F(PuzzleTrainingTest, FlagsFollowWrongMovesHintsAndSolutions)
{
    ASSERT_EQ(chess->game().id, 1);
    EXPECT_EQ(
        header(),
        "1. Black to move \u00b7 mate in 2 \u00b7 1250 \u00b7 0/2 \u00b7 0/4 \u00b7 rating 1500");

    // A wrong move: failed, still unsolved, stored at once.
    EXPECT_FALSE(chess->enterMove("d4d5"));
    ASSERT_FALSE(chess->messages.empty());
    EXPECT_EQ(chess->messages.back().text, "Incorrect move!");
    EXPECT_EQ(flags(), unsigned(Game::FlagPuzzle | Game::FlagFailed));
    EXPECT_EQ(nextFailed(), 1);

    // The first hint marks the queen on d4, the second plays Qc5.
    chess->controller().hint();
    EXPECT_EQ(chess->document().selection, Position(3, 3));
    EXPECT_TRUE(flags() & Game::FlagHelped);
    chess->controller().hint();
    EXPECT_EQ(apptest::coordinates(chess->current()->move), "d4c5");
    ASSERT_TRUE(TestChess::waitUntil([&] { return chess->current()->findNextMove()->hidden; }));
    EXPECT_EQ(apptest::coordinates(chess->current()->move), "b8b5");
    // Finished by the hint: solved with help, not counted as solved, and
    // still among the puzzles to retry.
    hintMove();
    EXPECT_EQ(flags(),
              unsigned(Game::FlagPuzzle | Game::FlagSolved | Game::FlagFailed | Game::FlagHelped));
    EXPECT_EQ(chess->deferredBy(2000), 1);
    EXPECT_EQ(header(),
              "1. Black to move \u00b7 mate in 2 \u00b7 1250 \u00b7 0/2 \u00b7 0/4 \u00b7 rating " +
                  rating() + " - solved with help");
    EXPECT_EQ(nextFailed(), 1);

    // The solution: one move now and one for each OK; failed, never solved.
    chess->bases().nextUnsolvedPuzzle();
    ASSERT_EQ(chess->game().id, 2);
    chess->puzzles().showSolution();
    EXPECT_EQ(flags(), unsigned(Game::FlagPuzzle | Game::FlagFailed | Game::FlagHelped));
    EXPECT_EQ(apptest::coordinates(chess->current()->move), "e4e8");
    chess->input().keyOk();
    chess->input().keyOk();
    EXPECT_EQ(chess->lineToCurrent(), (std::vector<std::string>{"d5a2", "e4e8", "h8e8", "e1e8"}));
    chess->input().keyOk();
    EXPECT_EQ(chess->current()->findNextMove(), nullptr);
    EXPECT_EQ(flags() & 6, 2u);
    EXPECT_EQ(chess->deferredBy(2000), 1);
    EXPECT_EQ(header(),
              "2. White to move \u00b7 mate in 2 \u00b7 1250 \u00b7 0/2 \u00b7 0/4 \u00b7 rating " +
                  rating());

    // Under the next heading, with another failure: the retry steps through
    // the failed puzzles and the one solved with help, round again from the
    // first; that one opens unsolved again.
    chess->bases().nextUnsolvedPuzzle();
    ASSERT_EQ(chess->game().id, 3);
    EXPECT_EQ(header(),
              "3. Black to move \u00b7 mate in 3 \u00b7 1400 \u00b7 0/2 \u00b7 0/4 \u00b7 rating " +
                  rating());
    EXPECT_FALSE(chess->enterMove("g5f4"));
    std::vector<int> retried;
    for (int i = 0; i < 3; ++i) {
        chess->puzzles().retryFailedPuzzles();
        retried.push_back(chess->game().id);
    }
    EXPECT_EQ(retried, (std::vector<int>{1, 2, 3}));
    // A retried puzzle opens unsolved, its line hidden again.
    EXPECT_TRUE(chess->current()->findNextMove()->hidden);
}

TEST_F(PuzzleTrainingTest, ReadOnlyBaseKeepsFlagsInMemoryOnly)
{
    chess->bases().closeBase();
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    chess->bases().loadBase(path.c_str());
    chess->controller().onSelectGame();
    ASSERT_TRUE(chess->document().database.isReadOnly());
    EXPECT_FALSE(chess->enterMove("d4d5"));
    chess->puzzles().showSolution();
    EXPECT_EQ(flags(), unsigned(Game::FlagPuzzle | Game::FlagFailed | Game::FlagHelped));
    EXPECT_EQ(nextFailed(), 0);
    chess->bases().nextUnsolvedPuzzle();
    EXPECT_EQ(chess->game().id, 2);
}

namespace {

// A real puzzle of the public file (its URL left out) whose one solver move
// has two mates: after 48.Rxb5 both 48...f5# (stored) and 48...h5# mate.
const char kTwoMates[] = "00EWi,8/8/1R3pkp/1pP5/1P3PKP/r7/8/8 w - - 2 48,b6b5 f6f5,886,82,94,480,"
                         "endgame mate mateIn1 oneMove rookEndgame,,\n";

// The words of the move list's comments, as the history view shows them.
std::string comment_words(const Game& game)
{
    std::string out;
    for (const PGNElement* e = game.root; e; e = e->next) {
        if (e->getType() == PGNElement::TypeCommentElement && !e->getText().empty())
            out += (out.empty() ? "" : "|") + e->getText();
    }
    return out;
}

class PuzzleFaultsTest : public ::testing::Test {
protected:
    // The puzzles in a base, the program in the language of index lang.
    void open(const std::string& rows, int lang = 0)
    {
        const std::string path = env.file("chess/p.cdb");
        testsupport::writeFile(env.file("p.csv"), std::string(PuzzleImport::kHeader) + "\n" + rows);
        PuzzleImport import;
        ASSERT_TRUE(import.open(env.file("p.csv"))) << import.error();
        ASSERT_GT(import.run(path, PuzzleImport::Filter()).kept, 0);
        mkdir(env.file("translate").c_str(), 0755);
        testsupport::writeFile(
            env.file("translate/messages.lng"),
            testsupport::readFile(testsupport::sourcePath("assets/translate/messages.lng")));
        env.config().writeString("lang_1", "de:Deutsch");
        env.config().writeString("lang_2", "ru:Russian");
        env.config().writeInt("lang", lang);
        trans = std::make_unique<Trans>(&env.config());
        trans->load(static_cast<unsigned>(lang));
        g_pTrans = trans.get();
        chess = std::make_unique<TestChess>(env.config());
        chess->bases().loadBase(path.c_str());
        chess->controller().onSelectGame();
    }
    void TearDown() override
    {
        chess.reset();
        g_pTrans = nullptr;
    }
    std::string header() const { return chess->screen().infoView().puzzleText(); }

    Environment env;
    std::unique_ptr<Trans> trans;
    std::unique_ptr<TestChess> chess;
};

} // namespace

TEST_F(PuzzleFaultsTest, AnyMateOnTheLastMoveSolves)
{
    open(kTwoMates);
    EXPECT_TRUE(chess->enterMove("h6h5"));
    for (const TestChess::Message& message : chess->messages)
        EXPECT_NE(message.text, "Incorrect move!");
    EXPECT_EQ(chess->game().flags & (Game::FlagSolved | Game::FlagFailed),
              unsigned(Game::FlagSolved));
    EXPECT_EQ(apptest::coordinates(chess->current()->move), "h6h5");
    // The stored mate stays in the list beside it.
    EXPECT_FALSE(chess->current()->parent->findNextMove()->hidden);

    // A move that does not mate is still wrong.
    chess->session().resetGame();
    EXPECT_FALSE(chess->enterMove("g6f7"));
    EXPECT_TRUE(chess->game().flags & Game::FlagFailed);
}

TEST_F(PuzzleFaultsTest, ThemesInWordsOnlyAfterTheSolveAndHeaderTranslated)
{
    open(kTwoMates, 1);
    EXPECT_EQ(comment_words(chess->game()), "");
    EXPECT_EQ(header(),
              "1. Schwarz am Zug \u00b7 Matt in 1 \u00b7 886 \u00b7 0/1 \u00b7 Wertung 1500");
    ASSERT_TRUE(chess->enterMove("f6f5"));
    EXPECT_EQ(comment_words(chess->game()), "Endspiel, Matt, Matt in 1, Turmendspiel");

    // Russian, and the themes of a shown solution.
    chess.reset();
    env.config().writeInt("lang", 2);
    trans->load(2);
    chess = std::make_unique<TestChess>(env.config());
    chess->bases().loadBase(env.file("chess/p.cdb").c_str());
    chess->controller().onSelectGame();
    chess->session().resetGame();
    EXPECT_EQ(comment_words(chess->game()), "");
    EXPECT_EQ(
        header().rfind("1. Ход чёрных \u00b7 мат в 1 ход \u00b7 886 \u00b7 0/1 \u00b7 рейтинг ", 0),
        0u)
        << header();
    chess->puzzles().showSolution();
    EXPECT_EQ(comment_words(chess->game()), "эндшпиль, мат, мат в 1 ход, ладейный эндшпиль");
}

TEST_F(PuzzleFaultsTest, ShownSolutionListsOnlyWhatTheBoardPlayed)
{
    open(std::string(apptest::kPuzzles));
    chess->puzzles().showSolution();
    // 56...Qc5 is on the board; the reply 57.Qb5 waits for OK.
    EXPECT_EQ(apptest::coordinates(chess->current()->move), "d4c5");
    EXPECT_TRUE(chess->current()->findNextMove()->hidden);
    chess->input().keyOk();
    EXPECT_EQ(apptest::coordinates(chess->current()->move), "b8b5");
    EXPECT_TRUE(chess->current()->findNextMove()->hidden);
}
