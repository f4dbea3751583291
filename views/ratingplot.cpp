#include "views/ratingplot.h"

#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QRect>

#include <algorithm>
#include <cmath>

void draw_rating_plot(QPainter* painter, const QRect& box, const std::vector<double>& ratings)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillRect(box, Qt::white);
    painter->setPen(QPen(Qt::black, 1));
    painter->setBrush(Qt::NoBrush);
    const int label = painter->fontMetrics().horizontalAdvance(QStringLiteral("00000"));
    const QRect area = box.adjusted(label, 4, -4, -4);
    painter->drawRect(area);
    if (ratings.empty() || area.width() < 4 || area.height() < 4) {
        painter->restore();
        return;
    }
    const auto [low, high] = std::minmax_element(ratings.begin(), ratings.end());
    // At least 100 points high, so that a flat course stays flat.
    const double bottom = std::floor(*low) - 10;
    const double top = std::max(std::ceil(*high) + 10, bottom + 100);
    painter->drawText(QRect(box.left(), area.top(), label - 4, painter->fontMetrics().height()),
                      Qt::AlignRight, QString::number(static_cast<int>(top)));
    painter->drawText(QRect(box.left(), area.bottom() - painter->fontMetrics().height(), label - 4,
                            painter->fontMetrics().height()),
                      Qt::AlignRight, QString::number(static_cast<int>(bottom)));
    QPolygonF line;
    const size_t n = ratings.size();
    for (size_t i = 0; i < n; ++i) {
        const double x = area.left() + (n == 1 ? area.width() / 2.0
                                               : area.width() * static_cast<double>(i) / (n - 1));
        const double y = area.bottom() - area.height() * (ratings[i] - bottom) / (top - bottom);
        line << QPointF(x, y);
    }
    painter->setPen(QPen(Qt::black, 3));
    painter->drawPolyline(line);
    painter->restore();
}
