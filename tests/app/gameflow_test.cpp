// Games played through the controller against real and scripted engines.

#include "tests/app/apptestsupport.h"

#include "base/chessbase.h"
#include "engine/enginefactory.h"
#include "engine/engineprocess.h"
#include "game/game.h"
#include "game/pgnmove.h"
#include "views/gameinfoview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/stat.h>

using apptest::Environment;
using apptest::TestChess;

namespace {

Board classic()
{
    Board board;
    board.create_classic_board();
    return board;
}

// Opens the default base and starts a game of the user as White against
// the engine (or human) of that catalogue slot.
void start_as_white(TestChess& chess, Environment& env, int slot)
{
    chess.bases().loadBase(env.file("chess/game.cdb").c_str());
    chess.engine().setOpponent(slot);
    chess.session().newGame(classic(), 0, slot, White, 0);
}

// Waits until the engine has answered (White to move again) or failed.
bool wait_for_reply(TestChess& chess, Color user = White)
{
    return TestChess::waitUntil([&] {
        return chess.current()->colorToMove() == user || !chess.turnErrors.empty() ||
               !chess.messages.empty();
    });
}

} // namespace

TEST(GameFlow, WholeGameAgainstStockfishReopensWhereItStopped)
{
    if (!Environment::haveEngine("stockfish"))
        GTEST_SKIP() << "stockfish is not installed";
    Environment env;
    const std::string base = env.file("chess/game.cdb");
    std::vector<std::string> played;
    GameResult result = ResultInProgress;
    {
        TestChess chess(env.config());
        chess.bases().loadBase(base.c_str());
        chess.controller().onSelectGame();
        chess.engine().setOpponent(apptest::SlotStockfish);
        chess.engine().setLevel(0);
        chess.session().newGame(classic(), 0, apptest::SlotStockfish, White, 0);
        EXPECT_EQ(chess.game().white, "Human");
        EXPECT_EQ(chess.game().black, "Stockfish");
        EXPECT_EQ(chess.game().event, "inkmate match");

        std::mt19937 random(20240611);
        int moves = 0;
        for (; moves < 40 && !chess.document().isOver(); ++moves) {
            const Board position = chess.current()->boardAfter();
            Moves legal;
            position.generateMoves(White, &legal);
            ASSERT_FALSE(legal.empty());
            const Move choice = legal[random() % legal.size()];
            ASSERT_TRUE(chess.enterMove(choice.getAsString())) << choice.getAsString();
            if (chess.document().isOver())
                break;
            ASSERT_TRUE(wait_for_reply(chess)) << "no answer after " << choice.getAsString();
            ASSERT_TRUE(chess.turnErrors.empty()) << chess.turnErrors[0];
            ASSERT_TRUE(chess.messages.empty() || chess.document().isOver())
                << chess.messages[0].text;
        }
        EXPECT_GT(moves, 0);
        // The engine was created once and answered at level 0 (depth 1).
        ASSERT_NE(chess.engine().getEngine(), nullptr);
        EXPECT_EQ(chess.engine().getEngine()->getLevel(), 0);
        EXPECT_EQ(env.logCount("Engine: Stockfish has been created"), 1);
        EXPECT_GE(env.logCount("White: fen=["), moves);
        played = chess.lineToCurrent();
        // Every move of the user was answered, unless it ended the game.
        EXPECT_TRUE(played.size() == 2u * moves || played.size() == 2u * moves + 1)
            << played.size() << " plies after " << moves << " user moves";
        std::printf("[          ] %zu plies, %s\n", played.size(),
                    chess.gameTexts().empty() ? "in progress" : chess.gameTexts()[0].c_str());
        if (chess.document().isOver()) {
            ASSERT_EQ(chess.gameTexts().size(), 1u);
            EXPECT_EQ(chess.messages.back().title, "Game");
            result = chess.current()->result;
            EXPECT_EQ(chess.game().result, result);
        }
        chess.bases().closeBase();
    }
    TestChess again(env.config());
    again.bases().loadBase(base.c_str());
    again.controller().onSelectGame();
    EXPECT_EQ(again.lineToCurrent(), played);
    EXPECT_EQ(again.current()->findNextMove(), nullptr);
    EXPECT_EQ(again.game().result, result);
    EXPECT_EQ(again.game().white, "Human");
}

