// inkmate-tool match: games between catalogue entries, judged by the game
// layer's rules, going on after an engine fails.
#include "tests/support/test_support.h"
#include "tests/tools/toolfolder.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>
#include <sstream>

using testsupport::writeFile;

namespace {

class MatchTool : public tooltest::ToolFolder {
protected:
    MatchTool() : ToolFolder("match") {}
    // The result lines of a run, without the engine labels.
    static std::vector<std::string> results(const std::string& out)
    {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) {
            const size_t tab = line.find('\t', line.find('\t') + 1);
            if (tab != std::string::npos)
                lines.push_back(line.substr(0, line.find('\t')) + " " + line.substr(tab + 1));
        }
        return lines;
    }
};

// Every game starts after 1.f3 e5 2.g4: Black to move mates with Qh4.
const char kFoolsMate[] = "[Event \"?\"]\n\n1. f3 e5 2. g4 *\n";
const char kFoolsMatePosition[] = "rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 2";

} // namespace

TEST_F(MatchTool, GamesEndedByTheRulesOfTheGame)
{
    entries({"HUM|Human|-", "UCI|Mater|fake_engine.py --answer d8h4",
             "UCI|Other|fake_engine.py --answer e2e4"});
    const std::string openings = m_dir.file("openings.pgn");
    // The third opening is the first one's position, set up.
    writeFile(openings, std::string(kFoolsMate) +
                            "\n[Event \"?\"]\n\n1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3 Nf6 4. Ng1 Ng8 *\n"
                            "\n[SetUp \"1\"]\n[FEN \"" +
                            kFoolsMatePosition + "\"]\n\n*\n");
    const std::string pgn = m_dir.file("games.pgn");
    const tooltest::ToolRun r = run({"--white", "2:14", "--black", "1:0", "--games", "3",
                                     "--openings", openings, "--pgn", pgn});
    ASSERT_EQ(r.status, 0) << r.err;
    // Game 2 is drawn before any engine moves; the --white entry has Black in it.
    EXPECT_EQ(results(r.out),
              (std::vector<std::string>{"1 0-1\tcheckmate", "2 1/2-1/2\tthreefold repetition",
                                        "3 0-1\tcheckmate"}));
    EXPECT_NE(r.out.find("2\twhite: 1:0 Mater"), std::string::npos);
    EXPECT_NE(r.out.find("2:14 Other: +0 =1 -2, score 16.7 %, Elo -280 +/- inf"), std::string::npos)
        << r.out;
    const std::string games = testsupport::readFile(pgn);
    EXPECT_NE(games.find("1.f3 e5 2.g4 Qh4# 0-1"), std::string::npos) << games;
    EXPECT_NE(games.find("[White \"2:14 Other (level 15)\"]"), std::string::npos) << games;
    EXPECT_NE(games.find(std::string("[FEN \"") + kFoolsMatePosition + "\"]"), std::string::npos)
        << games;

    // A second match adds its games to the file.
    const tooltest::ToolRun limited =
        run({"--white", "1", "--black", "2", "--games", "1", "--max-plies", "3", "--pgn", pgn});
    EXPECT_EQ(results(limited.out), std::vector<std::string>{"1 1/2-1/2\tmove limit"});
    const std::string more = testsupport::readFile(pgn);
    EXPECT_EQ(more.compare(0, games.size(), games), 0);
    EXPECT_NE(more.find("[Termination \"move limit\"]", games.size()), std::string::npos) << more;
}

