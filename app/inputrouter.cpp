#include "app/inputrouter.h"

#include "app/chesscontroller.h"
#include "game/game.h"
#include "game/pgnelement.h"
#include "game/pgnmove.h"

#include <QRect>

#include <algorithm>
#include <cstdlib>

namespace {
// A pointer movement longer than this (in either direction) is a swipe.
constexpr int kSwipeDistance = 30;

QRect element_rect(const PGNElement* element)
{
    return QRect(element->x, element->y, element->width, element->height);
}

bool has_area(const Rect& rect)
{
    return rect.width > 0 && rect.height > 0;
}
} // namespace

InputRouter::InputRouter(ChessController& controller) : m_controller(controller) {}

void InputRouter::keyLeft()
{
    if (m_controller.document().mode == ViewState::HistoryMode)
        navigateHistory(-1, 0);
    else
        navigateNormal(-1, 0);
}

void InputRouter::keyRight()
{
    if (m_controller.document().mode == ViewState::HistoryMode)
        navigateHistory(1, 0);
    else
        navigateNormal(1, 0);
}

void InputRouter::keyUp()
{
    if (m_controller.document().mode == ViewState::HistoryMode)
        navigateHistory(0, -1);
    else if (m_controller.document().isSolvedPuzzle() || m_controller.document().isOver())
        m_controller.bases().prevGame();
    else
        navigateNormal(0, 1);
}

void InputRouter::keyDown()
{
    if (m_controller.document().mode == ViewState::HistoryMode)
        navigateHistory(0, 1);
    else if (m_controller.document().isSolvedPuzzle() || m_controller.document().isOver())
        m_controller.bases().nextGame();
    else
        navigateNormal(0, -1);
}

bool InputRouter::isPieceOfSideToMove(const Position& position) const
{
    const PGNMove* current = m_controller.document().currentNode();
    if (!current || !position.isValid())
        return false;
    const Board board = current->boardAfter();
    const Piece* piece = board.getPiece(position);
    return piece && piece->getColor() == board.getColorToMove();
}

void InputRouter::keyOk()
{
    if (m_controller.document().mode != ViewState::BoardMode)
        m_controller.continueGame();
    else if (!m_controller.puzzles().isShowingSolution() || !m_controller.puzzles().stepSolution())
        keyOkReleased();
}

int InputRouter::okKeyDown(bool autoRepeat)
{
    return m_okKey.press(autoRepeat).timer;
}

int InputRouter::okKeyUp(bool autoRepeat)
{
    const KeyHold::Step step = m_okKey.release(autoRepeat);
    if (step.action == KeyHold::ShortPress)
        keyOk();
    return step.timer;
}

int InputRouter::okKeyTimer()
{
    const KeyHold::Step step = m_okKey.timeout();
    if (step.action == KeyHold::Hold)
        m_controller.platform().showMainMenu();
    return step.timer;
}

void InputRouter::keyBack()
{
    ChessDocument& document = m_controller.document();
    if (document.mode != ViewState::BoardMode) {
        m_controller.continueGame();
    } else if (document.selection.isValid()) {
        document.selection = Position();
        m_controller.screen().boardView().update(&m_controller.platform());
    }
}

void InputRouter::keyOkReleased()
{
    if (okOnBoard())
        m_controller.startEngineTurn();
}

bool InputRouter::okOnBoard()
{
    Game& game = m_controller.document().game();
    const PGNMove* current = game.current;
    if (!current || !game.errorText.empty() || m_controller.document().isOver())
        return false;
    // The engine's pieces are its own while it thinks; the move list stays open.
    if (m_controller.engine().isEngineThinkingHere())
        return false;
    Position& selection = m_controller.document().selection;
    const Position& cursor = m_controller.document().cursor;

    // Nothing has been asked of the engine whose turn it is (it stopped, or
    // it could not be started): OK asks again, with a fresh process.
    if (!selection.isValid() && m_controller.engine().isEngineTurnDue())
        return true;

    if (!selection.isValid()) {
        if (!isPieceOfSideToMove(cursor))
            return false;
        if (m_controller.document().isPuzzle()) {
            const Color bottom = m_controller.document().isFlipped() ? Black : White;
            if (current->colorToMove() != bottom)
                return false;
        }
        selection = cursor;
        m_controller.screen().boardView().update(&m_controller.platform());
        return false;
    }
    if (!cursor.isValid())
        return false;
    if (selection == cursor) {
        // OK on the picked-up piece puts it down.
        selection = Position();
        m_controller.screen().boardView().update(&m_controller.platform());
        return false;
    }
    if (isPieceOfSideToMove(cursor)) {
        selection = cursor;
        m_controller.screen().boardView().update(&m_controller.platform());
        return false;
    }
    if (!isPieceOfSideToMove(selection))
        return false;
    Move move(selection, cursor, 0);
    if (!m_controller.session().playMove(move))
        return false;
    selection = Position();
    m_controller.completeAction(false);
    return !m_controller.document().isOver() && !m_controller.document().isSolvedPuzzle();
}

void InputRouter::navigateNormal(int dx, int dy)
{
    if (!m_controller.document().cursor.isValid())
        return;
    m_controller.screen().boardView().modifyPositionFromKey(m_controller.document().cursor, dx, dy);
    m_controller.screen().boardView().update(&m_controller.platform());
}