TEST(GameFlow, EngineAsWhiteIsAskedAtOnceFromTheStart)
{
    if (!Environment::haveEngine("stockfish"))
        GTEST_SKIP() << "stockfish is not installed";
    Environment env;
    TestChess chess(env.config());
    chess.bases().loadBase(env.file("chess/game.cdb").c_str());
    chess.engine().setOpponent(apptest::SlotStockfish);
    chess.session().newGame(classic(), apptest::SlotStockfish, 0, Black, 0);
    EXPECT_TRUE(chess.document().isFlipped());
    EXPECT_EQ(chess.game().white, "Stockfish");
    EXPECT_EQ(chess.game().black, "Human");
    EXPECT_TRUE(chess.engine().isWaitingForEngine());
    ASSERT_TRUE(wait_for_reply(chess, Black));
    EXPECT_TRUE(chess.turnErrors.empty());
    EXPECT_EQ(chess.current()->parent, chess.game().root);
    EXPECT_EQ(chess.current()->depth, 0u);
}

TEST(GameFlow, ChangedOpponentTakesOverAtTheNextEngineTurn)
{
    if (!Environment::haveEngine("stockfish") || !Environment::haveEngine("hoichess"))
        GTEST_SKIP() << "stockfish or hoichess is not installed";
    Environment env;
    TestChess chess(env.config());
    start_as_white(chess, env, apptest::SlotStockfish);
    ASSERT_TRUE(chess.enterMove("e2e4"));
    ASSERT_TRUE(wait_for_reply(chess));
    ASSERT_TRUE(chess.messages.empty());

    chess.engine().setOpponent(apptest::SlotHoichess);
    ASSERT_TRUE(chess.enterMove("g1f3"));
    ASSERT_TRUE(wait_for_reply(chess));
    EXPECT_TRUE(chess.messages.empty());
    EXPECT_TRUE(chess.turnErrors.empty());
    EXPECT_EQ(chess.game().blackPlayer, apptest::SlotHoichess);
    ASSERT_NE(chess.engine().getEngine(), nullptr);
    EXPECT_EQ(chess.engine().getEngine()->getName(), "HoiChess");
    EXPECT_EQ(env.logCount("Engine: Stockfish has been destroyed"), 1);
    EXPECT_EQ(env.logCount("Set Opponent: 2 (HoiChess)"), 1);
    EXPECT_EQ(chess.lineToCurrent().size(), 4u);

    // Back to a human opponent: the engine stops at once.
    chess.engine().setOpponent(0);
    EXPECT_EQ(chess.engine().getEngine(), nullptr);
    EXPECT_EQ(env.logCount("Engine: HoiChess has been destroyed"), 1);
}

TEST(GameFlow, EngineChosenDuringAGameOfTwoHumansPlaysTheSideToMove)
{
    if (!Environment::haveEngine("stockfish"))
        GTEST_SKIP() << "stockfish is not installed";
    Environment env;
    TestChess chess(env.config());
    start_as_white(chess, env, 0);
    ASSERT_TRUE(chess.enterMove("e2e4"));
    ASSERT_TRUE(chess.settle());
    EXPECT_EQ(chess.engine().getEngine(), nullptr);
    ASSERT_TRUE(chess.enterMove("e7e5"));
    ASSERT_TRUE(chess.settle());
    EXPECT_EQ(chess.engine().getEngine(), nullptr);

    chess.engine().setOpponent(apptest::SlotStockfish);
    ASSERT_TRUE(chess.enterMove("g1f3"));
    ASSERT_TRUE(wait_for_reply(chess));
    EXPECT_EQ(chess.game().blackPlayer, apptest::SlotStockfish);
    EXPECT_EQ(chess.game().whitePlayer, 0);
    EXPECT_EQ(chess.lineToCurrent().size(), 4u);
}

TEST(GameFlow, StoppedEngineIsReportedAndReplacedByAFreshProcess)
{
    Environment env;
    TestChess chess(env.config());
    start_as_white(chess, env, apptest::SlotFakeDying);
    ASSERT_TRUE(chess.enterMove("e2e4"));
    ASSERT_TRUE(TestChess::waitUntil([&] { return !chess.messages.empty(); }));
    EXPECT_EQ(chess.messages[0].type, Platform::MessageWarning);
    EXPECT_EQ(chess.messages[0].title, "Engine");
    EXPECT_EQ(chess.messages[0].text, "The engine Fake dying has stopped.");
    EXPECT_EQ(chess.engine().getEngine(), nullptr);
    EXPECT_FALSE(chess.engine().isWaitingForEngine());
    EXPECT_TRUE(chess.turnErrors.empty());
    EXPECT_EQ(chess.lineToCurrent(), std::vector<std::string>{"e2e4"});

    // OK asks the engine again; a new process is started (and dies too).
    chess.messages.clear();
    chess.input().keyOkReleased();
    ASSERT_TRUE(TestChess::waitUntil([&] { return !chess.messages.empty(); }));
    EXPECT_EQ(env.logCount("Engine: Fake dying has been created"), 2);
    EXPECT_EQ(chess.document().selection, Position());
}

