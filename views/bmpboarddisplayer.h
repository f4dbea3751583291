#pragma once

#include "views/abstractboarddisplayer.h"

#include <memory>

class QImage;

// Draws squares from one bitmap holding every square in a grid of 7 columns
// (piece type, 0 = empty) by 4 rows (square colour * 2 + piece colour) of
// square cells.
class BmpBoardDisplayer : public AbstractBoardDisplayer {
public:
    // Throws Exception when the file is no image or not such a grid. When size
    // is positive the set is scaled once, smoothly, to cells of that size.
    BmpBoardDisplayer(const char* file, int size);
    ~BmpBoardDisplayer() override;

    void draw(QPainter* painter, const Rect& cell, int squareColour, int pieceColour,
              int pieceType) const override;

    // Side of one cell of the (possibly scaled) set.
    int cellSize() const { return m_cell; }

private:
    std::unique_ptr<QImage> m_image;
    int m_cell = 0;
};
