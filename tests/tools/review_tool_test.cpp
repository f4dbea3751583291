// inkmate-tool review: a scripted engine for the exact marks, Stockfish for real blunders.
#include "tests/support/test_support.h"
#include "tests/tools/toolfolder.h"

#include <gtest/gtest.h>

using testsupport::readFile;
using testsupport::writeFile;
using tooltest::ToolRun;

namespace {

class ReviewTool : public tooltest::ToolFolder {
protected:
    ReviewTool() : ToolFolder("review") {}
};

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(ReviewTool, MarksMovesByTheLossOfWinningChances)
{
    // Scores for the side to move, one per position. After each Black move the
    // game is level again, so both sides lose the chances of each White move's
    // score: 50 cp is 0.0997 (no mark), 51 cp 0.1016 (?!), 101 cp 0.1993
    // (?!), 102 cp 0.2012 (?), 154 cp 0.2986 (?), 155 cp 0.3004 (??). White's
    // last move allows a mate (??); Black's reply mates in one (no loss).
    const std::string script = m_dir.file("scores.txt");
    std::string rows = "cp 0 e2e4\n";
    for (int cp : {50, 51, 101, 102, 154, 155})
        rows += "cp " + std::to_string(cp) + " h7h6\ncp 0 h2h3 h7h6\n";
    rows += "mate 2 h7h6\nmate -1 h2h3\n";
    writeFile(script, rows);
    entries({"HUM|Human|-", "UCI|Fake|fake_engine.py --script " + script});
    const std::string in = m_dir.file("in.pgn");
    const std::string out = m_dir.file("out.pgn");
    writeFile(in, "[Event \"e\"]\n[White \"w\"]\n[Black \"b\"]\n[Result \"*\"]\n\n"
                  "1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. c3 Nf6 5. d3 d6 6. O-O O-O 7. a3 a6 *\n");

    const ToolRun run = this->run({in, out});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = readFile(out);
    EXPECT_TRUE(contains(text, "[Annotator \"Fake\"]")) << text;
    EXPECT_TRUE(contains(text, "1. e4 { [%eval -0.50] } e5 { [%eval 0.00] } 2. Nf3 $6")) << text;
    for (const char* marked :
         {"2. Nf3 $6 { [%eval -0.51] Inaccuracy. h3 was best. } ( 2. h3 h6 { [%eval 0.00] } )",
          "2... Nc6 $6", "3. Bc4 $6", "3... Bc5 $6", "4. c3 $2", "4... Nf6 $2", "5. d3 $2",
          "5... d6 $2", "6. O-O $4", "6... O-O $4 { [%eval 0.00] Blunder. h6 was best. }",
          "7. a3 $4 { [%eval #-2] Blunder.", "7... a6 { [%eval #-1] } {"})
        EXPECT_TRUE(contains(text, marked)) << marked << "\n" << text;
    EXPECT_TRUE(contains(text, "White: inaccuracies 2, mistakes 2, blunders 2")) << text;
    EXPECT_TRUE(contains(text, "Black: inaccuracies 2, mistakes 2, blunders 1")) << text;
}

TEST_F(ReviewTool, StockfishFindsTheBlundersOfShortGames)
{
    if (!link("stockfish"))
        GTEST_SKIP() << "stockfish is not installed";
    entries({"HUM|Human|-", "UCI|Stockfish|stockfish"});
    const std::string in = m_dir.file("in.pgn");
    const std::string out = m_dir.file("out.pgn");
    // The fool's mate and the scholar's mate: 2. g4 and 3... Nf6 lose at once.
    writeFile(in, "[Event \"fool\"]\n[Result \"0-1\"]\n\n1. f3 e5 2. g4 Qh4# 0-1\n\n"
                  "[Event \"scholar\"]\n[Result \"1-0\"]\n\n"
                  "1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# 1-0\n");
    const ToolRun run = this->run({in, out, "--movetime", "200"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = readFile(out);
    EXPECT_TRUE(contains(text, "2. g4 $4 { [%eval #-1]")) << text;
    EXPECT_TRUE(contains(text, "} Nf6 $4 { [%eval #1] Blunder.")) << text;
    EXPECT_TRUE(contains(text, "Qh4# { [%eval #-0] }")) << text;
    EXPECT_TRUE(contains(text, "[ECO \"C20\"]")) << text;
    EXPECT_TRUE(contains(text, "mistakes 0, blunders 1, average")) << text;
}

TEST_F(ReviewTool, RefusesWhatItCannotUse)
{
    entries({"HUM|Human|-", "XBOARD|Fake|fake_engine.py --protocol xboard"});
    const std::string in = m_dir.file("in.pgn");
    writeFile(in, "1. e4 *\n");
    const ToolRun xboard = run({in, m_dir.file("out.pgn"), "--engine", "1"});
    EXPECT_EQ(xboard.status, 1);
    EXPECT_TRUE(contains(xboard.err, "no UCI engine")) << xboard.err;
    const ToolRun both = run({in, m_dir.file("out.pgn"), "--depth", "3", "--movetime", "9"});
    EXPECT_EQ(both.status, 2);
    const ToolRun missing = run({m_dir.file("none.pgn"), m_dir.file("out.pgn")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(contains(missing.err, "cannot open")) << missing.err;
}