// A crashing, illegal or silent engine loses; the next game starts a fresh process.
// An engine that never starts stops the match.
TEST_F(MatchTool, FailingEnginesLoseAndTheMatchGoesOn)
{
    entries({"HUM|Human|-", "UCI|Mater|fake_engine.py --answer d8h4",
             "UCI|Crasher|fake_engine.py --crash-on-go", "UCI|Wrong|fake_engine.py --answer e2e4",
             "UCI|Silent|fake_engine.py --silent", "UCI|Absent|engines/none"});
    const std::string openings = m_dir.file("openings.pgn");
    writeFile(openings, kFoolsMate);
    for (const char* loser : {"2", "3", "4"}) {
        const tooltest::ToolRun r =
            run({"--white", "1", "--black", loser, "--games", "2", "--openings", openings});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<std::string> lines = results(r.out);
        ASSERT_EQ(lines.size(), 2u) << r.out;
        EXPECT_EQ(lines[0].substr(0, 12), "1 1-0\tBlack ") << lines[0];
        EXPECT_EQ(lines[1], "2 0-1\tcheckmate") << loser;
        EXPECT_NE(r.out.find("+2 =0 -0, score 100.0 %"), std::string::npos) << r.out;
    }
    const tooltest::ToolRun absent =
        run({"--white", "1", "--black", "5", "--games", "2", "--openings", openings});
    EXPECT_EQ(absent.status, 2);
    EXPECT_EQ(absent.out, "");
    EXPECT_NE(absent.err.find("Black could not start: Couldn't start process"), std::string::npos)
        << absent.err;
}

// Ctrl-C ends the match and its engines, which are out of the terminal's reach.
TEST_F(MatchTool, InterruptedMatchLeavesNoEngineRunning)
{
    const std::string pidFile = m_dir.file("engine.pid");
    entries({"HUM|Human|-", "UCI|Thinker|fake_engine.py --search-seconds 60 --busy --pidfile " +
                                pidFile + " --log " + m_dir.file("received")});
    QProcess match;
    match.start(QString::fromStdString(testsupport::binPath("inkmate-tool")),
                {QStringLiteral("match"), QStringLiteral("--config"),
                 QString::fromStdString(m_config), QStringLiteral("--white"), QStringLiteral("1"),
                 QStringLiteral("--black"), QStringLiteral("1"), QStringLiteral("--games"),
                 QStringLiteral("1")});
    long pid = 0;
    ASSERT_TRUE(testsupport::waitUntil([&] {
        std::ifstream(pidFile) >> pid;
        return pid > 0;
    }));
    // Gone, or a zombie nobody reaps in this container.
    const auto running = [pid] {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string id, name, state;
        return stat >> id >> name >> state && state != "Z";
    };
    EXPECT_TRUE(running());
    // Into its search.
    ASSERT_TRUE(testsupport::waitUntil([&] {
        return testsupport::readFile(m_dir.file("received")).find("go ") != std::string::npos;
    }));
    ::kill(static_cast<pid_t>(match.processId()), SIGINT);
    ASSERT_TRUE(match.waitForFinished(10000));
    EXPECT_EQ(match.exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(testsupport::waitUntil([&] { return !running(); }, 5000));
}

// After a null move the engine of the side to move is asked about the position
// on the board, not the one before the null move.
TEST_F(MatchTool, NullMoveInTheOpeningAsksTheSideToMove)
{
    const std::string received = m_dir.file("received");
    entries({"HUM|Human|-", "UCI|White|fake_engine.py --answer d2d4 --log " + received,
             "UCI|Black|fake_engine.py --answer d7d5"});
    const std::string openings = m_dir.file("openings.pgn");
    writeFile(openings, "[Event \"?\"]\n\n1. e4 -- *\n");
    const tooltest::ToolRun r =
        run({"--white", "1", "--black", "2", "--games", "1", "--openings", openings, "--max-plies",
             "4", "--pgn", m_dir.file("games.pgn")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(results(r.out), std::vector<std::string>{"1 1/2-1/2\tmove limit"}) << r.out;
    const std::string sent = testsupport::readFile(received);
    const size_t at = sent.find("position fen ");
    ASSERT_NE(at, std::string::npos) << sent;
    const std::string line = sent.substr(at, sent.find('\n', at) - at);
    EXPECT_NE(line.find("/RNBQKBNR w "), std::string::npos) << line;
    EXPECT_EQ(line.find(" moves "), std::string::npos) << line;
    EXPECT_NE(testsupport::readFile(m_dir.file("games.pgn")).find("1.e4 -- 2.d4 d5"),
              std::string::npos);
}

// From a Polyglot book each pair of games plays one line of book moves.
TEST_F(MatchTool, OpeningsFromABook)
{
    const char* book = "/usr/share/games/gnuchess/book.bin";
    if (!std::ifstream(book))
        GTEST_SKIP() << "gnuchess-book is not installed";
    entries({"HUM|Human|-", "UCI|Fake|fake_engine.py"});
    const std::string pgn = m_dir.file("games.pgn");
    const tooltest::ToolRun r = run({"--white", "1", "--black", "1", "--games", "4", "--book", book,
                                     "--book-plies", "6", "--max-plies", "6", "--pgn", pgn});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines;
    std::istringstream in(testsupport::readFile(pgn));
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, 3, "1. ") == 0 || line.compare(0, 2, "1.") == 0)
            lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], lines[1]);
    EXPECT_EQ(lines[2], lines[3]);
    // Six plies: three moves of each side.
    EXPECT_NE(lines[0].find("3."), std::string::npos) << lines[0];
    EXPECT_EQ(lines[0].find("4."), std::string::npos) << lines[0];

    writeFile(m_dir.file("odd.bin"), std::string(17, 'x'));
    const tooltest::ToolRun broken =
        run({"--white", "1", "--black", "1", "--games", "1", "--book", m_dir.file("odd.bin")});
    EXPECT_EQ(broken.status, 2);
    EXPECT_NE(broken.err.find("odd.bin"), std::string::npos) << broken.err;
}