// A resigning, a silent and a moveless engine each end the wait with a
// message; the game goes on (or ends) without the player being stuck.
TEST(GameFlow, ResigningSilentAndMovelessEnginesEndTheWait)
{
    Environment env;
    env.config().writeString("engine_07", "XBOARD|Quitter|engines/fake_engine.py --protocol xboard "
                                          "--answer-line 0-1_{Black_resigns}");
    env.config().writeString("engine_08", "UCI|Mute|engines/fake_engine.py --hang-on-go");
    env.config().writeString("engine_09", "UCI|Stuck|engines/fake_engine.py --answer (none)");
    env.config().writeInt("engine.timeout", 1);
    EngineFactory::instance().init(&env.config());
    TestChess chess(env.config());
    chess.bases().loadBase(env.file("chess/game.cdb").c_str());
    const auto play = [&](int slot) {
        chess.messages.clear();
        chess.engine().setOpponent(slot);
        chess.session().newGame(classic(), 0, slot, White, 0);
        EXPECT_TRUE(chess.enterMove("e2e4"));
        EXPECT_TRUE(TestChess::waitUntil([&] { return !chess.messages.empty(); }, 5000)) << slot;
        EXPECT_FALSE(chess.engine().isWaitingForEngine()) << slot;
        return chess.messages.empty() ? std::string() : chess.messages[0].text;
    };
    // "0-1" from the engine playing Black names White the loser: it is
    // taken as the engine's word, and the game ends with it.
    EXPECT_EQ(play(7), "The engine Quitter claims the win.");
    EXPECT_EQ(chess.game().result, ResultBlackWins);
    // The game is over: OK does not ask the engine again.
    chess.input().keyOkReleased();
    ASSERT_TRUE(chess.settle());
    EXPECT_FALSE(chess.engine().isWaitingForEngine());
    EXPECT_EQ(env.logCount("Engine: Quitter has been created"), 1);

    EXPECT_EQ(play(9), "The engine Stuck has no move.");
    EXPECT_EQ(chess.game().result, ResultInProgress);

    EXPECT_EQ(play(8), "The engine Mute did not answer in time.");
    EXPECT_EQ(chess.engine().getEngine(), nullptr);
    // OK on the board asks a fresh process.
    chess.messages.clear();
    chess.input().keyOkReleased();
    EXPECT_TRUE(
        TestChess::waitUntil([&] { return env.logCount("Engine: Mute has been created") == 2; }));
    EXPECT_TRUE(chess.engine().isWaitingForEngine());
}

TEST(GameFlow, IllegalEngineMoveIsRefusedWithoutEndingTheProgram)
{
    Environment env;
    TestChess chess(env.config());
    start_as_white(chess, env, apptest::SlotFakeWrong);
    ASSERT_TRUE(chess.enterMove("e2e4"));
    ASSERT_TRUE(TestChess::waitUntil([&] { return !chess.messages.empty(); }));
    EXPECT_EQ(chess.messages[0].type, Platform::MessageError);
    EXPECT_EQ(chess.messages[0].text, "Engine error: invalid move");
    EXPECT_EQ(chess.engine().getEngine(), nullptr);
    EXPECT_EQ(chess.lineToCurrent(), std::vector<std::string>{"e2e4"});
    EXPECT_TRUE(chess.turnErrors.empty());
    // The user may go on; the next engine turn starts a new process.
    chess.input().keyOkReleased();
    ASSERT_TRUE(TestChess::waitUntil([&] { return chess.messages.size() >= 2; }));
    EXPECT_EQ(env.logCount("Engine: Fake wrong has been created"), 2);
}

