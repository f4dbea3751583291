#include "views/chessboardview.h"

#include "chess/piece.h"
#include "views/abstractboarddisplayer.h"
#include "views/boardfontfactory.h"
#include "views/viewstate.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>

namespace {

// Dark squares are those with an even file + rank, so a1 is dark.
int square_color(const Position& position)
{
    return (position.x + position.y) % 2 == 0 ? 1 : 0;
}

} // namespace

ChessBoardView::ChessBoardView(const ViewState* state, int margin)
    : m_state(state), m_margin(margin)
{
}

ChessBoardView::~ChessBoardView()
{
    delete m_displayer;
}

void ChessBoardView::setRect(const Rect& rect)
{
    m_rect = rect;
    const int side = rect.width - 2 * offset();
    m_cellSize = side > 0 ? side / 8 : 0;
}

void ChessBoardView::applyBoardFont(int fontIndex, bool antialias)
{
    // The old displayer goes first: if the new one cannot be made, paint
    // falls back to plain squares instead of using a deleted object.
    setDisplayer(nullptr);
    m_displayer =
        BoardFontFactory::instance()->createBoardDisplayer(fontIndex, m_cellSize, antialias);
}

void ChessBoardView::setDisplayer(AbstractBoardDisplayer* displayer)
{
    AbstractBoardDisplayer* old = m_displayer;
    m_displayer = displayer;
    delete old;
}

bool ChessBoardView::isFlipped() const
{
    return m_state->isFlipped();
}

QRect ChessBoardView::gridRect() const
{
    return QRect(m_rect.left + offset(), m_rect.top + offset(), 8 * m_cellSize, 8 * m_cellSize);
}

QRect ChessBoardView::cellRect(const Position& position) const
{
    const bool flipped = isFlipped();
    const int col = flipped ? 7 - position.x : position.x;
    const int row = flipped ? position.y : 7 - position.y;
    return QRect(m_rect.left + offset() + m_cellSize * col,
                 m_rect.top + offset() + m_cellSize * row, m_cellSize, m_cellSize);
}

Position ChessBoardView::positionFromXY(int x, int y) const
{
    if (m_cellSize <= 0)
        return Position();
    x -= offset();
    y -= offset();
    // Integer division truncates toward zero: a point less than one cell
    // left of or above the grid still lands in column or row 0.
    int column = (x - m_rect.left) / m_cellSize;
    int row = (y - m_rect.top) / m_cellSize;
    if (column < 0 || column > 7 || row < 0 || row > 7) {
        column = -1;
        row = -1;
    }
    if (isFlipped())
        return Position(7 - column, row);
    return Position(column, 7 - row);
}

void ChessBoardView::modifyPositionFromKey(Position& position, int dx, int dy) const
{
    if (m_state->hasError() || m_state->isSolvedPuzzle())
        return;
    const bool flipped = isFlipped();
    auto step = [flipped](int32_t& value, int delta) {
        value += flipped ? -delta : delta;
        if (value < 0)
            value = 7;
        else if (value > 7)
            value = 0;
    };
    if (dx != 0)
        step(position.x, dx);
    if (dy != 0)
        step(position.y, dy);
}

bool ChessBoardView::inputMarksShown() const
{
    return m_state->mode == ViewState::BoardMode && !m_state->isOver() &&
           !m_state->isSolvedPuzzle() && !m_state->hasError();
}

ChessBoardView::Mark ChessBoardView::markNow(const Position& position) const
{
    if (inputMarksShown()) {
        if (position == m_state->selection)
            return MarkSelection;
        if (position == m_state->cursor)
            return MarkCursor;
    }
    const Move& hint = m_state->hint;
    if (!hint.isNull() && (position == hint.getFrom() || position == hint.getTo()))
        return MarkHint;
    if (const PGNMove* node = m_state->currentNode()) {
        if (position == node->move.getFrom() || position == node->move.getTo())
            return MarkLastMove;
    }
    return MarkNone;
}

