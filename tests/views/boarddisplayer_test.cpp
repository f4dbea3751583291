#include "core/exception.h"
#include "tests/views/boardfont_support.h"
#include "views/bmpboarddisplayer.h"
#include "views/ttfboarddisplayer.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

// A bitmap set whose every cell is one flat grey telling its column and row.
int cellGrey(int column, int row)
{
    return 20 + column * 8 + row * 50;
}

std::string writeGridSet(const ScopedConfig& cfg, int w, int h, const char* name)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int cell = h / 4;
    QPainter p(&image);
    for (int c = 0; c < 7; ++c)
        for (int r = 0; r < 4; ++r)
            p.fillRect(c * cell, r * cell, cell, cell,
                       QColor::fromRgb(qRgb(cellGrey(c, r), cellGrey(c, r), cellGrey(c, r))));
    p.end();
    const std::string path = cfg.file(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
    return path;
}

std::string errorOf(const std::string& file)
{
    try {
        BmpBoardDisplayer d(file.c_str(), 0);
    } catch (const Exception& e) {
        EXPECT_TRUE(e.isCritical());
        return e.what();
    }
    return std::string();
}

QImage drawSquare(const AbstractBoardDisplayer& d, int size, int square, int colour, int type)
{
    QImage image = whiteImage(size, size);
    QPainter p(&image);
    d.draw(&p, Rect{0, 0, size, size}, square, colour, type);
    return image;
}

} // namespace

TEST(BmpBoardDisplayer, AcceptsSevenByFourGridsOnly)
{
    ScopedConfig cfg;
    for (auto [w, h] : {std::pair{700, 400}, {700, 401}, {701, 400}}) {
        const std::string path = writeGridSet(cfg, w, h, "set.png");
        BmpBoardDisplayer d(path.c_str(), 0);
        EXPECT_EQ(d.cellSize(), 100) << w << "x" << h;
    }
    std::string path = writeGridSet(cfg, 600, 400, "wide.png");
    EXPECT_EQ(errorOf(path), "Wrong bitmap sizes (600 x 400) for bitmap: " + path);
    // Too small for one pixel a cell: 6 / 7 == 3 / 4 == 0.
    path = writeGridSet(cfg, 6, 3, "tiny.png");
    EXPECT_EQ(errorOf(path), "Wrong bitmap sizes (6 x 3) for bitmap: " + path);

    path = cfg.file("missing.png");
    EXPECT_EQ(errorOf(path), "Failed to load image from file: " + path);
    path = cfg.file("text.png");
    testsupport::writeFile(path, "not an image\n");
    EXPECT_EQ(errorOf(path), "Failed to load image from file: " + path);
}

TEST(BmpBoardDisplayer, CutsTheCellOfEachSquare)
{
    ScopedConfig cfg;
    const std::string path = writeGridSet(cfg, 701, 401, "set.png");
    for (int size : {0, 100, 50, 67}) {
        BmpBoardDisplayer d(path.c_str(), size);
        const int cell = size ? size : 100;
        for (int type = 0; type < 7; ++type)
            for (int square = 0; square < 2; ++square)
                for (int colour = 0; colour < 2; ++colour) {
                    // Drawn into a cell of another size too: scaled.
                    for (int target : {cell, cell + 9}) {
                        const QImage image = drawSquare(d, target, square, colour, type);
                        const int row = square * 2 + colour;
                        for (auto [x, y] : {std::pair{2, 2}, {target - 3, target - 3}})
                            EXPECT_EQ(qGray(image.pixel(x, y)), cellGrey(type, row))
                                << "size " << size << " target " << target << " type " << type
                                << " row " << row;
                    }
                }
        // Any non-zero colour counts as 1; types outside 0..6 draw nothing.
        EXPECT_EQ(qGray(drawSquare(d, cell, 5, -2, 4).pixel(cell / 2, cell / 2)), cellGrey(4, 3));
        for (int type : {-1, 7, 100})
            EXPECT_EQ(qGray(drawSquare(d, cell, 0, 0, type).pixel(cell / 2, cell / 2)), 255);
    }
}

TEST(TtfBoardDisplayer, CharacterMap)
{
    const char* expected[7] = {"  ++", "poPO", "nmNM", "bvBV", "rtRT", "qwQW", "klKL"};
    for (int type = 0; type < 7; ++type)
        for (int square = 0; square < 2; ++square)
            for (int colour = 0; colour < 2; ++colour)
                EXPECT_EQ(TtfBoardDisplayer::character(square, colour, type),
                          expected[type][square * 2 + colour]);
    EXPECT_EQ(TtfBoardDisplayer::character(0, 0, 7), 0);
    EXPECT_EQ(TtfBoardDisplayer::character(2, 0, 1), 0);
    EXPECT_EQ(TtfBoardDisplayer::character(0, -1, 1), 0);
}

