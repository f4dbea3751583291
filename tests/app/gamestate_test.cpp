// End-of-game texts, puzzles, promotion and settings of the controller.

#include "tests/app/apptestsupport.h"

#include "base/chessbase.h"
#include "core/exception.h"
#include "engine/engineprocess.h"
#include "game/game.h"
#include "game/pgnmove.h"

#include <gtest/gtest.h>

using apptest::Environment;
using apptest::TestChess;

namespace {

Board from_fen(const char* fen)
{
    Board board;
    board.importFromFEN(fen);
    return board;
}

// A controller with an open base and a game of two humans.
class GameStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        chess = std::make_unique<TestChess>(env.config());
        chess->bases().loadBase(env.file("chess/game.cdb").c_str());
        chess->engine().setOpponent(0);
    }
    void start(const Board& board, Color user = White)
    {
        chess->session().newGame(board, 0, 0, user, 0);
        chess->clearRecords();
    }
    void play(std::initializer_list<const char*> moves)
    {
        for (const char* m : moves)
            ASSERT_TRUE(chess->enterMove(m)) << m;
    }

    Environment env;
    std::unique_ptr<TestChess> chess;
};

} // namespace

// Resigning and a draw by agreement end the game, say so once and are stored
// with their result.
TEST_F(GameStateTest, ResignationAndDrawAgreementEndTheGameAndAreStored)
{
    start(from_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    // Between two people there is no hint.
    EXPECT_FALSE(chess->controller().canHint());
    play({"e2e4", "e7e5"});
    chess->session().resign();
    EXPECT_EQ(chess->gameTexts(), std::vector<std::string>{"White resigns"});
    EXPECT_EQ(chess->game().result, ResultBlackWins);
    EXPECT_FALSE(chess->session().isGameInPlay());
    chess->session().resign();
    EXPECT_EQ(chess->gameTexts().size(), 1u);
    ASSERT_TRUE(chess->settle());
    const int resigned = chess->game().id;
    ASSERT_GT(resigned, 0);

    start(from_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    play({"d2d4"});
    chess->answer = false;
    chess->session().offerDraw();
    EXPECT_TRUE(chess->session().isGameInPlay());
    EXPECT_EQ(chess->messages.back().type, TestChess::MessageQuestion);
    EXPECT_EQ(chess->messages.back().text, "Black offers a draw. Accept?");
    chess->answer = true;
    chess->session().offerDraw();
    EXPECT_EQ(chess->gameTexts(), std::vector<std::string>{"Draw by agreement"});
    EXPECT_EQ(chess->game().result, ResultDraw);
    ASSERT_TRUE(chess->settle());

    ChessBase& base = chess->document().database;
    base.openGame(resigned);
    EXPECT_EQ(base.game.result, ResultBlackWins);
    EXPECT_EQ(base.game.moveText, "1.e4 e5 $500 0-1");
    base.lastGame();
    EXPECT_EQ(base.game.result, ResultDraw);
}

// Without automatic draws a threefold repetition goes on until it is claimed.
TEST_F(GameStateTest, RepetitionIsClaimedWhereDrawsAreNotAutomatic)
{
    chess->controller().settings().setFlag(Settings::DrawAutomatic, false);
    chess->controller().onSettings();
    start(from_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    chess->session().claimDraw();
    EXPECT_TRUE(chess->session().isGameInPlay());
    play({"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8"});
    EXPECT_TRUE(chess->gameTexts().empty());
    EXPECT_TRUE(chess->document().isClaimableDraw());
    EXPECT_TRUE(chess->session().isGameInPlay());
    chess->session().claimDraw();
    EXPECT_EQ(chess->gameTexts(), std::vector<std::string>{"Draw by threefold repetition"});
    EXPECT_EQ(chess->game().result, ResultDraw);
    EXPECT_FALSE(chess->session().isGameInPlay());
}

TEST(GameSessionRule, EngineAcceptsADrawFromMoveThirtyWhenNotAhead)
{
    const auto accepts = [](const char* fen, Color engine) {
        return GameSession::engine_accepts_draw(from_fen(fen), engine);
    };
    // Level material.
    EXPECT_FALSE(accepts("4k3/pppp4/8/8/8/8/PPPP4/4K3 w - - 0 29", Black));
    EXPECT_TRUE(accepts("4k3/pppp4/8/8/8/8/PPPP4/4K3 w - - 0 30", Black));
    // One pawn ahead still agrees, two do not; behind it always agrees.
    EXPECT_TRUE(accepts("4k3/pppp4/8/8/8/8/PPP5/4K3 w - - 0 40", Black));
    EXPECT_FALSE(accepts("4k3/pppp4/8/8/8/8/PP6/4K3 w - - 0 40", Black));
    EXPECT_TRUE(accepts("4k3/pppp4/8/8/8/8/PP6/4K3 w - - 0 40", White));
}

TEST_F(GameStateTest, ThreefoldRepetitionEndsTheGameWithItsReason)
{
    start(from_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    play({"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1"});
    EXPECT_TRUE(chess->gameTexts().empty());
    play({"f6g8"});
    ASSERT_EQ(chess->gameTexts(), std::vector<std::string>{"Draw (Threefold repetition)"});
    EXPECT_EQ(chess->messages.back().type, Platform::MessageInformation);
    EXPECT_EQ(chess->messages.back().title, "Game");
    EXPECT_EQ(chess->game().result, ResultDraw);
    // No piece can be picked up at a finished position.
    chess->moveCursorTo(Position(1, 0));
    chess->input().keyOkReleased();
    EXPECT_FALSE(chess->document().selection.isValid());
}

TEST_F(GameStateTest, FiftyMoveRuleFiresOnTheHundredthHalfMove)
{
    start(from_fen("8/8/8/4k3/8/8/8/R3K3 w - - 98 80"));
    play({"a1a2"});
    EXPECT_TRUE(chess->gameTexts().empty());
    play({"e5e4"});
    ASSERT_EQ(chess->gameTexts(), std::vector<std::string>{"Draw (Fifty-move rule)"});
    EXPECT_EQ(chess->game().result, ResultDraw);
}

TEST_F(GameStateTest, MateShowsTheWinner)
{
    start(from_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    play({"f2f3", "e7e5", "g2g4", "d8h4"});
    ASSERT_EQ(chess->gameTexts(), std::vector<std::string>{"Checkmate: Black wins"});
    EXPECT_EQ(chess->game().result, ResultBlackWins);
}

TEST_F(GameStateTest, ResultInASideVariationLeavesTheGameResult)
{
    start(from_fen("7k/8/6K1/8/8/8/8/5Q2 w - - 0 1"));
    play({"f1f7"});
    ASSERT_EQ(chess->gameTexts(), std::vector<std::string>{"Draw (Stalemate)"});
    EXPECT_EQ(chess->game().result, ResultDraw);

    chess->controller().setMode(ViewState::HistoryMode);
    chess->input().keyLeft();
    ASSERT_EQ(chess->current(), chess->game().root);
    const int refreshes = chess->fullRefreshes;
    chess->controller().continueGame();
    EXPECT_EQ(chess->document().mode, ViewState::BoardMode);
    EXPECT_EQ(chess->fullRefreshes, refreshes + 1);
    play({"f1f8"});
    EXPECT_EQ(chess->current()->depth, 1u);
    ASSERT_EQ(chess->gameTexts().size(), 2u);
    EXPECT_EQ(chess->gameTexts()[1], "Checkmate: White wins");
    EXPECT_EQ(chess->game().result, ResultDraw);
}

// A pawn on the last rank asks for its piece; taken back, nothing is played.
TEST_F(GameStateTest, PromotionAsksForThePiece)
{
    start(from_fen("8/3PP3/8/8/8/8/k7/4K3 w - - 0 1"));
    chess->promotionAnswer = -1;
    EXPECT_FALSE(chess->enterMove("e7e8"));
    EXPECT_EQ(chess->current(), chess->game().root);
    // The pawn stays picked up: the last rank again, and the knight.
    chess->promotionAnswer = 3;
    Move move;
    ASSERT_TRUE(move.setFromString("e7e8"));
    chess->moveCursorTo(move.getTo());
    chess->input().keyOkReleased();
    EXPECT_EQ(chess->current()->move.promotion, Piece::TypeKnight);
    EXPECT_EQ(chess->promotionAsked, 2);
}

TEST_F(GameStateTest, PromotionUsesTheStoredChoiceThenQueenAgain)
{
    start(from_fen("8/3PP3/8/8/8/8/k7/4K3 w - - 0 1"));
    chess->controller().settings().setFlag(Settings::PromotionAsk, false);
    chess->session().setPromotion(2);
    play({"e7e8"});
    EXPECT_EQ(chess->current()->move.promotion, Piece::TypeBishop);
    EXPECT_EQ(chess->session().getPromotion(), 0);
    play({"a2b2", "d7d8"});
    EXPECT_EQ(chess->current()->move.promotion, Piece::TypeQueen);
    // A move that names its piece keeps it; a non-promotion loses any piece.
    Move knight(1, 1, 1, 2, Piece::TypeKnight);
    ASSERT_TRUE(chess->session().playMove(knight));
    EXPECT_EQ(knight.promotion, 0);
    EXPECT_GE(env.logCount("Set Promotion: 0"), 2);
    EXPECT_GE(env.logCount("White: fen=[8/3PP3/8/8/8/8/k7/4K3 w - - 0 1], move=[e7e8b]"), 1);
}

TEST_F(GameStateTest, PuzzleRefusesWrongMovesAndIsSolvedOnce)
{
    // A solved puzzle asks for the next one two seconds later.
    env.config().writeInt("next_puzzle", 2);
    const std::string base = env.file("chess/puzzles.cdb");
    ChessBase::importPgn(base, testsupport::sourcePath("assets/chess/puzzles.pgn"));
    chess->bases().closeBase();
    chess->bases().loadBase(base.c_str());
    chess->controller().onSelectGame();
    // The first mate in 2 for Black (the board is shown from Black's side).
    for (int guard = 0; guard < 30 && chess->game().event != "Mate in 2"; ++guard)
        chess->bases().nextUnsolvedPuzzle();
    ASSERT_EQ(chess->game().event, "Mate in 2");
    ASSERT_TRUE(chess->document().isPuzzle());
    ASSERT_TRUE(chess->document().isFlipped());
    const int puzzleId = chess->game().id;
    chess->clearRecords();

    // Only the solver's (Black's) pieces can be picked up; turning the board
    // does nothing in a puzzle.
    chess->session().turnBoard();
    EXPECT_TRUE(chess->document().isFlipped());
    const PGNMove* first = chess->current()->findNextMove();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(first->hidden);

    // A legal move that is not the solution.
    Moves legal;
    chess->current()->boardAfter().generateMoves(Black, &legal);
    Move wrong;
    for (const Move& m : legal)
        if (m != first->move && m.promotion == 0)
            wrong = m;
    const PGNMove* before = chess->current();
    EXPECT_FALSE(chess->enterMove(wrong.getAsString()));
    EXPECT_EQ(chess->current(), before);
    ASSERT_EQ(chess->messages.size(), 1u);
    EXPECT_EQ(chess->messages[0].title, "Puzzle");
    EXPECT_EQ(chess->messages[0].text, "Incorrect move!");
    EXPECT_TRUE(first->hidden);

    // The solution: each correct move is answered by the recorded reply.
    int guard = 0;
    while (!chess->document().isSolvedPuzzle() && guard++ < 10) {
        const PGNMove* next = chess->current()->findNextMove();
        ASSERT_NE(next, nullptr);
        ASSERT_TRUE(next->hidden);
        ASSERT_TRUE(chess->enterMove(next->move.getAsString()));
        EXPECT_FALSE(next->hidden);
        if (!chess->document().isSolvedPuzzle()) {
            ASSERT_TRUE(TestChess::waitUntil(
                [&] { return chess->current()->colorToMove() == Black; }, 2000));
        }
    }
    EXPECT_EQ(chess->deferredBy(2000), 1);
    EXPECT_TRUE(chess->game().flags & Game::FlagSolved);
    EXPECT_FALSE(chess->document().cursor.isValid());
    EXPECT_TRUE(chess->gameTexts().empty());
    // A later state check does not solve it again; the keys do not move a cursor.
    chess->controller().completeAction(false);
    chess->input().keyLeft();
    EXPECT_EQ(chess->deferredBy(2000), 1);
    EXPECT_FALSE(chess->document().cursor.isValid());

    // Down goes on to the next game, an unsolved puzzle.
    chess->input().keyDown();
    EXPECT_EQ(chess->game().id, puzzleId + 1);
    EXPECT_EQ(chess->game().flags & (Game::FlagPuzzle | Game::FlagSolved),
              static_cast<unsigned>(Game::FlagPuzzle));
    EXPECT_EQ(chess->document().cursor, Position(3, 3));
    // The solved flag was stored.
    chess->bases().prevGame();
    EXPECT_EQ(chess->game().id, puzzleId);
    EXPECT_TRUE(chess->document().isSolvedPuzzle());
    // Up at a solved puzzle goes to the previous game.
    chess->input().keyUp();
    EXPECT_EQ(chess->game().id, puzzleId - 1);
}

TEST_F(GameStateTest, PuzzleShownFromWhitesSideOffersOnlyWhitePieces)
{
    const std::string base = env.file("chess/puzzles.cdb");
    ChessBase::importPgn(base, testsupport::sourcePath("assets/chess/puzzles.pgn"));
    chess->bases().closeBase();
    chess->bases().loadBase(base.c_str());
    chess->controller().onSelectGame();
    ASSERT_TRUE(chess->document().isPuzzle());
    ASSERT_FALSE(chess->document().isFlipped());
    ASSERT_EQ(chess->current()->colorToMove(), White);
    // With the board turned by hand (stored view flag), White is on top and
    // nothing may be picked up.
    chess->game().flags |= Game::FlagViewAsBlack;
    chess->moveCursorTo(Position(5, 0));
    chess->input().keyOkReleased();
    EXPECT_FALSE(chess->document().selection.isValid());
    chess->game().flags &= ~static_cast<unsigned>(Game::FlagViewAsBlack);
    chess->input().keyOkReleased();
    EXPECT_EQ(chess->document().selection, Position(5, 0));
}

TEST_F(GameStateTest, InvalidGameShowsItsErrorAndNoResult)
{
    start(from_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    chess->game().invalidate("Unexpected token: Nx9");
    EXPECT_EQ(chess->session().checkGameState(), "");
    ASSERT_EQ(chess->messages.size(), 1u);
    EXPECT_EQ(chess->messages[0].type, Platform::MessageError);
    EXPECT_EQ(chess->messages[0].text, "Unexpected token: Nx9");
    Move move(4, 1, 4, 3);
    EXPECT_FALSE(chess->session().playMove(move));
    EXPECT_GE(env.logCount("Unexpected token: Nx9"), 1);
}

TEST_F(GameStateTest, EmptyBaseStartsAGameAgainstTheStoredOpponent)
{
    chess->bases().closeBase();
    chess->engine().setOpponent(apptest::SlotStockfish);
    env.config().writeString("my_name", "Ива́н");
    chess->bases().loadBase(env.file("chess/other.cdb").c_str());
    EXPECT_EQ(chess->game().white, "Ива́н");
    EXPECT_EQ(chess->game().black, "Stockfish");
    EXPECT_EQ(chess->game().blackPlayer, apptest::SlotStockfish);
    EXPECT_EQ(chess->game().whitePlayer, 0);
    EXPECT_EQ(chess->engine().getEngine(), nullptr);
    EXPECT_EQ(env.logCount("is loaded"), 2);
    // A file that is not a game base is refused with an Exception.
    testsupport::writeFile(env.file("chess/text.cdb"), "not a database at all\n");
    chess->bases().closeBase();
    EXPECT_THROW(chess->bases().loadBase(env.file("chess/text.cdb").c_str()), Exception);
    EXPECT_TRUE(chess->bases().closeBaseNoThrow());
}

TEST_F(GameStateTest, SettingsAreAppliedAndLogged)
{
    EXPECT_GE(env.logCount("Set Level: 1"), 1);
    EXPECT_GE(env.logCount("Set Promotion: 0"), 1);
    chess->engine().setLevel(4);
    EXPECT_EQ(chess->engine().getLevel(), 4);
    EXPECT_EQ(env.logCount("Set Level: 5"), 1);
    chess->engine().setOpponent(apptest::SlotFake);
    EXPECT_EQ(env.logCount("Set Opponent: 5 (Fake)"), 1);
    chess->session().newGame(from_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"),
                             0, apptest::SlotFake, White, 0);
    ASSERT_TRUE(chess->enterMove("e2e4"));
    ASSERT_TRUE(TestChess::waitUntil([&] { return chess->current()->colorToMove() == White; }));
    ASSERT_NE(chess->engine().getEngine(), nullptr);
    EXPECT_EQ(chess->engine().getEngine()->getLevel(), 4);
    chess->engine().setLevel(0);
    EXPECT_EQ(chess->engine().getEngine()->getLevel(), 0);
    // A hand-edited level stays inside the list.
    env.config().writeInt("level", 99);
    EXPECT_EQ(chess->engine().getLevel(), 14);
    env.config().writeInt("level", -3);
    EXPECT_EQ(chess->engine().getLevel(), 0);

    // A board font that cannot be applied: back to the first one.
    env.config().writeInt("board.font", 1);
    EXPECT_THROW(chess->screen().applyBoardFont(), Exception);
    EXPECT_EQ(env.config().readInt("board.font", -1), 0);
    EXPECT_NO_THROW(chess->screen().applyBoardFont());

    // Coordinates around the board leave smaller squares.
    const int plainCell = chess->screen().boardView().getCellSize();
    env.config().writeInt("board.annotation", 1);
    chess->clearRecords();
    chess->controller().onSettings();
    EXPECT_LT(chess->screen().boardView().getCellSize(), plainCell);
    EXPECT_EQ(chess->menuBuilt, 1);
    EXPECT_TRUE(chess->repaintedWhole());

    EXPECT_EQ(EngineTurn::get_levels().size(), 15u);
    EXPECT_EQ(EngineTurn::get_levels().front(), "1 · beginner, up to 1 s");
    EXPECT_EQ(EngineTurn::get_levels().back(), "15 · full strength, up to 15 s");
    EXPECT_EQ(ScreenLayout::get_history_sizes().front(), "Off");
    EXPECT_EQ(ScreenLayout::get_history_sizes().back(), "50%");
}
