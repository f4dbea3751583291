#include "views/evalgraph.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace {
// Winning chances of pawns, on [-1, 1].
double chances(double pawns)
{
    return 2.0 / (1.0 + std::exp(-0.4 * pawns)) - 1.0;
}
} // namespace

void draw_eval_graph(QPainter* painter, const QRect& box, const std::vector<double>& curve,
                     int current)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillRect(box, Qt::white);
    painter->setPen(QPen(Qt::black, 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(box.adjusted(1, 1, -1, -1));
    const int middle = box.top() + box.height() / 2;
    painter->setPen(QPen(Qt::black, 1));
    painter->drawLine(box.left(), middle, box.right(), middle);
    if (curve.size() >= 2) {
        const double step = static_cast<double>(box.width() - 1) / (curve.size() - 1);
        const double half = (box.height() - 4) / 2.0;
        QPolygon area;
        area << QPoint(box.left(), middle);
        for (size_t i = 0; i < curve.size(); ++i) {
            const int x = box.left() + static_cast<int>(std::lround(i * step));
            const int y = middle - static_cast<int>(std::lround(chances(curve[i]) * half));
            area << QPoint(x, y);
        }
        area << QPoint(box.right(), middle);
        painter->setPen(Qt::NoPen);
        painter->setBrush(Qt::black);
        painter->drawPolygon(area);
        if (current >= 0 && static_cast<size_t>(current) < curve.size()) {
            // The bar shows on either colour: white over black, black over white.
            const int x = box.left() + static_cast<int>(std::lround(current * step));
            painter->fillRect(QRect(x - 2, box.top(), 5, box.height()), Qt::black);
            painter->fillRect(QRect(x - 1, box.top(), 3, box.height()), Qt::white);
        }
    }
    painter->restore();
}
