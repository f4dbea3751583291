// Keys, touches and the screen division of the controller.

#include "app/chessabstract.h"

#include "game/game.h"
#include "game/pgnelement.h"
#include "game/pgnmove.h"

#include <QRect>

#include <algorithm>
#include <cstdlib>

namespace {
// A pointer movement longer than this (in either direction) is a swipe.
constexpr int kSwipeDistance = 30;
// Heights of the info area and of the gaps around the board.
constexpr int kHeaderHeight = 60;

QRect element_rect(const PGNElement* element)
{
    return QRect(element->x, element->y, element->width, element->height);
}

bool has_area(const Rect& rect)
{
    return rect.width > 0 && rect.height > 0;
}
} // namespace

// ---------------------------------------------------------------------------
// Keys

void ChessAbstract::keyLeft()
{
    if (m_document.mode == ChessDocument::HistoryMode)
        navigateHistory(-1, 0);
    else
        navigateNormal(-1, 0);
}

void ChessAbstract::keyRight()
{
    if (m_document.mode == ChessDocument::HistoryMode)
        navigateHistory(1, 0);
    else
        navigateNormal(1, 0);
}

void ChessAbstract::keyUp()
{
    if (m_document.mode == ChessDocument::HistoryMode)
        navigateHistory(0, -1);
    else if (m_document.isSolvedPuzzle() || m_document.isOver())
        keyPrev();
    else
        navigateNormal(0, 1);
}

void ChessAbstract::keyDown()
{
    if (m_document.mode == ChessDocument::HistoryMode)
        navigateHistory(0, 1);
    else if (m_document.isSolvedPuzzle() || m_document.isOver())
        keyNext();
    else
        navigateNormal(0, -1);
}

bool ChessAbstract::isPieceOfSideToMove(const Position& position) const
{
    const PGNMove* current = m_document.currentNode();
    if (!current || !position.isValid())
        return false;
    const Board board = current->boardAfter();
    const Piece* piece = board.getPiece(position);
    return piece && piece->getColor() == board.getColorToMove();
}

bool ChessAbstract::isEngineThinkingHere() const
{
    const Game& game = m_document.game();
    if (!m_engine.isWaiting() || !game.current)
        return false;
    const Color toMove = game.current->colorToMove();
    return (toMove == White ? game.whitePlayer : game.blackPlayer) != 0;
}

void ChessAbstract::keyOk()
{
    if (m_document.mode != ChessDocument::BoardMode)
        continueGame();
    else if (!m_showingSolution || !stepSolution())
        keyOkReleased();
}

bool ChessAbstract::okKeyDown(bool autoRepeat)
{
    return m_okKey.press(autoRepeat);
}

void ChessAbstract::okKeyUp(bool autoRepeat)
{
    if (m_okKey.release(autoRepeat) == KeyHold::ShortPress)
        keyOk();
}

void ChessAbstract::okKeyHoldTime()
{
    if (m_okKey.timeout() == KeyHold::Hold)
        showMainMenu();
}

void ChessAbstract::keyOkReleased()
{
    if (okOnBoard())
        startEngineTurn();
}

bool ChessAbstract::okOnBoard()
{
    Game& game = m_document.game();
    const PGNMove* current = game.current;
    if (!current || !game.errorText.empty() || current->result != ResultInProgress)
        return false;
    // The engine's pieces are its own while it thinks; the move list stays open.
    if (isEngineThinkingHere())
        return false;
    Position& selection = m_document.selection;
    const Position& cursor = m_document.cursor;

    // Nothing has been asked of the engine whose turn it is (it stopped, or
    // it could not be started): OK asks again, with a fresh process.
    if (!selection.isValid() && isEngineTurnDue())
        return true;

    if (!selection.isValid()) {
        if (!isPieceOfSideToMove(cursor))
            return false;
        if (m_document.isPuzzle()) {
            const Color bottom = m_document.isFlipped() ? Black : White;
            if (current->colorToMove() != bottom)
                return false;
        }
        selection = cursor;
        m_boardView.update(this);
        return false;
    }
    if (!cursor.isValid() || selection == cursor)
        return false;
    if (isPieceOfSideToMove(cursor)) {
        selection = cursor;
        m_boardView.update(this);
        return false;
    }
    if (!isPieceOfSideToMove(selection))
        return false;
    Move move(selection, cursor, 0);
    if (!playMove(move))
        return false;
    selection = Position();
    completeAction(false);
    return !m_document.isOver() && !m_document.isSolvedPuzzle();
}

void ChessAbstract::navigateNormal(int dx, int dy)
{
    if (!m_document.cursor.isValid())
        return;
    m_boardView.modifyPositionFromKey(m_document.cursor, dx, dy);
    m_boardView.update(this);
}

// ---------------------------------------------------------------------------
// Move list