// ---------------------------------------------------------------------------
// Move list

bool InputRouter::canSelectNextMove() const
{
    const PGNMove* current = m_controller.document().currentNode();
    if (!current)
        return false;
    const int shown = m_controller.screen().historyView().getShownPage();
    int nesting = 0;
    for (const PGNElement* e = current->next; e; e = e->next) {
        switch (e->getType()) {
        case PGNElement::TypeVariantBegin:
            if (nesting == 0 && e->page > shown)
                return false;
            ++nesting;
            break;
        case PGNElement::TypeVariantEnd:
            if (--nesting < 0)
                return true;
            break;
        case PGNElement::TypeMove:
            if (nesting == 0)
                return !e->hidden;
            break;
        default:
            if (nesting == 0 && e->page > shown)
                return false;
            break;
        }
    }
    return true;
}

void InputRouter::navigateHistory(int dx, int dy)
{
    Game& game = m_controller.document().game();
    PGNMove* const old = game.current;
    if (!old)
        return;
    const int oldPage = m_controller.screen().historyView().getShownPage();
    int page = oldPage;
    if (dx > 0) {
        if (canSelectNextMove()) {
            if (game.nextPosition())
                page = game.current->page;
        } else if (page + 1 < m_controller.screen().historyView().getPageCount()) {
            ++page;
        }
    } else if (dx < 0) {
        if (page > game.current->page) {
            --page;
        } else {
            game.prevPosition();
            page = game.current->page;
        }
    } else if (dy > 0) {
        if (!game.nextVariant())
            game.lastPosition();
        page = game.current->page;
    } else if (dy < 0) {
        if (!game.prevVariant())
            game.firstPosition();
        page = game.current->page;
    }

    if (page != oldPage) {
        m_controller.screen().historyView().setShownPage(page);
        m_controller.updateAllViews(nullptr, false);
    } else if (game.current != old) {
        m_controller.platform().invalidate(element_rect(old));
        m_controller.platform().invalidate(element_rect(game.current));
        m_controller.updateAllViews(&m_controller.screen().historyView(), false);
    }
}

// ---------------------------------------------------------------------------
// Touch

void InputRouter::onPointerDown(int x, int y)
{
    if (has_area(m_controller.screen().boardView().getRect()) &&
        m_controller.screen().boardView().getRect().containsInside(x, y)) {
        const ViewState::GameMode oldMode = m_controller.document().mode;
        m_controller.setMode(ViewState::BoardMode);
        const bool engineDue =
            oldMode != ViewState::BoardMode && m_controller.engine().isEngineTurnDue();
        if (!engineDue && !m_controller.document().isOver() &&
            m_controller.document().cursor.isValid()) {
            const Position square = m_controller.screen().boardView().positionFromXY(x, y);
            if (isPieceOfSideToMove(square) && square != m_controller.document().selection) {
                m_controller.document().cursor = square;
                keyOkReleased();
            }
        }
        if (m_controller.document().mode != oldMode)
            m_controller.updateAllViews(nullptr, true);
        if (engineDue)
            m_controller.askEngineIfDue();
    } else if (has_area(m_controller.screen().historyView().getRect()) &&
               m_controller.screen().historyView().getRect().containsInside(x, y)) {
        if (m_controller.document().mode != ViewState::HistoryMode) {
            m_controller.setMode(ViewState::HistoryMode);
            m_controller.updateAllViews(nullptr, true);
        }
        m_pressedX = x;
        m_pressedY = y;
    }
}

std::pair<int, int> InputRouter::swipe_step(int dx, int dy)
{
    const int adx = std::abs(dx);
    const int ady = std::abs(dy);
    if (std::max(adx, ady) <= kSwipeDistance)
        return {0, 0};
    if (adx > 2 * ady)
        return {dx > 0 ? 1 : -1, 0};
    if (ady > 2 * adx)
        return {0, dy > 0 ? 1 : -1};
    return {0, 0};
}

void InputRouter::onPointerUp(int x, int y)
{
    if (has_area(m_controller.screen().infoView().getRect()) &&
        m_controller.screen().infoView().getRect().containsInside(x, y)) {
        m_controller.platform().showMainMenu();
        return;
    }
    if (m_controller.document().mode == ViewState::HistoryMode) {
        const int x0 = m_pressedX;
        const int y0 = m_pressedY;
        if (x0 != -1 || y0 != -1) {
            const int dx = x - x0;
            const int dy = y - y0;
            if (std::max(std::abs(dx), std::abs(dy)) > kSwipeDistance) {
                const std::pair<int, int> step = swipe_step(dx, dy);
                if (step != std::pair<int, int>(0, 0))
                    navigateHistory(step.first, step.second);
            } else if (PGNMove* move = m_controller.screen().historyView().findMoveFromXY(x, y)) {
                m_controller.document().game().current = move;
                m_controller.updateAllViews(nullptr, true);
            }
        }
    } else if (!m_controller.document().isOver()) {
        const Position square = m_controller.screen().boardView().positionFromXY(x, y);
        if (square.isValid() && square != m_controller.document().cursor &&
            m_controller.document().selection.isValid()) {
            m_controller.document().cursor = square;
            keyOkReleased();
        }
    }
    m_pressedX = -1;
    m_pressedY = -1;
}
