#include "views/bmpboarddisplayer.h"

#include "core/exception.h"
#include "core/trans.h"

#include <QImage>
#include <QPainter>
#include <QString>

BmpBoardDisplayer::BmpBoardDisplayer(const char* file, int size)
    : m_image(std::make_unique<QImage>(QString::fromUtf8(file)))
{
    if (m_image->isNull())
        throw Exception(true, translated("Failed to load image from file: %s"), file);
    const int width = m_image->width();
    const int height = m_image->height();
    m_cell = height / 4;
    if (m_cell != width / kTypes || m_cell < 1)
        throw Exception(true, translated("Wrong bitmap sizes (%d x %d) for bitmap: %s"), width,
                        height, file);

    // Cut off the spare pixels of a set like 701 x 401 and scale the set once
    // to the board's cells, so drawing a square is a plain copy.
    QImage grid = m_image->copy(0, 0, kTypes * m_cell, 4 * m_cell);
    if (size > 0 && size != m_cell) {
        grid =
            grid.scaled(kTypes * size, 4 * size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_cell = size;
    }
    *m_image = grid.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

BmpBoardDisplayer::~BmpBoardDisplayer() = default;

void BmpBoardDisplayer::draw(QPainter* painter, const Rect& cell, int squareColour, int pieceColour,
                             int pieceType) const
{
    if (pieceType < 0 || pieceType >= kTypes)
        return;
    const int row = (squareColour ? 2 : 0) + (pieceColour ? 1 : 0);
    const QRect source(pieceType * m_cell, row * m_cell, m_cell, m_cell);
    if (cell.width == m_cell && cell.height == m_cell)
        painter->drawImage(QPoint(cell.left, cell.top), *m_image, source);
    else
        painter->drawImage(QRectF(cell.left, cell.top, cell.width, cell.height), *m_image,
                           QRectF(source));
}
