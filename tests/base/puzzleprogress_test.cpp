// Puzzle progress in a base built from the puzzle CSV file: counts by SQL,
// the failed and helped flags, and the failed puzzles to retry.
#include "base/chessbase.h"
#include "base/puzzleimport.h"
#include "tests/base/basetestutil.h"

#include <gtest/gtest.h>

#include <climits>

using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// Four puzzles: rows 1 (900), 2 (1399), 3 and 4 (1500) after the import.
std::string build_base(TempDir& dir)
{
    const std::string mate = "6k1/p4ppp/8/8/8/8/5PPP/4R1K1 b - - 0 1,a7a6 e1e8,";
    writeFile(dir.file("p.csv"), std::string(PuzzleImport::kHeader) + "\n" + "a," + mate +
                                     "1500,80,0,1,mate,,\n" + "b," + mate + "1399,80,0,1,mate,,\n" +
                                     "c," + mate + "1500,80,0,1,mate,,\n" + "d," + mate +
                                     "900,80,0,1,mate,,\n");
    PuzzleImport import;
    EXPECT_TRUE(import.open(dir.file("p.csv"))) << import.error();
    EXPECT_EQ(import.run(dir.file("p.cdb"), PuzzleImport::Filter()).kept, 4);
    return dir.file("p.cdb");
}

// "solved/total".
std::string text(const ChessBase::PuzzleCount& c)
{
    return std::to_string(c.solved) + "/" + std::to_string(c.total);
}

} // namespace

TEST(PuzzleProgress, FlagsLifeCycleCountsAndRetry)
{
    TempDir dir;
    const std::string path = build_base(dir);
    {
        ChessBase base;
        base.open(path);
        ASSERT_EQ(base.items.size(), 3u);
        EXPECT_EQ(text(base.countPuzzles()), "0/4");

        // A wrong move: failed, still unsolved, so both walks find it.
        base.openGame(3);
        base.setPuzzleFlags(Game::FlagFailed);
        EXPECT_EQ(base.getNextFailedPuzzleRowID(0), 3);
        base.openGame(2);
        EXPECT_EQ(base.getNextUnsolvedPuzzleRowID(), 3);
        ASSERT_TRUE(base.nextFailedPuzzle());
        EXPECT_EQ(base.game.id, 3);

        // Solved on the retry with a hint: not counted, still retried.
        base.setPuzzleFlags(Game::FlagSolved | Game::FlagHelped);
        EXPECT_EQ(text(base.countPuzzles()), "0/4");
        EXPECT_EQ(base.getNextFailedPuzzleRowID(0), 3);
        // Solved clean: counted at once, no longer retried.
        base.setPuzzleFlags(0, Game::FlagHelped);
        EXPECT_EQ(text(base.countPuzzles()), "1/4");
        EXPECT_EQ(base.getNextFailedPuzzleRowID(0), 0);
        EXPECT_FALSE(base.nextFailedPuzzle());

        int first = 0, last = 0;
        base.headingRange(&base.items[2], &first, &last);
        EXPECT_EQ(first, 3);
        EXPECT_EQ(last, INT_MAX);
        EXPECT_EQ(text(base.countPuzzles(first, last)), "1/2");
        base.headingRange(&base.items[1], &first, &last);
        EXPECT_EQ(text(base.countPuzzles(first, last)), "0/1");
        base.headingRange(&base.contents, &first, &last);
        EXPECT_EQ(text(base.countPuzzles(first, last)), "1/4");

        base.openGame(4);
        base.setPuzzleFlags(Game::FlagFailed);
        // Resetting a puzzle clears solved only: the history stays.
        base.openGame(3);
        base.setPuzzleFlags(0, Game::FlagSolved);
        base.openGame(1);
    }
    RawBase raw(path);
    EXPECT_EQ(raw.rows("select rowid, Flags from games where Flags != 2 order by rowid"),
              (std::vector<std::string>{"3|130", "4|130"}));
    // The retry and the counts read the plain Flags index, not every row.
    for (const char* query :
         {"select min(+rowid) from games where Flags >= 128 and Flags & 134 = 130 and +rowid > 1",
          "select count(1) from games where Flags in (6,38,134) and +rowid between 1 and 3",
          "select count(1) from games where Flags & 2 = 2 and +rowid between 1 and 3"})
        EXPECT_NE(raw.value(std::string("explain query plan ") + query).find("INDEX flags"),
                  std::string::npos)
            << query;

    // A read-only base keeps the flags in memory only.
    ChessBase readOnly;
    readOnly.open(path, ChessBase::ReadOnly);
    readOnly.openGame(1);
    readOnly.setPuzzleFlags(Game::FlagFailed);
    EXPECT_EQ(readOnly.game.flags, 0x82u);
    EXPECT_EQ(readOnly.getNextFailedPuzzleRowID(0), 3);
    EXPECT_EQ(text(readOnly.countPuzzles()), "0/4");
}
