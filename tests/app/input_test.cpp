// Keys, touches, the move list and the screen division.

#include "tests/app/apptestsupport.h"

#include "base/chessbase.h"
#include "game/game.h"
#include "game/pgnelement.h"
#include "game/pgnmove.h"

#include <gtest/gtest.h>

using apptest::Environment;
using apptest::TestChess;

namespace {

QRect rect_of(const PGNElement* e)
{
    return QRect(e->x, e->y, e->width, e->height);
}

QPoint centre_of(const PGNElement* e)
{
    return QPoint(e->x + e->width / 2, e->y + e->height / 2);
}

// The classic games imported into a base and opened on the first game.
class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string base = env.file("chess/classics.cdb");
        ChessBase::importPgn(base, testsupport::sourcePath("assets/chess/classics.pgn"));
        chess = std::make_unique<TestChess>(env.config());
        chess->bases().loadBase(base.c_str());
        chess->controller().onSelectGame();
        chess->engine().setOpponent(0);
    }
    const PGNMove* findMove(const std::string& text)
    {
        for (PGNElement* e = chess->game().root; e; e = e->next)
            if (e->getType() == PGNElement::TypeMove && e->getText() == text)
                return static_cast<PGNMove*>(e);
        return nullptr;
    }
    int shownPage() { return chess->screen().historyView().getShownPage(); }
    void newHumanGame()
    {
        Board start;
        start.create_classic_board();
        chess->session().newGame(start, 0, 0, White, 0);
        chess->paint();
        chess->clearRecords();
    }

    Environment env;
    std::unique_ptr<TestChess> chess;
};

} // namespace

TEST_F(InputTest, RightStepsFollowTheMainLineAndTurnPagesBeforeComments)
{
    env.config().writeInt("history.size", 1);
    chess->screen().layout(chess->client);
    chess->paint();
    ASSERT_EQ(chess->current(), chess->game().root);
    ASSERT_GT(chess->screen().historyView().getPageCount(), 5);
    chess->controller().setMode(ViewState::HistoryMode);

    std::vector<const PGNMove*> mainLine;
    for (const PGNMove* n = chess->game().root->findNextMove(); n; n = n->findNextMove())
        mainLine.push_back(n);
    ASSERT_EQ(mainLine.size(), 45u);

    std::vector<const PGNMove*> visited;
    int turns = 0;
    for (int i = 0; i < 500; ++i) {
        const PGNMove* before = chess->current();
        const int pageBefore = shownPage();
        chess->invalidated.clear();
        chess->input().keyRight();
        if (chess->current() != before) {
            visited.push_back(chess->current());
            EXPECT_EQ(chess->current()->page, shownPage());
            if (shownPage() == pageBefore) {
                // Only the two words are repainted in the move list.
                ASSERT_EQ(chess->invalidated.size() >= 2, true);
                EXPECT_EQ(chess->invalidated[0], rect_of(before));
                EXPECT_EQ(chess->invalidated[1], rect_of(chess->current()));
                EXPECT_FALSE(chess->repainted(chess->screen().historyView()));
            }
        } else if (shownPage() != pageBefore) {
            ++turns;
            EXPECT_EQ(shownPage(), pageBefore + 1);
            EXPECT_TRUE(chess->repainted(chess->screen().historyView()));
        } else {
            break;
        }
    }
    EXPECT_EQ(visited, mainLine);
    EXPECT_GT(turns, 0);
    EXPECT_EQ(shownPage(), chess->screen().historyView().getPageCount() - 1);

    // Left pages back to the last move, then walks back to the start.
    std::vector<const PGNMove*> back;
    for (int i = 0; i < 500 && chess->current() != chess->game().root; ++i) {
        const PGNMove* before = chess->current();
        chess->input().keyLeft();
        if (chess->current() != before)
            back.push_back(chess->current());
    }
    ASSERT_EQ(back.size(), mainLine.size());
    EXPECT_EQ(back.back(), chess->game().root);
    EXPECT_EQ(shownPage(), 0);
}

