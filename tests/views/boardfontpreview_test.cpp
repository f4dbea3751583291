#include "tests/views/boardfont_support.h"
#include "views/bmpboarddisplayer.h"
#include "views/ttfboarddisplayer.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>

// Renders the shipped piece sets into "boardfonts-preview.png" in the folder
// named by INKMATE_PREVIEW_DIR, for a look at them: both sets in the 7 x 4
// layout, then a position on a 600 pixel wide board with each set.
// Skipped when the variable is not set.
namespace {

const char kPosition[] = "r1bqk2r/pp2bppp/2n1pn2/3p4/2PP4/2N2N2/PP2BPPP/R2QKB1R";

void drawSet(QPainter& p, const AbstractBoardDisplayer& d, int cell, int left, int top)
{
    for (int type = 0; type < 7; ++type)
        for (int row = 0; row < 4; ++row)
            d.draw(&p, Rect{left + type * cell, top + row * cell, cell, cell}, row / 2, row % 2,
                   type);
}

void drawBoard(QPainter& p, const AbstractBoardDisplayer& d, int cell, int left, int top)
{
    const std::string pieces = "pnbrqk";
    int x = 0, y = 7;
    for (char c : std::string(kPosition)) {
        if (c == '/') {
            for (; x < 8; ++x)
                d.draw(&p, Rect{left + x * cell, top + (7 - y) * cell, cell, cell},
                       (x + y) % 2 == 0, 0, 0);
            x = 0;
            --y;
        } else if (c >= '1' && c <= '8') {
            for (int n = c - '0'; n > 0; --n, ++x)
                d.draw(&p, Rect{left + x * cell, top + (7 - y) * cell, cell, cell},
                       (x + y) % 2 == 0, 0, 0);
        } else {
            const bool black = c >= 'a';
            const int type = static_cast<int>(pieces.find(black ? c : char(c + 32))) + 1;
            d.draw(&p, Rect{left + x * cell, top + (7 - y) * cell, cell, cell}, (x + y) % 2 == 0,
                   black, type);
            ++x;
        }
    }
    p.drawRect(left - 1, top - 1, 8 * cell + 1, 8 * cell + 1);
}

} // namespace

TEST(BoardFontPreview, WritesThePieceSets)
{
    const char* dir = std::getenv("INKMATE_PREVIEW_DIR");
    if (!dir || !*dir)
        GTEST_SKIP() << "set INKMATE_PREVIEW_DIR to write the preview";
    ASSERT_TRUE(registerShippedFont());
    const int cell = 75;
    TtfBoardDisplayer ttf(shippedFamily(), cell, 1);
    BmpBoardDisplayer bmp(shippedPieces().c_str(), cell);
    TtfBoardDisplayer ttfSmall(shippedFamily(), 67, 1);
    BmpBoardDisplayer bmpSmall(shippedPieces().c_str(), 67);

    const int right = 20 + 8 * cell;
    QImage image = whiteImage(right + 8 * cell + 10, 4 * cell + 20 + 2 * 8 * cell + 40);
    QPainter p(&image);
    drawSet(p, ttf, cell, 10, 10);
    drawSet(p, bmp, cell, right, 10);
    const int top = 4 * cell + 30;
    drawBoard(p, ttf, cell, 10, top);
    drawBoard(p, bmp, cell, right, top);
    drawBoard(p, ttfSmall, 67, 10, top + 8 * cell + 10);
    drawBoard(p, bmpSmall, 67, right, top + 8 * cell + 10);
    p.end();
    // The panel shows 16 greys.
    image = image.convertToFormat(QImage::Format_Grayscale8);
    EXPECT_TRUE(
        image.save(QString::fromLocal8Bit(dir) + QStringLiteral("/boardfonts-preview.png")));
}
