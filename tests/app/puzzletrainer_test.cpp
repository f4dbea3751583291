// The adaptive trainer through the controller: the next puzzle near the
// player's rating, the rating after solves and misses, the repetition dates
// of missed puzzles under a fake clock, and the streak.

#include "tests/app/apptestsupport.h"

#include "base/puzzleimport.h"
#include "base/puzzletables.h"
#include "game/game.h"
#include "game/pgnmove.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sqlite3.h>

using apptest::Environment;
using apptest::TestChess;

namespace {

void exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << error;
}

// The import keeps each puzzle's data; row 2 moves to 1260 so that no two
// ratings tie.
void add_puzzle_info(const std::string& path)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    exec(db, "update puzzle_info set rating = 1260 where puzzle = '3a25f'");
    EXPECT_EQ(sqlite3_changes(db), 1);
    sqlite3_close(db);
}

class PuzzleTrainerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = env.file("chess/puzzles.cdb");
        testsupport::writeFile(env.file("p.csv"),
                               std::string(PuzzleImport::kHeader) + "\n" + apptest::kPuzzles);
        PuzzleImport import;
        ASSERT_TRUE(import.open(env.file("p.csv"))) << import.error();
        ASSERT_EQ(import.run(path, PuzzleImport::Filter()).kept, 4);
        add_puzzle_info(path);
        start();
    }
    void start()
    {
        chess = std::make_unique<TestChess>(env.config());
        chess->puzzles().setClock([this] { return day * 86400 + 3600; });
        chess->bases().loadBase(path.c_str());
        chess->controller().onSelectGame();
    }
    // Plays the solver's moves, each reply waited for.
    void solve(const std::vector<std::string>& moves)
    {
        for (const std::string& move : moves) {
            ASSERT_TRUE(chess->enterMove(move)) << move;
            ASSERT_TRUE(TestChess::waitUntil([&] {
                const PGNMove* next = chess->current()->findNextMove();
                return !next || next->hidden;
            }));
        }
        ASSERT_TRUE(chess->game().flags & Game::FlagSolved);
    }
    int id() const { return chess->game().id; }
    int64_t dueDay(int game)
    {
        return PuzzleTables(chess->document().database.handle()).dueDay(game);
    }

    Environment env;
    std::string path;
    std::unique_ptr<TestChess> chess;
    int64_t day = 20000;
};

} // namespace

TEST_F(PuzzleTrainerTest, SolvesMissesRepetitionAndStreak)
{
    ASSERT_EQ(id(), 1);
    // Normal difficulty at 1500: the nearest unsolved puzzle is the 1550 one.
    chess->puzzles().nextPuzzle();
    EXPECT_EQ(id(), 4);
    // With a theme: the nearest mate in 2.
    env.config().writeString("puzzle.theme", "mateIn2");
    chess->puzzles().nextPuzzle();
    ASSERT_EQ(id(), 2);

    // A clean solve: a win against 1260.
    solve({"e4e8", "e1e8"});
    const PuzzleRating won = PuzzleRating().after(true, 1260);
    EXPECT_DOUBLE_EQ(chess->puzzles().rating().rating, won.rating);
    EXPECT_GT(won.rating, 1500.0);
    EXPECT_EQ(chess->puzzles().streak(), 1);
    EXPECT_EQ(dueDay(2), 0);

    // A miss on day 20000 and another, on the next puzzle, the same day:
    // both come back a day later.
    chess->bases().openGame(1);
    EXPECT_FALSE(chess->enterMove("d4d5"));
    const PuzzleRating lost = won.after(false, 1250);
    EXPECT_DOUBLE_EQ(chess->puzzles().rating().rating, lost.rating);
    EXPECT_EQ(chess->puzzles().streak(), 0);
    EXPECT_EQ(chess->puzzles().bestStreak(), 1);
    EXPECT_EQ(dueDay(1), 20001);
    chess->bases().openGame(3);
    chess->puzzles().showSolution();
    EXPECT_EQ(dueDay(3), 20001);
    // Scored once: the shown solution after a wrong move changes nothing more.
    EXPECT_LT(chess->puzzles().rating().rating, lost.rating);
    const double afterBoth = chess->puzzles().rating().rating;

    // Nothing due yet: the retry walks the failed puzzles after the shown one.
    chess->bases().openGame(2);
    chess->puzzles().retryFailedPuzzles();
    EXPECT_EQ(id(), 3);
    // A day later the due ones come first, the longest due first.
    day = 20001;
    chess->bases().openGame(2);
    chess->puzzles().retryFailedPuzzles();
    ASSERT_EQ(id(), 1);
    // Missed again: three days.
    EXPECT_FALSE(chess->enterMove("d4d5"));
    EXPECT_EQ(dueDay(1), 20004);
    // Solved at the first try when due: no longer repeated.
    day = 20004;
    chess->bases().openGame(4);
    chess->puzzles().retryFailedPuzzles();
    EXPECT_EQ(id(), 3); // due since day 20001
    chess->puzzles().retryFailedPuzzles();
    ASSERT_EQ(id(), 1);
    solve({"d4c5", "c1a1"});
    EXPECT_EQ(dueDay(1), 0);
    EXPECT_GT(chess->puzzles().rating().rating, afterBoth);
    EXPECT_EQ(chess->puzzles().streak(), 1);
    const PuzzleRating kept = chess->puzzles().rating();

    // The streak: the next puzzle rated above the last one solved.
    env.config().writeString("puzzle.theme", "");
    env.config().writeInt("puzzle.order", 2);
    chess->bases().openGame(4);
    chess->puzzles().nextPuzzle();
    EXPECT_EQ(id(), 4);

    // Rating and best streak are the base's: read again when it is opened.
    chess.reset();
    start();
    EXPECT_NEAR(chess->puzzles().rating().rating, kept.rating, 1e-5);
    EXPECT_NEAR(chess->puzzles().rating().deviation, kept.deviation, 1e-5);
    EXPECT_EQ(chess->puzzles().bestStreak(), 1);
    EXPECT_EQ(chess->puzzles().streak(), 1);

    // The dashboard: five scored tries, two wins, average rating 1282.
    const PuzzleDashboard dashboard = chess->puzzles().dashboard();
    EXPECT_EQ(dashboard.total.solved, 2);
    EXPECT_EQ(dashboard.total.missed, 3);
    EXPECT_EQ(dashboard.total.performance, 1282 - 500 + 400);
    EXPECT_EQ(dashboard.ratings.size(), 5u);
    const auto mateIn3 =
        std::find_if(dashboard.themes.begin(), dashboard.themes.end(),
                     [](const PuzzleDashboard::Row& row) { return row.theme == "mateIn3"; });
    ASSERT_NE(mateIn3, dashboard.themes.end());
    EXPECT_EQ(mateIn3->performance, 900);
}

TEST(PuzzleRating, GlickmansExample)
{
    // The worked example of Glickman's description of Glicko-2.
    PuzzleRating player;
    player.deviation = 200;
    const PuzzleRating out = player.after({{1, 1400, 30}, {0, 1550, 100}, {0, 1700, 300}});
    EXPECT_NEAR(out.rating, 1464.06, 0.01);
    EXPECT_NEAR(out.deviation, 151.52, 0.01);
    EXPECT_NEAR(out.volatility, 0.05999, 0.00001);
}