TEST_F(InputTest, UpAndDownMoveThroughVariations)
{
    chess->paint();
    chess->controller().setMode(ViewState::HistoryMode);
    const PGNMove* bd6 = findMove("18.Bd6");
    ASSERT_NE(bd6, nullptr);
    chess->game().current = const_cast<PGNMove*>(bd6);
    chess->screen().historyView().setShownPage(bd6->page);
    const auto text = [&] { return chess->current()->getText(); };
    chess->input().keyRight();
    EXPECT_EQ(text(), "Bxg1");
    EXPECT_EQ(chess->current()->depth, 0u);
    chess->input().keyDown();
    EXPECT_EQ(text(), "Qxa1+");
    EXPECT_EQ(chess->current()->depth, 1u);
    chess->input().keyRight();
    EXPECT_EQ(text(), "19.Ke2");
    chess->input().keyUp();
    EXPECT_EQ(text(), "Qxa1+");
    chess->input().keyUp();
    EXPECT_EQ(text(), "Bxg1");
    chess->input().keyUp();
    EXPECT_EQ(chess->current(), chess->game().root);
    chess->input().keyDown();
    EXPECT_EQ(text(), "23.Be7#");
    EXPECT_EQ(chess->document().mode, ViewState::HistoryMode);
    // OK in history mode goes back to the board; the game over stays quiet.
    chess->controller().continueGame();
    EXPECT_EQ(chess->document().mode, ViewState::BoardMode);
    EXPECT_EQ(chess->gameTexts(), std::vector<std::string>{"Checkmate: White wins"});
}

TEST_F(InputTest, SwipesOfMoreThanThirtyPixelsStepAndShorterOnesTap)
{
    chess->paint();
    const Rect history = chess->screen().historyView().getRect();
    ASSERT_GT(history.height, 100);
    const int x = history.left + 200;
    const int y = history.top + 60;
    using Step = std::pair<int, int>;
    chess->input().onPointerDown(x, y);
    EXPECT_EQ(chess->document().mode, ViewState::HistoryMode);
    EXPECT_TRUE(chess->repaintedWhole());
    chess->input().onPointerUp(x, y);

    EXPECT_EQ(InputRouter::swipe_step(30, 0), Step(0, 0));
    EXPECT_EQ(InputRouter::swipe_step(0, -30), Step(0, 0));
    EXPECT_EQ(InputRouter::swipe_step(31, 0), Step(1, 0));
    EXPECT_EQ(InputRouter::swipe_step(-31, 10), Step(-1, 0));
    EXPECT_EQ(InputRouter::swipe_step(0, 31), Step(0, 1));
    EXPECT_EQ(InputRouter::swipe_step(5, -40), Step(0, -1));
    EXPECT_EQ(InputRouter::swipe_step(40, 30), Step(0, 0));
    EXPECT_EQ(InputRouter::swipe_step(-60, 60), Step(0, 0));
    EXPECT_EQ(InputRouter::swipe_step(61, 30), Step(1, 0));

    // A swipe steps through the list: right to the first move, left back.
    ASSERT_EQ(chess->current(), chess->game().root);
    chess->input().onPointerDown(x, y);
    chess->input().onPointerUp(x + 31, y);
    EXPECT_EQ(chess->current(), chess->game().root->findNextMove());
    chess->input().onPointerDown(x, y);
    chess->input().onPointerUp(x - 31, y + 10);
    EXPECT_EQ(chess->current(), chess->game().root);
    // Without a pointer-down in the list, a pointer-up does nothing.
    chess->input().onPointerUp(x + 100, y);
    EXPECT_EQ(chess->current(), chess->game().root);
}

TEST_F(InputTest, TapOnAMoveMakesItCurrent)
{
    chess->paint();
    chess->controller().setMode(ViewState::HistoryMode);
    chess->paint();
    const PGNMove* target = nullptr;
    for (PGNElement* e = chess->game().root->next; e; e = e->next)
        if (e->getType() == PGNElement::TypeMove && e->page == shownPage() && e->width > 0)
            target = static_cast<PGNMove*>(e);
    ASSERT_NE(target, nullptr);
    const QPoint p = centre_of(target);
    chess->invalidated.clear();
    chess->input().onPointerDown(p.x(), p.y());
    chess->input().onPointerUp(p.x() + 3, p.y());
    EXPECT_EQ(chess->current(), target);
    EXPECT_TRUE(chess->repaintedWhole());
    // A tap on the border of a word finds nothing.
    const PGNMove* before = chess->current();
    chess->input().onPointerDown(target->x, target->y);
    chess->input().onPointerUp(target->x, target->y);
    EXPECT_EQ(chess->current(), before);
}