ChessBoardView::Mark ChessBoardView::markShown(const Position& position) const
{
    if (m_shownInputMarks) {
        if (position == m_shownSelection)
            return MarkSelection;
        if (position == m_shownCursor)
            return MarkCursor;
    }
    if (!m_shownHint.isNull() &&
        (position == m_shownHint.getFrom() || position == m_shownHint.getTo()))
        return MarkHint;
    if (position == m_shownFrom || position == m_shownTo)
        return MarkLastMove;
    return MarkNone;
}

void ChessBoardView::sync()
{
    const PGNMove* node = m_state->currentNode();
    if (node) {
        m_shownFrom = node->move.getFrom();
        m_shownTo = node->move.getTo();
        m_shownBoard = node->boardAfter();
    } else {
        m_shownFrom = Position();
        m_shownTo = Position();
        m_shownBoard = Board();
    }
    m_shownCursor = m_state->cursor;
    m_shownSelection = m_state->selection;
    m_shownHint = m_state->hint;
    m_shownFlipped = isFlipped();
    m_shownInputMarks = inputMarksShown();
}

void ChessBoardView::update(RepaintTarget* target)
{
    if (target) {
        if (isFlipped() != m_shownFlipped) {
            // Every square and coordinate moves.
            target->invalidate(viewRect());
        } else {
            const PGNMove* node = m_state->currentNode();
            const Board now = node ? node->boardAfter() : Board();
            for (int x = 0; x < 8; ++x) {
                for (int y = 0; y < 8; ++y) {
                    const Position p(x, y);
                    // Pieces are shared objects: equal pointers, equal look.
                    if (now.getPiece(p) != m_shownBoard.getPiece(p) || markNow(p) != markShown(p))
                        target->invalidate(cellRect(p));
                }
            }
        }
    }
    sync();
}

void ChessBoardView::paint(QPainter* painter, const QRect& region)
{
    // A paint of the whole view (the window's paint region may be larger)
    // shows the view state as it is now.
    if (region.contains(viewRect()))
        sync();
    if (m_cellSize <= 0)
        return;

    const QRect grid = gridRect();
    // Coordinates and frames lie outside the squares: skip them when only
    // squares are repainted.
    const bool outside = !grid.contains(region);
    if (outside && m_annotation && m_annotationFont && m_margin >= 20)
        drawCoordinates(painter);
    if (outside && m_innerFrame) {
        painter->save();
        painter->setBrush(Qt::NoBrush);
        // Corner to corner, so the outline lies one pixel outside the squares
        // on all four sides.
        painter->drawRect(
            QRect(QPoint(grid.left() - 1, grid.top() - 1),
                  QPoint(grid.left() - 1 + 8 * m_cellSize, grid.top() - 1 + 8 * m_cellSize)));
        painter->restore();
    }

    const PGNMove* node = m_state->currentNode();
    const Board board = node ? node->boardAfter() : Board();
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) {
            const Position p(x, y);
            if (cellRect(p).intersects(region))
                redrawSingleCell(painter, p, board);
        }
    }
}

void ChessBoardView::drawCoordinates(QPainter* painter) const
{
    painter->save();
    if (m_outerFrame) {
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRect(m_rect.left, m_rect.top, m_rect.width - 1, m_rect.height - 1));
    }
    painter->setFont(*m_annotationFont);
    const QFontMetrics metrics(*m_annotationFont);
    const bool flipped = isFlipped();
    const QRect grid = gridRect();
    const int gridRight = grid.left() + 8 * m_cellSize;
    const int gridBottom = grid.top() + 8 * m_cellSize;
    for (int i = 0; i < 8; ++i) {
        const QString rank = QString(QLatin1Char(static_cast<char>('1' + (flipped ? i : 7 - i))));
        const int baseline =
            grid.top() + i * m_cellSize + (m_cellSize - metrics.height()) / 2 + metrics.ascent();
        painter->drawText(grid.left() - metrics.horizontalAdvance(rank) - 5, baseline, rank);
        painter->drawText(gridRight + 5, baseline, rank);

        const QString file = QString(QLatin1Char(static_cast<char>('a' + (flipped ? 7 - i : i))));
        const int x =
            grid.left() + i * m_cellSize + (m_cellSize - metrics.horizontalAdvance(file)) / 2;
        painter->drawText(x, grid.top() - metrics.height() + metrics.ascent() - 2, file);
        painter->drawText(x, gridBottom + metrics.ascent() + 2, file);
    }
    painter->restore();
}

