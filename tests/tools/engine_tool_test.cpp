// inkmate-tool engine, run as a user checks an engine entry.
#include "chess/board.h"
#include "chess/piece.h"
#include "tests/support/test_support.h"
#include "tests/tools/toolrun.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

using testsupport::TempDir;
using testsupport::writeFile;

using tooltest::tool;
using tooltest::ToolRun;

namespace {

// A folder holding "engines.ini" and the engines linked below it.
class EngineTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_config = m_dir.file("engines.ini");
        QFile::link(
            QString::fromStdString(testsupport::sourcePath("tests/engine/data/fake_engine.py")),
            QString::fromStdString(m_dir.file("fake_engine.py")));
    }
    void entries(const std::vector<std::string>& list)
    {
        std::string text = "[General]\n";
        for (size_t i = 0; i < list.size(); ++i) {
            char key[32];
            snprintf(key, sizeof key, "engine_%02zu=", i);
            text += key + list[i] + "\n";
        }
        writeFile(m_config, text);
    }
    bool link(const char* program)
    {
        const std::string path = testsupport::findProgram(program);
        return !path.empty() && QFile::link(QString::fromStdString(path),
                                            QString::fromStdString(m_dir.file(program)));
    }
    ToolRun run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"engine", "--config", m_config});
        return tool(args);
    }

    TempDir m_dir;
    std::string m_config;
};

bool legalAfter(const char* fen, const char* last, const std::string& answer)
{
    Board board;
    if (*fen)
        board.importFromFEN(fen);
    else
        board.create_classic_board();
    Move move;
    if (*last && move.setFromString(last))
        board.doMove(move);
    Move reply;
    return reply.setFromString(answer) && !(board.validateMove(reply, false) & Piece::MoveInvalid);
}

} // namespace

TEST_F(EngineTool, RealEnginesAnswerLegalMoves)
{
    entries({"HUM|Human|-", "UCI|Stockfish|stockfish", "XBOARD|HoiChess|hoichess"});
    const char* promotion = "4k3/1P6/8/8/8/8/8/7K b - - 0 1";
    for (const char* index : {"1", "2"}) {
        if (!link(index[0] == '1' ? "stockfish" : "hoichess"))
            continue;
        ToolRun start = run({"--engine", index, "--depth", "2"});
        EXPECT_EQ(start.status, 0) << start.err;
        ASSERT_FALSE(start.out.empty());
        EXPECT_TRUE(legalAfter("", "", start.out.substr(0, start.out.size() - 1))) << start.out;

        ToolRun promote =
            run({"--engine", index, "--depth", "3", "--fen", promotion, "--last", "e8e7"});
        EXPECT_EQ(promote.status, 0) << promote.err;
        EXPECT_EQ(promote.out, "b7b8q\n");
    }
}

TEST_F(EngineTool, PrintsTheMoveOfTheEntry)
{
    entries({"HUM|Human|-", "UCI|Fake|fake_engine.py --protocol uci --answer e7e5",
             "XBOARD|Fake|fake_engine.py --protocol xboard --answer a2a1q"});
    ToolRun uci = run({"--engine", "1", "--depth", "4", "--last", "e2e4"});
    EXPECT_EQ(uci.status, 0) << uci.err;
    EXPECT_EQ(uci.out, "e7e5\n");
    ToolRun xboard = run({"--engine", "2", "--depth", "1", "--fen",
                          "8/8/8/8/8/8/p7/1k4K1 b - - 0 1", "--timeout", "10"});
    EXPECT_EQ(xboard.status, 0) << xboard.err;
    EXPECT_EQ(xboard.out, "a2a1q\n");
}

TEST_F(EngineTool, FailuresGiveTheReasonAndStatusOne)
{
    entries({"HUM|Human|-", "UCI|Fake|fake_engine.py --protocol uci --answer e7e5",
             "UCI|Dying|fake_engine.py --protocol uci --die-on-go",
             "UCI|Mute|fake_engine.py --protocol uci --answer (none)", "UCI|Absent|engines/none",
             "UCI|Silent|fake_engine.py --protocol uci --hang-on-go"});
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"--engine", "1", "--depth", "1"}, "Engine error: invalid move (e7e5)"},
        {{"--engine", "2", "--depth", "1"}, "The engine Dying has stopped."},
        {{"--engine", "3", "--depth", "1"}, "The engine Mute has no move."},
        {{"--engine", "5", "--depth", "1", "--timeout", "1"}, "no move from Silent within 1 s"},
        {{"--engine", "4", "--depth", "1"}, "Couldn't start process "},
        {{"--engine", "0", "--depth", "1"}, "entry 'Human' is the human player"},
        {{"--engine", "7", "--depth", "1"}, "no engine_07 entry"},
    };
    for (const Case& c : cases) {
        QElapsedTimer clock;
        clock.start();
        const ToolRun r = run(c.args);
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_LT(clock.elapsed(), 10000) << c.message;
    }
    writeFile(m_config, "[General]\nengine_00=UCI|Broken\n");
    const ToolRun broken = run({"--engine", "0", "--depth", "1"});
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find("Invalid engine description: UCI|Broken"), std::string::npos);
}

TEST_F(EngineTool, BadArgumentsAreRefusedBeforeAnyEngineStarts)
{
    entries({"HUM|Human|-", "UCI|Fake|fake_engine.py --protocol uci"});
    const std::vector<std::vector<std::string>> bad = {
        {"--engine", "1"},
        {"--engine", "x", "--depth", "1"},
        {"--engine", "1", "--depth", "0"},
        {"--engine", "1", "--depth", "1", "--fen", "8/8/8 w - - 0 1"},
        {"--engine", "1", "--depth", "1", "--last", "e2e5"},
        {"--engine", "1", "--depth", "1", "--last", "e2"},
        {"--engine", "1", "--depth", "1", "--fen", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"},
        {"--engine", "1", "--depth", "1", "--colour", "white"},
        {"--engine", "1", "--depth"},
    };
    for (const auto& args : bad) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_FALSE(r.err.empty());
    }
    m_config = m_dir.file("missing.ini");
    const ToolRun missing = run({"--engine", "1", "--depth", "1"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot read the configuration"), std::string::npos);
}