TEST_F(InputTest, TouchDragsAndTapsEnterMoves)
{
    newHumanGame();
    ChessBoardView& board = chess->screen().boardView();
    const QPoint e2 = board.cellRect(Position(4, 1)).center();
    const QPoint e4 = board.cellRect(Position(4, 3)).center();
    chess->controller().setMode(ViewState::HistoryMode);
    chess->invalidated.clear();
    chess->input().onPointerDown(e2.x(), e2.y());
    EXPECT_EQ(chess->document().mode, ViewState::BoardMode);
    EXPECT_EQ(chess->document().selection, Position(4, 1));
    EXPECT_TRUE(chess->repaintedWhole());
    chess->input().onPointerUp(e4.x(), e4.y());
    EXPECT_EQ(chess->lineToCurrent(), std::vector<std::string>{"e2e4"});
    EXPECT_FALSE(chess->document().selection.isValid());

    // Tap the piece, then the target.
    const QPoint g8 = board.cellRect(Position(6, 7)).center();
    const QPoint f6 = board.cellRect(Position(5, 5)).center();
    chess->input().onPointerDown(g8.x(), g8.y());
    chess->input().onPointerUp(g8.x(), g8.y());
    EXPECT_EQ(chess->document().selection, Position(6, 7));
    // A touch on the picked-up piece keeps it up (a drag may start there).
    chess->input().onPointerDown(g8.x(), g8.y());
    EXPECT_EQ(chess->document().selection, Position(6, 7));
    chess->input().onPointerDown(f6.x(), f6.y());
    chess->input().onPointerUp(f6.x(), f6.y());
    EXPECT_EQ(chess->lineToCurrent(), (std::vector<std::string>{"e2e4", "g8f6"}));
}

TEST_F(InputTest, OkSelectsReselectsAndKeepsTheSelectionOnIllegalTargets)
{
    newHumanGame();
    ChessDocument& doc = chess->document();
    chess->moveCursorTo(Position(4, 3));
    chess->input().keyOkReleased();
    EXPECT_FALSE(doc.selection.isValid());
    chess->moveCursorTo(Position(4, 6));
    chess->input().keyOkReleased();
    EXPECT_FALSE(doc.selection.isValid());

    chess->moveCursorTo(Position(4, 1));
    chess->invalidated.clear();
    chess->input().keyOkReleased();
    EXPECT_EQ(doc.selection, Position(4, 1));
    const QRect e2 = chess->screen().boardView().cellRect(Position(4, 1));
    EXPECT_NE(std::find(chess->invalidated.begin(), chess->invalidated.end(), e2),
              chess->invalidated.end());
    chess->moveCursorTo(Position(4, 4));
    chess->input().keyOkReleased();
    EXPECT_EQ(doc.selection, Position(4, 1));
    EXPECT_EQ(chess->current(), chess->game().root);
    chess->moveCursorTo(Position(3, 1));
    chess->input().keyOkReleased();
    EXPECT_EQ(doc.selection, Position(3, 1));
    chess->moveCursorTo(Position(3, 3));
    chess->input().keyOkReleased();
    EXPECT_EQ(chess->lineToCurrent(), std::vector<std::string>{"d2d4"});

    // The cursor wraps at the edge; a mode change drops the selection.
    chess->moveCursorTo(Position(0, 6));
    chess->input().keyOkReleased();
    EXPECT_EQ(doc.selection, Position(0, 6));
    chess->input().keyLeft();
    EXPECT_EQ(doc.cursor, Position(7, 6));
    chess->controller().setMode(ViewState::HistoryMode);
    EXPECT_FALSE(doc.selection.isValid());
    chess->controller().setMode(ViewState::BoardMode);
    // Turning the board mirrors the keys and drops the selection.
    chess->input().keyOkReleased();
    chess->session().turnBoard();
    EXPECT_TRUE(doc.isFlipped());
    EXPECT_FALSE(doc.selection.isValid());
    chess->input().keyLeft();
    EXPECT_EQ(doc.cursor, Position(0, 6));
}

