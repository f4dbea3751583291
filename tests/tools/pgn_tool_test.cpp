#include "tests/support/test_support.h"
#include "tests/tools/toolrun.h"

#include <QString>

#include <gtest/gtest.h>

#include <string>

using testsupport::corpusPath;
using testsupport::dataPath;
using testsupport::TempDir;
using testsupport::writeFile;

using tooltest::tool;
using tooltest::ToolRun;

namespace {

// Runs "inkmate-tool pgn ARG" with the given standard input.
ToolRun run_pgn(const std::string& argument, const std::string& input = std::string())
{
    return tool({"pgn", argument}, input);
}

TEST(ToolPgn, WritesGamesBackAndReportsTheBrokenOnes)
{
    TempDir dir;
    const std::string file = dir.file("in.pgn");
    writeFile(file, "[White \"A\"]\n[Event \"One\"]\n[ECO \"C20\"]\n[Result \"1-0\"]\n\n"
                    "1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# 1-0\n\n"
                    "[Event \"Two\"]\n\n1.e4 e5 2.Ke3 *\n\n"
                    "[Event \"Three\"]\n[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\"]\n[ViewAs \"0\"]\n"
                    "[Flags \"2\"]\n\n1... Kd7 2.e4 {Two\n\nparagraphs} *\n");
    const ToolRun run = run_pgn(file);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("game 2: Error parsing SAN: Ke3 in position: ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find("game 1"), std::string::npos);
    EXPECT_EQ(run.out, "[Event \"One\"]\n[Site \"\"]\n[Date \"\"]\n[Round \"\"]\n[White \"A\"]\n"
                       "[Black \"\"]\n[Result \"1-0\"]\n[ECO \"C20\"]\n\n"
                       "1.e4 e5 2.Qh5 Nc6 3.Bc4 Nf6 4.Qxf7# 1-0\n\n"
                       "[Event \"Three\"]\n[Site \"\"]\n[Date \"\"]\n[Round \"\"]\n[White \"\"]\n"
                       "[Black \"\"]\n[Result \"*\"]\n[SetUp \"1\"]\n"
                       "[FEN \"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1\"]\n[Flags \"2\"]\n"
                       "[ViewAs \"0\"]\n\n1... Kd7 2.e4 {Two\n\nparagraphs} *\n\n");

    // What it writes reads back to the same text, from standard input.
    const ToolRun again = run_pgn("-", run.out);
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, run.out);
}

TEST(ToolPgn, RealGamesAreNormalisedIdempotently)
{
    const ToolRun first = run_pgn(dataPath("lichess-slice.pgn"));
    EXPECT_EQ(first.status, 1);
    size_t failures = 0;
    for (size_t at = first.err.find("game "); at != std::string::npos;
         at = first.err.find("\ngame ", at + 1))
        ++failures;
    EXPECT_EQ(failures, 4u) << first.err;
    const ToolRun second = run_pgn("-", first.out);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_TRUE(second.out == first.out);
}

TEST(ToolPgn, MissingFileAndBadArguments)
{
    const ToolRun missing = run_pgn("/nonexistent/games.pgn");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("cannot open /nonexistent/games.pgn"), std::string::npos);
    TempDir dir;
    const ToolRun folder = run_pgn(dir.path());
    EXPECT_EQ(folder.status, 2);
    EXPECT_NE(folder.err.find("cannot open " + dir.path() + ": Is a directory"), std::string::npos)
        << folder.err;
    const ToolRun empty = run_pgn("-", "\n\n");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
}

} // namespace