void ChessBoardView::redrawSingleCell(QPainter* painter, const Position& position) const
{
    const PGNMove* node = m_state->currentNode();
    redrawSingleCell(painter, position, node ? node->boardAfter() : Board());
}

void ChessBoardView::redrawSingleCell(QPainter* painter, const Position& position,
                                      const Board& board) const
{
    if (!position.isValid())
        return;
    const Piece* piece = board.getPiece(position);
    const QRect cell = cellRect(position);
    const int colour = square_color(position);
    if (m_displayer) {
        painter->save();
        m_displayer->draw(painter, Rect{cell.left(), cell.top(), cell.width(), cell.height()},
                          colour, piece ? piece->getColor() : 0, piece ? piece->getType() : 0);
        painter->restore();
    } else {
        drawPlainCell(painter, cell, colour, piece);
    }

    switch (markNow(position)) {
    case MarkSelection:
        drawThickRect(painter, position, 5);
        break;
    case MarkCursor:
        drawCursor(painter, position, 5);
        break;
    case MarkHint:
        drawHint(painter, position);
        break;
    case MarkLastMove:
        drawThickRect(painter, position, 3);
        break;
    case MarkNone:
        break;
    }
}

void ChessBoardView::drawPlainCell(QPainter* painter, const QRect& cell, int squareColor,
                                   const Piece* piece) const
{
    // Without a displayer (its board font failed): a plain square and the
    // piece's letter, upper case for White, so the game stays readable.
    painter->fillRect(cell, squareColor ? QColor(160, 160, 160) : QColor(Qt::white));
    if (piece) {
        const char letter = piece->getSymbol(piece->getColor() == White ? 2 : 3);
        painter->drawText(cell, Qt::AlignCenter, QString(QLatin1Char(letter)));
    }
}

void ChessBoardView::drawThickRect(QPainter* painter, const Position& position, int thickness) const
{
    const QRect cell = cellRect(position);
    const int x = cell.left();
    const int y = cell.top();
    const QBrush brush = painter->brush();
    painter->setBrush(Qt::NoBrush);
    for (int i = 0; i < thickness; ++i)
        painter->drawRect(
            QRect(QPoint(x + i, y + i), QPoint(x + m_cellSize - 2 - i, y + m_cellSize - 2 - i)));
    painter->setBrush(brush);
}

void ChessBoardView::drawHint(QPainter* painter, const Position& position) const
{
    const int inset = m_cellSize / 10 + 1;
    const QRect cell = cellRect(position).adjusted(inset, inset, -inset - 1, -inset - 1);
    painter->save();
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(Qt::black, 2, Qt::DashLine));
    painter->drawRect(cell);
    painter->restore();
}

void ChessBoardView::drawCursor(QPainter* painter, const Position& position, int thickness) const
{
    if (thickness < 1)
        return;
    const QRect cell = cellRect(position);
    const int x = cell.left();
    const int y = cell.top();
    const int arm = m_cellSize * 3 / 10;
    const int e = m_cellSize - 1;
    for (int i = 0; i < thickness; ++i) {
        // Top-left, bottom-left, top-right, bottom-right corner brackets.
        painter->drawLine(x + i, y + i, x + arm, y + i);
        painter->drawLine(x + i, y + i, x + i, y + arm);
        painter->drawLine(x + i, y + e - i, x + arm, y + e - i);
        painter->drawLine(x + i, y + e - i, x + i, y + e - arm);
        painter->drawLine(x + e - i, y + i, x + e - arm, y + i);
        painter->drawLine(x + e - i, y + i, x + e - i, y + arm);
        painter->drawLine(x + e - i, y + e - i, x + e - arm, y + e - i);
        painter->drawLine(x + e - i, y + e - i, x + e - i, y + e - arm);
    }
}