// OK by press and release, as the window reports them: a short press acts on
// its release, a held one (the hold timer ran out) only opens the menu, and
// its repeats act on nothing until the real release (no press within the
// settle time); a release without its own press acts on nothing.
TEST_F(InputTest, ShortOkActsOnReleaseAndHeldOkOnlyOpensTheMenu)
{
    newHumanGame();
    ChessDocument& doc = chess->document();
    InputRouter& input = chess->input();
    chess->moveCursorTo(Position(4, 1));
    // Repeats flagged, as plain pairs, or none at all.
    for (const int repeats : {0, 1, 2}) {
        EXPECT_EQ(input.okKeyDown(false), KeyHold::kHoldMs);
        for (int i = 0; repeats == 1 && i < 3; ++i) {
            input.okKeyUp(true);
            EXPECT_EQ(input.okKeyDown(true), KeyHold::kLeaveTimer);
        }
        EXPECT_FALSE(doc.selection.isValid());
        input.okKeyTimer();
        EXPECT_EQ(chess->menuShown, repeats + 1);
        EXPECT_TRUE(input.isOkKeyHeld());
        for (int i = 0; i < 3; ++i) {
            input.okKeyUp(repeats == 1);
            input.okKeyDown(repeats == 1);
        }
        EXPECT_EQ(input.okKeyUp(false), KeyHold::kSettleMs);
        if (repeats == 2) {
            // A press within the settle time is one more repeat.
            input.okKeyDown(false);
            EXPECT_EQ(input.okKeyUp(false), KeyHold::kSettleMs);
        }
        EXPECT_TRUE(input.isOkKeyHeld());
        input.okKeyTimer();
        EXPECT_FALSE(input.isOkKeyHeld());
        EXPECT_FALSE(doc.selection.isValid());
        EXPECT_EQ(chess->menuShown, repeats + 1);
    }

    input.okKeyDown(false);
    EXPECT_FALSE(doc.selection.isValid());
    EXPECT_EQ(input.okKeyUp(false), KeyHold::kStopTimer);
    EXPECT_EQ(doc.selection, Position(4, 1));
    input.okKeyTimer(); // a timer that was not stopped in time
    EXPECT_EQ(chess->menuShown, 3);

    chess->moveCursorTo(Position(4, 3));
    input.okKeyUp(false);
    EXPECT_EQ(chess->current(), chess->game().root);
    input.okKeyDown(false);
    input.okKeyUp(false);
    EXPECT_EQ(chess->lineToCurrent(), std::vector<std::string>{"e2e4"});

    // In the move list a short OK goes back to the board; a held one does not.
    chess->controller().showHistory();
    input.okKeyDown(false);
    input.okKeyTimer();
    input.okKeyUp(false);
    input.okKeyTimer();
    EXPECT_EQ(chess->document().mode, ViewState::HistoryMode);
    EXPECT_EQ(chess->menuShown, 4);
    input.okKeyDown(false);
    input.okKeyUp(false);
    EXPECT_EQ(chess->document().mode, ViewState::BoardMode);
}

// A picked-up piece goes back down by OK on its own square or by Back.
TEST_F(InputTest, APickedUpPieceIsPutDownByOkOnItsSquareOrBack)
{
    newHumanGame();
    ChessDocument& doc = chess->document();
    chess->moveCursorTo(Position(6, 0));
    chess->input().keyOkReleased();
    EXPECT_EQ(doc.selection, Position(6, 0));
    chess->input().keyOkReleased();
    EXPECT_FALSE(doc.selection.isValid());
    chess->input().keyOkReleased();
    chess->input().keyBack();
    EXPECT_FALSE(doc.selection.isValid());
    // The piece can be picked up again and played.
    chess->input().keyOkReleased();
    chess->moveCursorTo(Position(5, 2));
    chess->input().keyOkReleased();
    EXPECT_EQ(chess->lineToCurrent(), std::vector<std::string>{"g1f3"});
    // Back in the move list returns to the board.
    chess->controller().showHistory();
    chess->input().keyBack();
    EXPECT_EQ(doc.mode, ViewState::BoardMode);
}

