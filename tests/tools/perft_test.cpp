// inkmate-tool perft: the count alone on standard output, FEN errors on
// standard error with status 2.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

namespace {

struct PerftRun {
    int status = -1;
    std::string out;
    std::string err;
};

PerftRun run_perft(const std::vector<std::string>& args)
{
    QProcess process;
    QStringList list{QStringLiteral("perft")};
    for (const std::string& arg : args)
        list << QString::fromStdString(arg);
    process.start(QString::fromStdString(testsupport::binPath("inkmate-tool")), list);
    PerftRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(5000);
        ADD_FAILURE() << "inkmate-tool perft did not finish";
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

} // namespace

TEST(PerftTool, PrintsTheCountAlone)
{
    PerftRun run = run_perft({"3"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "8902\n");
    EXPECT_EQ(run.err, "");
    run = run_perft({"2", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "2039\n");
    run = run_perft({"0", "8/8/8/8/8/8/8/8 w - - 0 1"});
    EXPECT_EQ(run.out, "1\n");
    run = run_perft({"3", "8/8/8/8/8/8/8/8 w - - 0 1"});
    EXPECT_EQ(run.out, "0\n");
}

TEST(PerftTool, BadFenOrDepthIsStatusTwo)
{
    PerftRun run = run_perft({"2", "8/8/8/8/8/8/8/8 w - e9 0 1"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("Error parsing FEN: 8/8/8/8/8/8/8/8 w - e9 0 1 [File: ", 0), 0u)
        << run.err;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"x"}, {"-1"}, {"3x"}, {"99"}, {"1", "8/8/8/8/8/8/8/8 w - - 0 1", "extra"}}) {
        run = run_perft(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(run.err.empty());
    }
}
