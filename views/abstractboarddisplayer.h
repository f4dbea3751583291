#pragma once

#include "views/rect.h"

class QPainter;

// Draws one board square, background and piece, into a cell rectangle.
// Square colour 0 light / 1 dark, piece colour 0 white / 1 black, piece type
// 0 none (empty square) and 1..6 pawn, knight, bishop, rook, queen, king.
class AbstractBoardDisplayer {
public:
    virtual ~AbstractBoardDisplayer() = default;
    virtual void draw(QPainter* painter, const Rect& cell, int squareColour, int pieceColour,
                      int pieceType) const = 0;

    // The number of piece types including the empty square.
    static constexpr int kTypes = 7;
};
