#include "views/ttfboarddisplayer.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include <algorithm>

namespace {
const char kCharacterMap[] = "  ++poPOnmNMbvBVrtRTqwQWklKL";
}

TtfBoardDisplayer::TtfBoardDisplayer(const char* family, int size, int antialias)
    : m_font(std::make_unique<QFont>(QString::fromUtf8(family)))
{
    // The glyph's em box is the square, so the pixel size is the cell size.
    m_font->setWeight(QFont::Normal);
    m_font->setItalic(false);
    m_font->setPixelSize(std::max(1, size));
    m_font->setStyleStrategy(antialias ? QFont::PreferAntialias : QFont::NoAntialias);
}

TtfBoardDisplayer::~TtfBoardDisplayer() = default;

char TtfBoardDisplayer::character(int squareColour, int pieceColour, int pieceType)
{
    if (pieceType < 0 || pieceType >= kTypes || squareColour < 0 || squareColour > 1 ||
        pieceColour < 0 || pieceColour > 1)
        return 0;
    return kCharacterMap[pieceType * 4 + squareColour * 2 + pieceColour];
}

void TtfBoardDisplayer::draw(QPainter* painter, const Rect& cell, int squareColour, int pieceColour,
                             int pieceType) const
{
    const char c = character(squareColour, pieceColour, pieceType);
    if (!c)
        return;
    // The font draws ink only; clear the cell first so the square never shows
    // what was drawn there before.
    painter->fillRect(cell.left, cell.top, cell.width, cell.height, painter->background());
    painter->setFont(*m_font);
    const int ascent = painter->fontMetrics().ascent();
    painter->drawText(cell.left, cell.top + ascent, QString(QLatin1Char(c)));
}