TEST_F(InputTest, UpAndDownAtAFinishedGameChangeTheGame)
{
    chess->bases().nextGame();
    ASSERT_EQ(chess->game().id, 2);
    chess->controller().setMode(ViewState::HistoryMode);
    chess->input().keyDown();
    chess->controller().continueGame();
    ASSERT_TRUE(chess->document().isOver());
    chess->input().keyUp();
    EXPECT_EQ(chess->game().id, 1);
    EXPECT_EQ(chess->document().cursor, Position(3, 3));
    // Game 1 is at its start: Down moves the cursor.
    chess->input().keyDown();
    EXPECT_EQ(chess->game().id, 1);
    EXPECT_EQ(chess->document().cursor, Position(3, 2));
    // Game 2 reopens at its stored last position, where Down goes on.
    chess->bases().nextGame();
    ASSERT_EQ(chess->game().id, 2);
    ASSERT_TRUE(chess->document().isOver());
    chess->input().keyDown();
    EXPECT_EQ(chess->game().id, 3);
    chess->bases().lastGame();
    EXPECT_EQ(chess->game().id, 3);
    chess->bases().firstGame();
    EXPECT_EQ(chess->game().id, 1);
}

TEST_F(InputTest, PointerUpOnTheHeaderOpensTheMenu)
{
    env.config().writeInt("header", 1);
    chess->screen().layout(chess->client);
    chess->input().onPointerUp(300, 30);
    EXPECT_EQ(chess->menuShown, 1);
    env.config().writeInt("header", 0);
    chess->screen().layout(chess->client);
    chess->input().onPointerUp(0, 0);
    EXPECT_EQ(chess->menuShown, 1);
}

TEST(Layout, DividesTheScreenAmongTheViews)
{
    Environment env;
    TestChess chess(env.config());
    const auto check = [&](int header, int size, int annotation, Rect info, Rect board,
                           Rect history, int cell) {
        env.config().writeInt("header", header);
        env.config().writeInt("history.size", size);
        env.config().writeInt("board.annotation", annotation);
        chess.screen().setBoardAnnotation();
        chess.screen().layout(Rect{0, 0, 600, 800});
        EXPECT_EQ(chess.screen().infoView().getRect(), info) << header << " " << size;
        EXPECT_EQ(chess.screen().boardView().getRect(), board) << header << " " << size;
        EXPECT_EQ(chess.screen().historyView().getRect(), history) << header << " " << size;
        EXPECT_EQ(chess.screen().boardView().getCellSize(), cell) << header << " " << size;
    };
    check(1, 3, 0, Rect{0, 0, 600, 60}, Rect{50, 61, 500, 500}, Rect{0, 562, 600, 240}, 62);
    check(0, 3, 1, Rect{0, 0, 0, 0}, Rect{20, 1, 560, 560}, Rect{0, 562, 600, 240}, 62);
    // Without coordinates a pixel on each side is kept for the inner frame.
    check(1, 0, 0, Rect{0, 0, 600, 60}, Rect{0, 61, 600, 600}, Rect{0, 662, 600, 0}, 74);
    check(0, 0, 1, Rect{0, 0, 0, 0}, Rect{0, 1, 600, 600}, Rect{0, 602, 600, 0}, 67);
    check(1, 9, 0, Rect{0, 0, 600, 60}, Rect{50, 61, 500, 500}, Rect{0, 562, 600, 240}, 62);
    check(0, 5, 0, Rect{0, 0, 0, 0}, Rect{100, 1, 400, 400}, Rect{0, 402, 600, 400}, 49);
    // A window too small for a board gets an empty one, not a negative one.
    env.config().writeInt("header", 1);
    env.config().writeInt("history.size", 5);
    chess.screen().layout(Rect{0, 0, 300, 100});
    EXPECT_EQ(chess.screen().boardView().getRect().width, 0);
}