TEST(GameFlow, AnswerForAPositionTheUserHasLeftIsIgnored)
{
    Environment env;
    TestChess chess(env.config());
    start_as_white(chess, env, apptest::SlotFake);
    chess.paint();
    Move e4(4, 1, 4, 3);
    ASSERT_TRUE(chess.session().playMove(e4));
    chess.controller().completeAction(false);
    chess.engine().playEngineMove();
    ASSERT_TRUE(chess.engine().isWaitingForEngine());
    // Before the answer arrives the user steps back to the start.
    chess.controller().setMode(ViewState::HistoryMode);
    chess.input().keyLeft();
    ASSERT_EQ(chess.current(), chess.game().root);
    ASSERT_TRUE(TestChess::waitUntil([&] { return !chess.engine().isWaitingForEngine(); }));
    EXPECT_EQ(chess.current(), chess.game().root);
    const PGNMove* e4node = chess.game().root->findNextMove();
    ASSERT_NE(e4node, nullptr);
    EXPECT_EQ(e4node->findNextMove(), nullptr);
    EXPECT_EQ(env.logCount("Engine move e7e5 ignored"), 1);
    EXPECT_TRUE(chess.messages.empty());

    // Back at the position and on the board, the engine is asked again.
    chess.input().keyRight();
    chess.controller().continueGame();
    EXPECT_TRUE(chess.engine().isWaitingForEngine());
    ASSERT_TRUE(TestChess::waitUntil([&] { return chess.current()->colorToMove() == White; }));
    EXPECT_EQ(chess.lineToCurrent(), (std::vector<std::string>{"e2e4", "e7e5"}));
}

// While the engine thinks its pieces are its own; the move list stays open,
// and a touch on the board back from it starts a due engine turn.
TEST(GameFlow, EnginesSideIsNotPlayableWhileItThinks)
{
    Environment env;
    TestChess chess(env.config());
    start_as_white(chess, env, apptest::SlotFake);
    chess.paint();
    ASSERT_TRUE(chess.enterMove("e2e4"));
    ASSERT_TRUE(TestChess::waitUntil([&] { return chess.engine().isWaitingForEngine(); }));
    EXPECT_FALSE(chess.enterMove("e7e5"));
    EXPECT_FALSE(chess.document().selection.isValid());
    const Rect board = chess.screen().boardView().getRect();
    chess.input().onPointerDown(board.left + board.width / 2 + 5, board.top + board.height / 8 + 5);
    EXPECT_FALSE(chess.document().selection.isValid());
    EXPECT_EQ(chess.lineToCurrent(), std::vector<std::string>{"e2e4"});

    chess.controller().showHistory();
    chess.input().keyLeft();
    ASSERT_EQ(chess.current(), chess.game().root);
    ASSERT_TRUE(TestChess::waitUntil([&] { return !chess.engine().isWaitingForEngine(); }));
    chess.input().keyRight();
    chess.input().onPointerDown(board.left + 5, board.top + board.height - 5);
    chess.input().onPointerUp(board.left + 5, board.top + board.height - 5);
    EXPECT_EQ(chess.document().mode, ViewState::BoardMode);
    EXPECT_TRUE(chess.engine().isWaitingForEngine());
    ASSERT_TRUE(wait_for_reply(chess));
    EXPECT_EQ(chess.lineToCurrent(), (std::vector<std::string>{"e2e4", "e7e5"}));
    EXPECT_EQ(chess.game().whitePlayer, 0);
    EXPECT_EQ(chess.game().blackPlayer, apptest::SlotFake);
}

TEST(GameFlow, HumanEntryAtAnEngineSlotAsksNobody)
{
    Environment env;
    TestChess chess(env.config());
    start_as_white(chess, env, apptest::SlotNamedHuman);
    ASSERT_TRUE(chess.enterMove("e2e4"));
    ASSERT_TRUE(chess.settle());
    // The game's store and the engine turn.
    EXPECT_EQ(chess.deferredRun, 2);
    EXPECT_TRUE(chess.turnErrors.empty());
    EXPECT_EQ(chess.engine().getEngine(), nullptr);
    ASSERT_TRUE(chess.enterMove("e7e5"));
}

TEST(GameFlow, RecordedContinuationIsReplayedWithoutEngine)
{
    Environment env;
    TestChess chess(env.config());
    start_as_white(chess, env, apptest::SlotFakeWrong);
    Game& game = chess.game();
    game.addMove(Move(4, 1, 4, 3));
    game.addMove(Move(2, 6, 2, 4));
    game.firstPosition();
    chess.controller().onSelectGame();
    ASSERT_TRUE(chess.enterMove("e2e4"));
    ASSERT_TRUE(TestChess::waitUntil([&] { return chess.deferredRun >= 2; }));
    EXPECT_EQ(chess.lineToCurrent(), (std::vector<std::string>{"e2e4", "c7c5"}));
    EXPECT_EQ(chess.engine().getEngine(), nullptr);
    EXPECT_TRUE(chess.messages.empty());
}

