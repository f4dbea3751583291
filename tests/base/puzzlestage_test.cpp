// PuzzleStage: rows come back by rating, ties in the order they were added,
// whether they stayed in memory or went through sorted runs on disk; PuzzleIds
// finds repeated ids the same way.
#include "base/puzzleids.h"
#include "base/puzzlestage.h"
#include "tests/support/test_support.h"

#include <QDir>

#include <gtest/gtest.h>

#include <iterator>

#include <string>
#include <vector>

namespace {

std::string order(size_t blockBytes, size_t readBytes, const std::vector<int>& ratings)
{
    testsupport::TempDir dir;
    PuzzleStage stage(dir.path(), blockBytes, readBytes);
    PuzzleImport::Puzzle puzzle;
    for (size_t i = 0; i < ratings.size(); ++i) {
        puzzle.rating = ratings[i];
        puzzle.round = std::to_string(i);
        // Texts of different lengths, the longest larger than a small block.
        puzzle.moveText = std::string(i % 3 == 0 ? 300 : i, 'x');
        puzzle.flags = static_cast<unsigned>(i);
        stage.add(puzzle);
    }
    std::string out;
    PuzzleStage::Row row;
    while (stage.next(&row)) {
        EXPECT_EQ(row.flags, static_cast<unsigned>(std::stoi(std::string(row.round))));
        EXPECT_EQ(row.moveText.size(), row.flags % 3 == 0 ? 300u : row.flags);
        out += std::to_string(row.rating) + ":" + std::string(row.round) + " ";
    }
    EXPECT_EQ(stage.size(), static_cast<int64_t>(ratings.size()));
    return out;
}

} // namespace

TEST(PuzzleStage, RowsComeBackByRatingTiesInOrderInMemoryAndFromRuns)
{
    const std::vector<int> ratings = {1500, -20, 1500, 900, 2100, 900, 1500, -20, 3000, 1500};
    const std::string expected =
        "-20:1 -20:7 900:3 900:5 1500:0 1500:2 1500:6 1500:9 2100:4 3000:8 ";
    EXPECT_EQ(order(1 << 20, 1 << 10, ratings), expected);
    // A block of a few rows: several runs merged; reads shorter than a row.
    EXPECT_EQ(order(400, 50, ratings), expected);
    EXPECT_EQ(order(400, 50, {}), "");
}

TEST(PuzzleIds, RepeatsAreFoundAcrossRunsWithTheirFirstLine)
{
    // Blocks of 3 ids: the repeats sit in the same run and in later ones.
    for (size_t block : {size_t(3), size_t(1000)}) {
        testsupport::TempDir dir;
        PuzzleIds ids(dir.path(), block);
        const char* const names[] = {"a", "b", "c", "a", "d", "b", "e", "f", "a", "g"};
        for (size_t i = 0; i < std::size(names); ++i)
            ids.add(names[i], static_cast<int64_t>(i + 2));
        using Repeats = std::vector<std::pair<int64_t, int64_t>>;
        EXPECT_EQ(ids.repeats(), (Repeats{{5, 2}, {7, 3}, {10, 2}})) << block;
        // Nothing is left in the folder.
        EXPECT_TRUE(QDir(QString::fromStdString(dir.path()))
                        .entryList(QDir::Hidden | QDir::Files)
                        .isEmpty());
    }
}
