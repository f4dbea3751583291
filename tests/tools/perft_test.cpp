// inkmate-tool perft: the count alone on standard output, FEN errors on
// standard error with status 2.
#include "tests/tools/toolrun.h"

#include <gtest/gtest.h>

using tooltest::tool;
using tooltest::ToolRun;

namespace {

ToolRun run_perft(std::vector<std::string> args)
{
    args.insert(args.begin(), "perft");
    return tool(args);
}

} // namespace

TEST(PerftTool, PrintsTheCountAlone)
{
    ToolRun run = run_perft({"3"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "8902\n");
    EXPECT_EQ(run.err, "");
    run = run_perft({"2", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "2039\n");
    run = run_perft({"0", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"});
    EXPECT_EQ(run.out, "1\n");
    run = run_perft({"3", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"}); // stalemate
    EXPECT_EQ(run.out, "0\n");
}

TEST(PerftTool, BadFenOrDepthIsStatusTwo)
{
    ToolRun run = run_perft({"2", "8/8/8/8/8/8/8/8 w - e9 0 1"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("Error parsing FEN: 8/8/8/8/8/8/8/8 w - e9 0 1 (\"e9\" is not an "
                            "en-passant square)",
                            0),
              0u)
        << run.err;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"x"}, {"-1"}, {"3x"}, {"99"}, {"1", "8/8/8/8/8/8/8/8 w - - 0 1", "extra"}}) {
        run = run_perft(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(run.err.empty());
    }
}