TEST(GameFlow, AnswerArrivingAfterAnotherGameWasOpenedIsIgnored)
{
    Environment env;
    const std::string base = env.file("chess/classics.cdb");
    ChessBase::importPgn(base, testsupport::sourcePath("assets/chess/classics.pgn"));
    TestChess chess(env.config());
    chess.bases().loadBase(base.c_str());
    chess.controller().onSelectGame();
    chess.engine().setOpponent(apptest::SlotFake);
    chess.session().newGame(classic(), 0, apptest::SlotFake, White, 0);
    Move e4(4, 1, 4, 3);
    ASSERT_TRUE(chess.session().playMove(e4));
    chess.engine().playEngineMove();
    ASSERT_TRUE(chess.engine().isWaitingForEngine());
    // The new game is played in the player's base.
    EXPECT_EQ(chess.document().database.path(), env.file("chess/game.cdb"));
    // Another game, shown at the very position the engine was asked about.
    chess.bases().openBase(base);
    chess.bases().firstGame();
    ASSERT_EQ(chess.game().id, 1);
    chess.game().current = chess.game().root->findNextMove();
    ASSERT_TRUE(TestChess::waitUntil([&] { return !chess.engine().isWaitingForEngine(); }));
    EXPECT_EQ(chess.current(), chess.game().root->findNextMove());
    EXPECT_EQ(env.logCount("Engine move e7e5 ignored"), 1);
    // The new game was stored with the user's move only.
    chess.bases().openBase(env.file("chess/game.cdb"));
    chess.bases().lastGame();
    EXPECT_EQ(chess.game().event, "inkmate match");
    EXPECT_EQ(chess.lineToCurrent(), std::vector<std::string>{"e2e4"});
}

TEST(GameFlow, ReadOnlyBaseIsSaidOnceAndANewGameMovesToThePlayersBase)
{
    Environment env;
    const std::string cards = env.file("card.pgn");
    testsupport::writeFile(cards, "[White \"Card\"]\n\n1.e4 e5 *\n\n");
    const std::string card = env.file("card.cdb");
    ChessBase::importPgn(card, cards);
    ASSERT_EQ(chmod(card.c_str(), 0444), 0);
    const std::string before = testsupport::readFile(card);

    TestChess chess(env.config());
    chess.bases().loadBase(card.c_str());
    ASSERT_EQ(chess.messages.size(), 1u);
    EXPECT_EQ(chess.messages[0].text,
              "The game base " + card + " is read-only: games and solved puzzles are not saved.");
    // Without a question the new game goes on in the player's base and is
    // stored there from its first move.
    chess.messages.clear();
    chess.session().newGame(classic(), 0, 0, White, 1);
    EXPECT_TRUE(chess.messages.empty());
    const std::string mine = env.file("chess/game.cdb");
    EXPECT_EQ(chess.document().database.path(), mine);
    EXPECT_EQ(env.config().readString("last_opened", ""), mine);
    EXPECT_EQ(chess.game().parent, 0);
    ASSERT_TRUE(chess.enterMove("c2c4"));
    ASSERT_TRUE(chess.settle());
    EXPECT_EQ(chess.game().id, 1);
    ASSERT_TRUE(chess.bases().closeBaseNoThrow());
    EXPECT_EQ(testsupport::readFile(card), before);
}

// The header's bar follows the side to move and is dashed while the engine
// thinks; each change repaints the bar's strip alone, never the header.
TEST(GameFlow, HeaderBarFollowsTheMoveAndTheEngineThinkingInItsStripAlone)
{
    if (!Environment::haveEngine("stockfish"))
        GTEST_SKIP() << "stockfish is not installed";
    Environment env;
    env.config().writeInt("header", 1);
    TestChess chess(env.config());
    start_as_white(chess, env, apptest::SlotStockfish);
    chess.screen().layout(chess.client);
    chess.screen().infoView().update(nullptr);
    const GameInfoView& info = chess.screen().infoView();
    const Rect header = info.getRect();
    ASSERT_GT(header.height, 0);
    chess.invalidated.clear();
    ASSERT_TRUE(chess.enterMove("e2e4"));
    ASSERT_TRUE(wait_for_reply(chess));
    EXPECT_FALSE(chess.document().isEngineThinking());
    // The move, the engine asked (thinking), its answer.
    const auto count = [&](const QRect& rect) {
        return std::count(chess.invalidated.begin(), chess.invalidated.end(), rect);
    };
    EXPECT_EQ(count(info.markRect(White)), 2);
    EXPECT_EQ(count(info.markRect(Black)), 3);
    EXPECT_EQ(count(QRect(header.left, header.top, header.width, header.height)), 0);
}
