#include "chess/board.h"
#include "core/configfileqt.h"
#include "engine/enginebestmove.h"
#include "engine/enginefactory.h"
#include "engine/enginelevel.h"
#include "engine/ucioptions.h"
#include "engine/uciprotocol.h"
#include "engine/xboardprotocol.h"
#include "tests/engine/engine_test_support.h"

#include <QFile>

#include <gtest/gtest.h>

#include <memory>

using namespace enginetest;
using testsupport::TempDir;

namespace {

const char kStockfishLike[] = "--option Skill+Level:spin:20:0:20 "
                              "--option UCI_LimitStrength:check:false "
                              "--option UCI_Elo:spin:1350:1350:2850 --option MultiPV:spin:1:1:500";

Board start()
{
    Board board;
    board.create_classic_board();
    return board;
}

UciOptions parsed(const std::vector<std::string>& lines)
{
    UciOptions options;
    for (const std::string& line : lines)
        options.parseLine(line);
    return options;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

} // namespace

TEST(UciOptions, ReadsNamesWithBlanksAndRejectsWhatIsNoOption)
{
    const UciOptions options =
        parsed({"option name Skill Level type spin default 20 min 0 max 20",
                "option name Debug Log File type string default ",
                "option name UCI_Elo type spin default 1350 min 1350 max 2850",
                "option name Style type combo default Normal var Solid var Normal",
                "option name type spin", "option Skill type spin", "info string option name X"});
    ASSERT_TRUE(options.has("Skill Level"));
    EXPECT_EQ(options.find("Skill Level")->max, 20);
    EXPECT_EQ(options.find("Debug Log File")->defaultValue, "");
    EXPECT_EQ(options.find("UCI_Elo")->min, 1350);
    EXPECT_EQ(options.find("Style")->defaultValue, "Normal");
    EXPECT_FALSE(options.has("X"));
    EXPECT_FALSE(options.has("Skill"));
}

// Engines that offer only part of the options still get a ladder that rises.
TEST(EngineLevel, LaddersForEnginesWithPartOfTheOptions)
{
    const UciOptions eloOnly = parsed({"option name UCI_LimitStrength type check default false",
                                       "option name UCI_Elo type spin default 1500 min 1500 max "
                                       "2000"});
    EXPECT_EQ(joined(EngineLevel::forUci(0, eloOnly).uciOptionLines()),
              "setoption name UCI_LimitStrength value true\nsetoption name UCI_Elo value 1500\n");
    EXPECT_EQ(joined(EngineLevel::forUci(9, eloOnly).uciOptionLines()),
              "setoption name UCI_LimitStrength value true\nsetoption name UCI_Elo value 2000\n");
    EXPECT_EQ(joined(EngineLevel::forUci(14, eloOnly).uciOptionLines()),
              "setoption name UCI_LimitStrength value false\n");

    // Skill 1 ... 10: the Elo levels become skills.
    const UciOptions skillOnly = parsed({"option name Skill Level type spin default 10 min 1 max "
                                         "10"});
    EXPECT_EQ(EngineLevel::forUci(0, skillOnly).uciOptionLines().front(),
              "setoption name Skill Level value 1");
    EXPECT_EQ(EngineLevel::forUci(5, skillOnly).uciOptionLines().front(),
              "setoption name Skill Level value 3");
    EXPECT_EQ(EngineLevel::forUci(11, skillOnly).uciOptionLines().front(),
              "setoption name Skill Level value 8");
    EXPECT_EQ(EngineLevel::forUci(12, skillOnly).uciOptionLines().front(),
              "setoption name Skill Level value 10");

    // Nothing to set: the depth ladder, bounded in time like every level.
    const UciOptions none = parsed({"option name Hash type spin default 16 min 1 max 64"});
    for (int level = 0; level < EngineLevel::kCount; ++level) {
        const EngineLevel plan = EngineLevel::forUci(level, none);
        EXPECT_TRUE(plan.uciOptionLines().empty());
        EXPECT_EQ(plan.depth(), level + 1);
        EXPECT_GE(plan.seconds(), 1);
        EXPECT_NE(std::string(EngineLevel::description(level))
                      .find("up to " + std::to_string(plan.seconds()) + " s"),
                  std::string::npos);
    }
    EXPECT_EQ(EngineLevel::forXBoard(20).depth(), 15);
}

// Levels of an engine announcing its skill over a range near the limits of int.
TEST(EngineLevel, SkillIsScaledWithoutOverflowWithinTheAnnouncedRange)
{
    const UciOptions wide =
        parsed({"option name Skill Level type spin default 20 min 0 max 200000000"});
    EXPECT_EQ(EngineLevel::forUci(0, wide).uciOptionLines().front(),
              "setoption name Skill Level value 0");
    EXPECT_EQ(EngineLevel::forUci(4, wide).uciOptionLines().front(),
              "setoption name Skill Level value 40000000");
    EXPECT_EQ(EngineLevel::forUci(14, wide).uciOptionLines().front(),
              "setoption name Skill Level value 200000000");
    const UciOptions all =
        parsed({"option name Skill Level type spin default 0 min -2147483648 max 99999999999"});
    for (int level = 0; level < EngineLevel::kCount; ++level) {
        const std::string line = EngineLevel::forUci(level, all).uciOptionLines().front();
        const long long value = std::stoll(line.substr(line.rfind(' ') + 1));
        EXPECT_GE(value, -2147483648LL) << line;
        EXPECT_LE(value, 2147483647LL) << line;
    }
    EXPECT_EQ(EngineLevel::forUci(2, all).uciOptionLines().front(),
              "setoption name Skill Level value -1932735283");
}

// The exact exchange of a level change in the middle of a game: the options
// are sent before the search only when they change.
TEST(UciProtocol, SendsTheOptionsOfTheLevelBeforeTheSearch)
{
    Wire wire;
    RecordingListener listener;
    UciProtocol engine("Fake");
    engine.setSink(&wire);
    engine.setListener(&listener);
    engine.setLevel(0);
    engine.start();
    for (const char* line :
         {"option name Skill Level type spin default 20 min 0 max 20",
          "option name UCI_LimitStrength type check default false",
          "option name UCI_Elo type spin default 1350 min 1350 max 2850",
          "option name MultiPV type spin default 1 min 1 max 500", "uciok", "readyok"})
        engine.parseLine(line);
    EXPECT_TRUE(engine.getOptions().has("UCI_Elo"));
    const Board board = start();
    const std::string fen = board.exportToFEN();
    engine.playMove(board, Move());
    engine.parseLine("bestmove e7e5");
    engine.setLevel(5);
    engine.playMove(board, Move());
    engine.parseLine("bestmove e7e5");
    engine.playMove(board, Move());
    engine.parseLine("bestmove e7e5");
    engine.setLevel(14);
    engine.playMove(board, Move());
    EXPECT_EQ(listener.moves.size(), 3u);
    const std::string position = "position fen " + fen + "\n";
    EXPECT_EQ(wire.text, "uci\nisready\nucinewgame\n"
                         "setoption name Skill Level value 0\n"
                         "setoption name UCI_LimitStrength value false\n"
                         "setoption name MultiPV value 12\n" +
                             position + "go depth 1 movetime 1000\n" +
                             "setoption name Skill Level value 20\n"
                             "setoption name UCI_LimitStrength value true\n"
                             "setoption name UCI_Elo value 1850\n"
                             "setoption name MultiPV value 1\n" +
                             position + "go depth 6 movetime 1000\n" + position +
                             "go depth 6 movetime 1000\n"
                             "setoption name Skill Level value 20\n"
                             "setoption name UCI_LimitStrength value false\n"
                             "setoption name MultiPV value 1\n" +
                             position + "go depth 20 movetime 15000\n");
}

TEST(XBoardProtocol, LevelSendsDepthAndTimeAtOnceAndWhenReady)
{
    Wire wire;
    XBoardProtocol engine("Fake");
    engine.setSink(&wire);
    engine.setLevel(0);
    engine.start();
    engine.setLevel(9);
    engine.playMove(start(), Move());
    engine.parseLine("feature done=1");
    EXPECT_EQ(wire.text, "xboard\nprotover 2\nsd 10\nst 2\nsd 10\nst 2\nforce\nsetboard " +
                             start().exportToFEN() + "\ngo\n");
}

// The hint's search: a move for the position asked, the engine gone after it;
// a failing engine is reported, never waited for.
TEST(EngineBestMove, AnswersOnceAndReportsFailures)
{
    TempDir dir;
    QFile::link(QString::fromStdString(dataPath() + "/fake_engine.py"),
                QString::fromStdString(dir.file("fake_engine.py")));
    ConfigFileQt config(QString::fromStdString(dir.path()));
    config.writeString("engine_00", "HUM|Human|-");
    config.writeString("engine_01", "XBOARD|X|fake_engine.py --protocol xboard");
    // The human is no hint engine: the first UCI entry is.
    const char* const cases[] = {"--answer e7e5", "--answer e2e4", "--crash-on-go"};
    for (const char* options : cases) {
        config.writeString("engine_02",
                           (std::string("UCI|Fake|fake_engine.py ") + options).c_str());
        EngineFactory& catalogue = EngineFactory::instance();
        catalogue.init(&config);
        EXPECT_EQ(EngineBestMove::hintEngine(0, catalogue), 2);
        EngineBestMove search;
        std::vector<Move> found;
        std::vector<QString> failed;
        QObject::connect(&search, &EngineBestMove::found,
                         [&](const Move& m) { found.push_back(m); });
        QObject::connect(&search, &EngineBestMove::failed,
                         [&](const QString& text) { failed.push_back(text); });
        Move last;
        last.setFromString("e2e4");
        search.start(2, start(), last, 3);
        EXPECT_TRUE(search.isRunning());
        ASSERT_TRUE(waitUntil([&] { return found.size() + failed.size() > 0; }, 20000)) << options;
        EXPECT_FALSE(search.isRunning());
        const bool legal = options == cases[0];
        ASSERT_EQ(found.size(), legal ? 1u : 0u) << options;
        EXPECT_EQ(failed.size(), legal ? 0u : 1u) << options;
        if (legal) {
            Move expected;
            expected.setFromString("e7e5");
            EXPECT_EQ(found.front(), expected);
        }
        EngineFactory::destroy();
    }
    EngineFactory::instance().init(&config);
    EXPECT_EQ(EngineBestMove::hintEngine(1, EngineFactory::instance()), 1);
    EXPECT_EQ(EngineBestMove::hintEngine(-1, EngineFactory::instance()), 2);
    EngineFactory::destroy();
}

// A real engine's hint for a mate in one is the mate.
TEST(EngineBestMove, StockfishFindsTheMate)
{
    const std::string path = testsupport::findProgram("stockfish");
    if (path.empty())
        GTEST_SKIP() << "stockfish is not installed";
    TempDir dir;
    QFile::link(QString::fromStdString(path), QString::fromStdString(dir.file("stockfish")));
    ConfigFileQt config(QString::fromStdString(dir.path()));
    config.writeString("engine_00", "HUM|Human|-");
    config.writeString("engine_01", "UCI|Stockfish|stockfish");
    EngineFactory::instance().init(&config);
    EngineBestMove search;
    std::vector<Move> found;
    QObject::connect(&search, &EngineBestMove::found, [&](const Move& m) { found.push_back(m); });
    Board board;
    board.importFromFEN("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    search.start(1, board, Move());
    EXPECT_TRUE(waitUntil([&] { return !found.empty(); }, 30000));
    Move mate;
    mate.setFromString("a1a8");
    EXPECT_EQ(found, std::vector<Move>{mate});
    EngineFactory::destroy();
}
