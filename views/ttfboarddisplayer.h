#pragma once

#include "views/abstractboarddisplayer.h"

#include <memory>

class QFont;

// Draws squares with a chess TrueType font in which every combination of
// piece, piece colour and square colour is one character whose em box is the
// square: "  ++poPOnmNMbvBVrtRTqwQWklKL", indexed by
// type * 4 + square colour * 2 + piece colour.
class TtfBoardDisplayer : public AbstractBoardDisplayer {
public:
    TtfBoardDisplayer(const char* family, int size, int antialias);
    ~TtfBoardDisplayer() override;

    void draw(QPainter* painter, const Rect& cell, int squareColour, int pieceColour,
              int pieceType) const override;

    const QFont& font() const { return *m_font; }
    // The character for a square, or 0 for arguments out of range.
    static char character(int squareColour, int pieceColour, int pieceType);

private:
    std::unique_ptr<QFont> m_font;
};
