// inkmate-tool engine, run as a user checks an engine entry.
#include "chess/board.h"
#include "chess/piece.h"
#include "tests/support/test_support.h"
#include "tests/tools/toolfolder.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

using testsupport::writeFile;

using tooltest::ToolRun;

namespace {

class EngineTool : public tooltest::ToolFolder {
protected:
    EngineTool() : ToolFolder("engine") {}
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
    // Taking the queen as a queen is best at every depth.
    const char* promotion = "q3k3/1P6/8/8/8/8/8/7K b - - 0 1";
    for (const char* index : {"1", "2"}) {
        if (!link(index[0] == '1' ? "stockfish" : "hoichess"))
            continue;
        ToolRun start = run({"--engine", index, "--level", "1"});
        EXPECT_EQ(start.status, 0) << start.err;
        ASSERT_FALSE(start.out.empty());
        EXPECT_TRUE(legalAfter("", "", start.out.substr(0, start.out.size() - 1))) << start.out;

        ToolRun promote =
            run({"--engine", index, "--level", "12", "--fen", promotion, "--last", "e8e7"});
        EXPECT_EQ(promote.status, 0) << promote.err;
        EXPECT_EQ(promote.out, "b7a8q\n");
    }
}

TEST_F(EngineTool, PrintsTheMoveOfTheEntry)
{
    entries({"HUM|Human|-", "UCI|Fake|fake_engine.py --protocol uci --answer e7e5",
             "XBOARD|Fake|fake_engine.py --protocol xboard --answer a2a1q"});
    ToolRun uci = run({"--engine", "1", "--level", "3", "--last", "e2e4"});
    EXPECT_EQ(uci.status, 0) << uci.err;
    EXPECT_EQ(uci.out, "e7e5\n");
    ToolRun xboard = run({"--engine", "2", "--level", "0", "--fen",
                          "8/8/8/8/8/8/p7/1k4K1 b - - 0 1", "--timeout", "10"});
    EXPECT_EQ(xboard.status, 0) << xboard.err;
    EXPECT_EQ(xboard.out, "a2a1q\n");
}

// --level sends what the program sends at that level, so its log shows it.
TEST_F(EngineTool, LevelSendsTheLadderLines)
{
    entries(
        {"HUM|Human|-",
         "UCI|Fake|fake_engine.py --protocol uci --answer e7e5 --option Skill+Level:spin:20:0:20",
         "XBOARD|Fake|fake_engine.py --protocol xboard --answer e7e5"});
    for (const char* index : {"1", "2"}) {
        const std::string log = m_dir.file(std::string("log") + index);
        const ToolRun r = run({"--engine", index, "--level", "3", "--last", "e2e4", "--log", log});
        EXPECT_EQ(r.out, "e7e5\n") << r.err;
        std::string sent;
        for (const std::string& line :
             {std::string("setoption name Skill Level value 2"),
              std::string("go depth 3 movetime 1000"), std::string("sd 4"), std::string("st 1")}) {
            if (testsupport::readFile(log).find("ENGINE << " + line + "\n") != std::string::npos)
                sent += line + ";";
        }
        EXPECT_EQ(sent, index[0] == '1'
                            ? "setoption name Skill Level value 2;go depth 3 movetime 1000;"
                            : "sd 4;st 1;");
    }
}

// --depth searches at full strength to that depth, within the top level's bound.
TEST_F(EngineTool, DepthSendsTheFixedDepth)
{
    entries({"HUM|Human|-", "UCI|Fake|fake_engine.py --protocol uci --answer e7e5",
             "XBOARD|Fake|fake_engine.py --protocol xboard --answer e7e5"});
    for (const char* index : {"1", "2"}) {
        const std::string log = m_dir.file(std::string("depth") + index);
        const ToolRun r = run({"--engine", index, "--depth", "7", "--last", "e2e4", "--log", log});
        EXPECT_EQ(r.out, "e7e5\n") << r.err;
        EXPECT_NE(testsupport::readFile(log).find(index[0] == '1'
                                                      ? "ENGINE << go depth 7 movetime 15000\n"
                                                      : "ENGINE << sd 7\n"),
                  std::string::npos);
    }
    EXPECT_EQ(run({"--engine", "1", "--depth", "7", "--level", "3"}).status, 2);
}

TEST_F(EngineTool, FailuresGiveTheReasonAndStatusOne)
{
    entries({"HUM|Human|-", "UCI|Fake|fake_engine.py --protocol uci --answer e7e5",
             "UCI|Dying|fake_engine.py --protocol uci --die-on-go",
             "UCI|Mute|fake_engine.py --protocol uci --answer (none)", "UCI|Absent|engines/none",
             "UCI|Silent|fake_engine.py --protocol uci --hang-on-go",
             "UCI|Nonsense|fake_engine.py --protocol uci --answer z9z9"});
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"--engine", "1", "--level", "0"}, "Engine error: invalid move (e7e5)"},
        {{"--engine", "2", "--level", "0"}, "The engine Dying has stopped."},
        {{"--engine", "3", "--level", "0"}, "The engine Mute has no move."},
        {{"--engine", "5", "--level", "0", "--timeout", "1"}, "no move from Silent within 1 s"},
        // Rejected at once, not awaited.
        {{"--engine", "6", "--level", "0", "--timeout", "60"}, "Engine error: invalid move"},
        {{"--engine", "4", "--level", "0"}, "Couldn't start process "},
        {{"--engine", "0", "--level", "0"}, "entry 'Human' is the human player"},
        {{"--engine", "7", "--level", "0"}, "no engine_07 entry"},
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
    const ToolRun broken = run({"--engine", "0", "--level", "0"});
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find("Invalid engine description: UCI|Broken"), std::string::npos);
}

TEST_F(EngineTool, BadArgumentsAreRefusedBeforeAnyEngineStarts)
{
    entries({"HUM|Human|-", "UCI|Fake|fake_engine.py --protocol uci"});
    const std::vector<std::vector<std::string>> bad = {
        {"--engine", "1"},
        {"--engine", "x", "--level", "0"},
        {"--engine", "1", "--level", "15"},
        {"--engine", "1", "--level", "0", "--fen", "8/8/8 w - - 0 1"},
        {"--engine", "1", "--level", "0", "--last", "e2e5"},
        {"--engine", "1", "--level", "0", "--last", "e2"},
        {"--engine", "1", "--level", "0", "--fen", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"},
        {"--engine", "1", "--level", "0", "--colour", "white"},
        {"--engine", "1", "--level"},
    };
    for (const auto& args : bad) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_FALSE(r.err.empty());
    }
    m_config = m_dir.file("missing.ini");
    const ToolRun missing = run({"--engine", "1", "--level", "0"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot read the configuration"), std::string::npos);
}