TEST_F(MatchTool, BadArgumentsAndOpeningsAreRefused)
{
    entries({"HUM|Human|-", "UCI|Fake|fake_engine.py"});
    const std::string broken = m_dir.file("broken.pgn");
    writeFile(broken, "[Event \"?\"]\n\n1. e4 e5 *\n\n[Event \"?\"]\n\n1. e4 Ke3 *\n");
    const std::vector<std::vector<std::string>> bad = {
        {"--white", "1", "--black", "1"},
        {"--white", "1:15", "--black", "1", "--games", "1"},
        {"--white", "0", "--black", "1", "--games", "1"},
        {"--white", "1", "--black", "1", "--games", "0"},
        {"--white", "1", "--black", "1", "--games", "1", "--openings", m_dir.file("none.pgn")},
        {"--white", "1", "--black", "1", "--games", "1", "--openings", broken},
    };
    for (const auto& args : bad) {
        const tooltest::ToolRun r = run(args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    const tooltest::ToolRun r =
        run({"--white", "1", "--black", "1", "--games", "1", "--openings", broken});
    EXPECT_NE(r.err.find("broken.pgn: game 2:"), std::string::npos) << r.err;
}

// One real game for each kind of level: reduced skill, limited Elo, unlimited,
// the depth ladder of a UCI engine without options and of an XBoard engine.
TEST_F(MatchTool, RealEnginesPlayAtEveryKindOfLevel)
{
    entries({"HUM|Human|-", "UCI|Stockfish|stockfish", "UCI|GNU Chess|gnuchess --uci",
             "XBOARD|HoiChess|hoichess"});
    if (!link("stockfish") || !link("gnuchess") || !link("hoichess"))
        GTEST_SKIP() << "stockfish, gnuchess or hoichess is not installed";
    const std::string pgn = m_dir.file("games.pgn");
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"1:0", "1:6"}, {"1:12", "2:3"}, {"3:2", "1:1"}};
    for (const auto& pair : pairs) {
        const tooltest::ToolRun r = run({"--white", pair.first, "--black", pair.second, "--games",
                                         "1", "--max-plies", "16", "--pgn", pgn});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<std::string> lines = results(r.out);
        ASSERT_EQ(lines.size(), 1u) << r.out;
        // Legal moves to the limit, or a game the rules ended; no engine failed.
        EXPECT_EQ(lines[0].find("Black"), std::string::npos) << r.out;
        EXPECT_EQ(lines[0].find("White"), std::string::npos) << r.out;
    }
}