bool ChessAbstract::canSelectNextNove() const
{
    const PGNMove* current = m_document.currentNode();
    if (!current)
        return false;
    const int shown = m_historyView.getShownPage();
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

void ChessAbstract::navigateHistory(int dx, int dy)
{
    Game& game = m_document.game();
    PGNMove* const old = game.current;
    if (!old)
        return;
    const int oldPage = m_historyView.getShownPage();
    int page = oldPage;
    if (dx > 0) {
        if (canSelectNextNove()) {
            if (game.nextPosition())
                page = game.current->page;
        } else if (page + 1 < m_historyView.getPageCount()) {
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
        m_historyView.setShownPage(page);
        updateAllViews(nullptr, false);
    } else if (game.current != old) {
        invalidate(element_rect(old));
        invalidate(element_rect(game.current));
        updateAllViews(&m_historyView, false);
    }
}

// ---------------------------------------------------------------------------
// Touch

void ChessAbstract::onPointerDown(int x, int y)
{
    if (has_area(m_boardView.getRect()) && m_boardView.getRect().containsInside(x, y)) {
        const ChessDocument::GameMode oldMode = m_document.mode;
        setMode(ChessDocument::BoardMode);
        const bool engineDue = oldMode != ChessDocument::BoardMode && isEngineTurnDue();
        if (!engineDue && !m_document.isOver() && m_document.cursor.isValid()) {
            const Position square = m_boardView.positionFromXY(x, y);
            if (isPieceOfSideToMove(square)) {
                m_document.cursor = square;
                keyOkReleased();
            }
        }
        if (m_document.mode != oldMode)
            updateAllViews(nullptr, true);
        if (engineDue)
            askEngineIfDue();
    } else if (has_area(m_historyView.getRect()) && m_historyView.getRect().containsInside(x, y)) {
        if (m_document.mode != ChessDocument::HistoryMode) {
            setMode(ChessDocument::HistoryMode);
            updateAllViews(nullptr, true);
        }
        m_historyView.pressedX = x;
        m_historyView.pressedY = y;
    }
}

std::pair<int, int> ChessAbstract::swipe_step(int dx, int dy)
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

void ChessAbstract::onPointerUp(int x, int y)
{
    if (has_area(m_infoView.getRect()) && m_infoView.getRect().containsInside(x, y)) {
        showMainMenu();
        return;
    }
    if (m_document.mode == ChessDocument::HistoryMode) {
        const int x0 = m_historyView.pressedX;
        const int y0 = m_historyView.pressedY;
        if (x0 != -1 || y0 != -1) {
            const int dx = x - x0;
            const int dy = y - y0;
            if (std::max(std::abs(dx), std::abs(dy)) > kSwipeDistance) {
                const std::pair<int, int> step = swipe_step(dx, dy);
                if (step != std::pair<int, int>(0, 0))
                    navigateHistory(step.first, step.second);
            } else if (PGNMove* move = m_historyView.findMoveFromXY(x, y)) {
                m_document.game().current = move;
                updateAllViews(nullptr, true);
            }
        }
    } else if (!m_document.isOver()) {
        const Position square = m_boardView.positionFromXY(x, y);
        if (square.isValid() && square != m_document.cursor && m_document.selection.isValid()) {
            m_document.cursor = square;
            keyOkReleased();
        }
    }
    m_historyView.pressedX = -1;
    m_historyView.pressedY = -1;
}

// ---------------------------------------------------------------------------
// Screen division

void ChessAbstract::paint(QPainter& painter, const QRect& area)
{
    const Rect client = getClientRect();
    if (client.width != m_laidOut.width || client.height != m_laidOut.height)
        layout(client);
    AbstractView* views[] = {&m_infoView, &m_boardView, &m_historyView};
    for (AbstractView* view : views) {
        const Rect& r = view->getRect();
        const QRect part = area & QRect(r.left, r.top, r.width, r.height);
        if (!part.isEmpty())
            view->paint(&painter, part);
    }
}

void ChessAbstract::layout(const Rect& client)
{
    m_laidOut = client;
    const bool header = m_settings.flag(Settings::Header);
    const int width = std::max(0, client.width);
    const int height = std::max(0, client.height);
    m_infoView.setRect(
        Rect{client.left, client.top, header ? width : 0, header ? kHeaderHeight : 0});

    const int share = m_settings.value(Settings::HistorySize);
    const int historyHeight = height * share / 10;
    const int available = height - (header ? kHeaderHeight : 0) - historyHeight;
    const int side = std::max(0, std::min(width, available));

    m_boardView.setRect(
        Rect{client.left + (width - side) / 2, header ? kHeaderHeight + 1 : 1, side, side});
    m_historyView.setRect(Rect{0, side + (header ? kHeaderHeight + 2 : 2), width, historyHeight});
    applyBoardFont();
}
