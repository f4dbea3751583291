// The evaluation graph is pure black and white, and follows the evaluations.
#include "views/evalgraph.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

TEST(EvalGraph, BlackOnWhiteFilledTowardsTheSideAhead)
{
    QImage image(210, 110, QImage::Format_RGB32);
    image.fill(Qt::red);
    {
        QPainter painter(&image);
        // Level, White two pawns up, then mated (a mate: -100).
        draw_eval_graph(&painter, QRect(0, 0, 210, 110), {0, 2, 2, -100, -100}, 1);
    }
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            ASSERT_TRUE(pixel == qRgb(0, 0, 0) || pixel == qRgb(255, 255, 255))
                << x << "," << y << " " << std::hex << pixel;
        }
    }
    const auto black = [&](int x, int y) { return image.pixel(x, y) == qRgb(0, 0, 0); };
    // White ahead between positions 1 and 2: filled above the middle only.
    EXPECT_TRUE(black(80, 45));
    EXPECT_FALSE(black(80, 65));
    // Mated at the end: filled down to the bottom.
    EXPECT_TRUE(black(200, 100));
    EXPECT_FALSE(black(200, 10));
    // The bar at position 1 is white inside, black at its edges.
    EXPECT_FALSE(black(52, 20));
    EXPECT_TRUE(black(50, 20));
}
