// Opening names from pgn-extract's table of ECO lines, checked against the ECO
// tags of real games.
#include "game/game.h"
#include "game/openingtable.h"
#include "game/pgnmove.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

const char kEcoFile[] = "/usr/share/pgn-extract/eco.pgn";

class Openings : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::ifstream(kEcoFile)) {
            GTEST_SKIP() << "pgn-extract's " << kEcoFile << " is not installed";
        }
        if (s_table.size() == 0) {
            ASSERT_TRUE(s_table.loadFile(kEcoFile));
        }
    }

    static Game game(const std::string& moves)
    {
        std::istringstream in("[Event \"?\"]\n\n" + moves + " *\n");
        Game g;
        g.load(in);
        return g;
    }

    // Games of the file with an ECO tag, and how many the table names with
    // the same code.
    static void agreement(const std::string& path, int* tagged, int* same)
    {
        std::ifstream in(path);
        Game g;
        for (;;) {
            try {
                if (!g.load(in))
                    break;
            } catch (const std::exception&) {
                continue;
            }
            const auto eco = g.headers.find("ECO");
            if (eco == g.headers.end() || eco->second.size() < 3 || g.setUp)
                continue;
            ++*tagged;
            const OpeningName* name = s_table.find(g);
            if (name != nullptr && name->eco.compare(0, 3, eco->second, 0, 3) == 0)
                ++*same;
        }
    }

    static OpeningTable s_table;
};

OpeningTable Openings::s_table;

} // namespace

TEST_F(Openings, NamesTheLastNamedPositionOfALineAndTranspositions)
{
    EXPECT_GT(s_table.size(), 1900u);
    const OpeningName* najdorf =
        s_table.find(game("1. e4 c5 2. Nf3 d6 3. d4 cxd4 4. Nxd4 Nf6 5. Nc3 a6 6. h3 h6 7. a3"));
    ASSERT_NE(najdorf, nullptr);
    EXPECT_EQ(najdorf->eco, "B90");
    EXPECT_EQ(najdorf->name, "Sicilian, Najdorf, Adams attack");
    // The Queen's Gambit Declined by another order of moves.
    const OpeningName* direct = s_table.find(game("1. d4 d5 2. c4 e6 3. Nc3 Nf6"));
    const OpeningName* moved = s_table.find(game("1. c4 Nf6 2. Nc3 e6 3. d4 d5"));
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(direct, moved);
    EXPECT_EQ(direct->eco.substr(0, 1), "D");
    EXPECT_EQ(s_table.find(game("")), nullptr);

    Game tagged = game("1. e4 e5 2. Nf3 Nc6 3. Bb5");
    EXPECT_TRUE(s_table.tag(tagged));
    EXPECT_EQ(tagged.headers["ECO"], "C60");
    EXPECT_EQ(tagged.headers["Opening"], "Ruy Lopez (Spanish opening)");
    EXPECT_FALSE(s_table.tag(tagged));
}

TEST_F(Openings, AgreesWithTheEcoTagsOfRealGames)
{
    int tagged = 0, same = 0;
    agreement(testsupport::sourcePath("tests/data/masters-slice.pgn"), &tagged, &same);
    agreement(testsupport::sourcePath("tests/data/lichess-slice.pgn"), &tagged, &same);
    ASSERT_GT(tagged, 300);
    EXPECT_GT(same * 100, tagged * 80) << same << " of " << tagged;
    std::printf("ECO agreement: %d of %d games (%.1f%%)\n", same, tagged, 100.0 * same / tagged);
}

TEST_F(Openings, AgreesWithTheEcoTagsOfTheCorpus)
{
    SKIP_WITHOUT_CORPUS("sample-1in20.pgn");
    int tagged = 0, same = 0;
    agreement(testsupport::corpusPath("sample-1in20.pgn"), &tagged, &same);
    ASSERT_GT(tagged, 1000);
    EXPECT_GT(same * 100, tagged * 80) << same << " of " << tagged;
    std::printf("ECO agreement: %d of %d games (%.1f%%)\n", same, tagged, 100.0 * same / tagged);
}
