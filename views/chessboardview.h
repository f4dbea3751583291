#pragma once

#include "chess/board.h"
#include "chess/position.h"
#include "views/abstractview.h"

class AbstractBoardDisplayer;
class ViewState;
class QFont;

// The chess board of the shown position: 64 squares drawn by the board
// displayer, optional coordinates and frames, and the marks for the last
// move, the cursor, the selection and a hint. It keeps a snapshot of what it last
// showed so that update() invalidates only the squares whose look changed:
// every repainted pixel costs time and flicker on an e-ink panel.
class ChessBoardView : public AbstractView {
public:
    // Width of the coordinate margin, in pixels.
    static constexpr int DefaultMargin = 30;

    explicit ChessBoardView(const ViewState* state, int margin = DefaultMargin);
    ~ChessBoardView() override;
    ChessBoardView(const ChessBoardView&) = delete;
    ChessBoardView& operator=(const ChessBoardView&) = delete;

    // Stores the rectangle; cell = (width - 2 * margin with coordinates,
    // else width - 2 for the inner frame) / 8.
    void setRect(const Rect& rect) override;
    // Replaces the displayer by one for board font fontIndex (Settings'
    // board.font) at the cell size. On failure no displayer is kept (plain squares are drawn until
    // the next success) and the Exception goes on to the caller.
    void applyBoardFont(int fontIndex, bool antialias);
    // Takes ownership of a displayer made elsewhere (null allowed).
    void setDisplayer(AbstractBoardDisplayer* displayer);
    const AbstractBoardDisplayer* getDisplayer() const { return m_displayer; }

    // Square under a screen point; a coordinate outside 0..7 means none.
    Position positionFromXY(int x, int y) const;
    // Moves a square by one cursor-key step (wrapping at the edges, mirrored
    // on a turned board); nothing for an invalid game or a solved puzzle.
    void modifyPositionFromKey(Position& position, int dx, int dy) const;

    void update(RepaintTarget* target) override;
    void paint(QPainter* painter, const QRect& region) override;
    // Takes the snapshot from the view state.
    void sync();

    // Drawing steps of paint.
    void redrawSingleCell(QPainter* painter, const Position& position) const;
    void drawCursor(QPainter* painter, const Position& position, int thickness) const;
    void drawThickRect(QPainter* painter, const Position& position, int thickness) const;
    // A light dashed frame inside the square.
    void drawHint(QPainter* painter, const Position& position) const;

    // Screen rectangle of a square's cell.
    QRect cellRect(const Position& position) const;
    // Screen rectangle of the 8 x 8 grid.
    QRect gridRect() const;

    int getCellSize() const { return m_cellSize; }
    void setAnnotation(bool on) { m_annotation = on; }
    void setAnnotationFont(const QFont* font) { m_annotationFont = font; }
    // The frame around the squares and the one along the view's edge (drawn
    // with the coordinates only).
    void setFrames(bool inner, bool outer)
    {
        m_innerFrame = inner;
        m_outerFrame = outer;
    }

private:
    // The mark drawn on a square, at most one.
    enum Mark { MarkNone, MarkSelection, MarkCursor, MarkHint, MarkLastMove };

    // From the view's edge to the squares: the coordinates' margin, else one
    // pixel for the inner frame, so that it lies inside the view in every layout.
    int offset() const { return m_annotation ? m_margin : 1; }
    bool isFlipped() const;
    // Whether cursor and selection marks are drawn at all now.
    bool inputMarksShown() const;
    Mark markNow(const Position& position) const;
    Mark markShown(const Position& position) const;
    void redrawSingleCell(QPainter* painter, const Position& position, const Board& board) const;
    void drawPlainCell(QPainter* painter, const QRect& cell, int squareColor,
                       const Piece* piece) const;
    void drawCoordinates(QPainter* painter) const;

    const ViewState* m_state;
    // Snapshot of what is on screen.
    Position m_shownFrom;
    Position m_shownTo;
    Board m_shownBoard;
    Position m_shownCursor;
    Position m_shownSelection;
    Move m_shownHint;
    bool m_shownFlipped = false;
    bool m_shownInputMarks = false;

    int m_cellSize = 0;
    int m_margin;
    const QFont* m_annotationFont = nullptr;
    bool m_annotation = false;
    bool m_innerFrame = true;
    bool m_outerFrame = true;
    AbstractBoardDisplayer* m_displayer = nullptr;
};