TEST(TtfBoardDisplayer, ShippedFontHasEverySquare)
{
    ASSERT_TRUE(registerShippedFont());
    TtfBoardDisplayer d(shippedFamily(), 70, 1);
    EXPECT_TRUE(QFontInfo(d.font()).exactMatch());
    EXPECT_EQ(QFontInfo(d.font()).family(), QString::fromLatin1(shippedFamily()));
    const QFontMetrics metrics(d.font());
    for (char c : std::string("++poPOnmNMbvBVrtRTqwQWklKL"))
        EXPECT_TRUE(metrics.inFont(QLatin1Char(c))) << c;
    // The em box is the square: ascent and descent fill the cell.
    EXPECT_NEAR(metrics.ascent() + metrics.descent(), 70, 1);
    EXPECT_NEAR(metrics.horizontalAdvance(QLatin1Char('K')), 70, 1);

    // Every square looks different from every other one.
    std::set<QByteArray> looks;
    for (int type = 0; type < 7; ++type)
        for (int sq = 0; sq < 2; ++sq)
            for (int colour = 0; colour < (type ? 2 : 1); ++colour) {
                const QImage image = drawSquare(d, 70, sq, colour, type);
                looks.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()),
                                        static_cast<int>(image.sizeInBytes())));
            }
    EXPECT_EQ(looks.size(), 26u);
}

TEST(TtfBoardDisplayer, AntiAliasingFollowsTheSetting)
{
    ASSERT_TRUE(registerShippedFont());
    auto greys = [](int aa) {
        TtfBoardDisplayer d(shippedFamily(), 70, aa);
        const QImage image = drawSquare(d, 70, 1, 0, 2);
        int mid = 0;
        for (int y = 0; y < 70; ++y)
            for (int x = 0; x < 70; ++x) {
                const int g = qGray(image.pixel(x, y));
                mid += g > 40 && g < 215;
            }
        return mid;
    };
    EXPECT_EQ(greys(0), 0);
    EXPECT_GT(greys(1), 100);
    EXPECT_GT(greys(-3), 100);
}

TEST(TtfBoardDisplayer, DrawsNothingOutOfRangeAndClearsTheCell)
{
    ASSERT_TRUE(registerShippedFont());
    TtfBoardDisplayer d(shippedFamily(), 60, 1);
    QImage image = whiteImage(60, 60);
    image.fill(Qt::black);
    QPainter p(&image);
    d.draw(&p, Rect{0, 0, 60, 60}, 0, 0, 7);
    d.draw(&p, Rect{0, 0, 60, 60}, 2, 0, 1);
    EXPECT_EQ(darkness(image, 0, 0, 60, 60), 1.0);
    // An empty light square leaves nothing of what was there.
    d.draw(&p, Rect{0, 0, 60, 60}, 0, 0, 0);
    p.end();
    EXPECT_EQ(darkness(image, 0, 0, 60, 60), 0.0);
}

// Both shipped sets draw the same pieces: compare each TrueType square with the
// 28 cells of the bitmap set on a coarse grid of darkness; the nearest one
// must be the same square, and close.
TEST(BoardFonts, TrueTypeMapMatchesTheBitmapGrid)
{
    ASSERT_TRUE(registerShippedFont());
    const int size = 75;
    const int grid = 5;
    const int step = size / grid;
    TtfBoardDisplayer ttf(shippedFamily(), size, 1);
    BmpBoardDisplayer bmp(shippedPieces().c_str(), size);
    auto profile = [&](const AbstractBoardDisplayer& d, int sq, int colour, int type) {
        const QImage image = drawSquare(d, size, sq, colour, type);
        std::vector<double> cells;
        for (int gy = 0; gy < grid; ++gy)
            for (int gx = 0; gx < grid; ++gx)
                cells.push_back(darkness(image, gx * step, gy * step, step, step));
        return cells;
    };
    auto distance = [](const std::vector<double>& a, const std::vector<double>& b) {
        double worst = 0;
        for (size_t i = 0; i < a.size(); ++i)
            worst = std::max(worst, std::fabs(a[i] - b[i]));
        return worst;
    };
    std::vector<std::vector<double>> bitmaps;
    for (int i = 0; i < 28; ++i)
        bitmaps.push_back(profile(bmp, i / 2 % 2, i % 2, i / 4));
    for (int i = 0; i < 28; ++i) {
        const int type = i / 4, sq = i / 2 % 2, colour = i % 2;
        if (type == 0 && colour == 1)
            continue; // the empty squares exist once per square colour
        const std::vector<double> t = profile(ttf, sq, colour, type);
        int best = -1;
        double bestDistance = 2;
        for (int j = 0; j < 28; ++j)
            if (distance(t, bitmaps[j]) < bestDistance) {
                bestDistance = distance(t, bitmaps[j]);
                best = j;
            }
        EXPECT_EQ(best / 2, i / 2) << "type " << type << " square " << sq << " colour " << colour;
        EXPECT_LT(bestDistance, 0.3) << "type " << type << " square " << sq;
    }
}
