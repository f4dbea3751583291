#include "viewtestsupport.h"

#include "game/game.h"
#include "views/gameinfoview.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace viewtest;

namespace {

class InfoViewTest : public ::testing::Test {
protected:
    InfoViewTest()
    {
        boldFont.setPixelSize(20);
        boldFont.setBold(true);
        normalFont.setPixelSize(20);
        view.setPuzzleFont(&boldFont);
        view.setNamesFont(&boldFont);
        view.setResultFont(&normalFont);
        view.setRect(Rect{0, 0, 600, 60});
        Game& game = doc.game();
        game.id = 12;
        game.white = "Anderssen";
        game.black = "Kieseritzky";
    }

    std::vector<DrawnText> draw()
    {
        RecordingDevice device;
        QPainter painter(&device);
        view.paint(&painter, view.viewRect());
        painter.end();
        return device.engine.texts;
    }

    // The single text drawn; its left end and baseline.
    DrawnText only()
    {
        std::vector<DrawnText> texts = draw();
        EXPECT_EQ(texts.size(), 1u);
        return texts.empty() ? DrawnText() : texts[0];
    }

    static int width(const QFont& font, const QString& text)
    {
        return QFontMetrics(font).horizontalAdvance(text);
    }

    // Centred horizontally within [left, left + w) and vertically in the 60 pixels.
    void expectCentred(const DrawnText& text, const QFont& font, int left, int w)
    {
        const double expected = left + (w - width(font, text.text)) / 2.0;
        EXPECT_LE(std::abs(text.position.x() - expected), 1.0) << text.text.toStdString();
        const QFontMetrics metrics(font);
        const double baseline = (60 - metrics.height()) / 2.0 + metrics.ascent();
        EXPECT_LE(std::abs(text.position.y() - baseline), 1.5);
    }

    QFont boldFont{QStringLiteral("DejaVu Sans")};
    QFont normalFont{QStringLiteral("DejaVu Sans")};
    ViewDocument doc;
    GameInfoView view{&doc};
};

TEST_F(InfoViewTest, PuzzleShowsNumberTaskAndSolvedMark)
{
    Game& game = doc.game();
    game.flags = Game::FlagPuzzle;
    DrawnText text = only();
    EXPECT_EQ(text.text, QStringLiteral("12. Find the best move"));
    EXPECT_TRUE(text.font.bold());
    expectCentred(text, boldFont, 0, 600);

    game.flags |= Game::FlagSolved;
    EXPECT_EQ(only().text, QStringLiteral("12. Find the best move - solved!"));
    game.event = "?";
    EXPECT_EQ(only().text, QStringLiteral("12. Find the best move - solved!"));
    game.event = "White mates in two";
    game.flags = Game::FlagPuzzle;
    EXPECT_EQ(only().text, QStringLiteral("12. White mates in two"));
}

TEST_F(InfoViewTest, BookPositionShowsEventOrHeading)
{
    Game& game = doc.game();
    game.white = "?";
    game.black = "";
    DrawnText text = only();
    EXPECT_EQ(text.text, QStringLiteral("?"));
    expectCentred(text, boldFont, 20, 560);

    doc.headingOf = [](int gameId) { return gameId >= 5 ? "Opening traps" : "Part one"; };
    EXPECT_EQ(only().text, QStringLiteral("Opening traps"));
    game.id = 3;
    EXPECT_EQ(only().text, QStringLiteral("Part one"));
    game.event = "Chapter 1: Мат";
    EXPECT_EQ(only().text, QString::fromUtf8("Chapter 1: Мат"));
}

TEST_F(InfoViewTest, GameShowsPlayersAroundTheResult)
{
    Game& game = doc.game();
    game.result = ResultDraw;
    std::vector<DrawnText> texts = draw();
    ASSERT_EQ(texts.size(), 3u);
    const QString result = QStringLiteral("[1/2-1/2]");
    EXPECT_EQ(texts[0].text, result);
    EXPECT_FALSE(texts[0].font.bold());
    expectCentred(texts[0], normalFont, 0, 600);

    const int r = width(normalFont, result);
    const int s = (600 - r) / 2 - 20;
    EXPECT_EQ(texts[1].text, QStringLiteral("Anderssen"));
    EXPECT_TRUE(texts[1].font.bold());
    EXPECT_NEAR(texts[1].position.x(), 10, 1);
    // Black ends at the right edge of its box.
    EXPECT_EQ(texts[2].text, QStringLiteral("Kieseritzky"));
    const int blackLeft = 10 + (r + 600) / 2;
    EXPECT_NEAR(texts[2].position.x() + width(boldFont, texts[2].text), blackLeft + s, 1);

    // Names wider than their boxes stay inside them, whole in a smaller size
    // or shortened with an ellipsis, so the result stays clear.
    const char* classics[] = {"Anderssen, Adolf", "Kieseritzky, Lionel"};
    const char* longest = "Kieseritzky, Lionel Adalbert Bagration Felix";
    for (const int pixels : {20, 27, 40}) {
        boldFont.setPixelSize(pixels);
        for (const char* white : {classics[0], longest}) {
            game.white = white;
            game.black = white == longest ? classics[1] : longest;
            texts = draw();
            ASSERT_EQ(texts.size(), 3u);
            for (int i : {1, 2}) {
                const DrawnText& name = texts[static_cast<size_t>(i)];
                const std::string stored = i == 1 ? game.white : game.black;
                EXPECT_LE(name.width, s + 0.5) << stored << " at " << pixels;
                EXPECT_GE(name.font.pixelSize(), std::max(16, pixels * 2 / 3)) << stored;
                if (name.text.toStdString() != stored) {
                    EXPECT_TRUE(name.text.endsWith(QChar(0x2026))) << name.text.toStdString();
                    EXPECT_TRUE(QString::fromStdString(stored).startsWith(name.text.chopped(1)));
                    EXPECT_GT(name.text.size(), 3);
                }
            }
            EXPECT_NEAR(texts[1].position.x(), 10, 1);
            EXPECT_NEAR(texts[2].position.x() + texts[2].width, blackLeft + s, 1);
            // The classics' names fit whole once made smaller, up to the
            // header's own size.
            if (pixels <= 27) {
                EXPECT_EQ(texts[white == longest ? 2 : 1].text.toStdString(),
                          white == longest ? classics[1] : classics[0]);
            }
        }
    }
    boldFont.setPixelSize(20);
    game.white = "Anderssen";

    // One name missing: still the game layout, the other drawn as stored.
    game.black = "?";
    game.result = ResultWhiteWins;
    texts = draw();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, QStringLiteral("[1-0]"));
    EXPECT_EQ(texts[2].text, QStringLiteral("?"));
    game.white = "";
    game.black = "Morphy";
    game.result = ResultInProgress;
    texts = draw();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, QStringLiteral("[*]"));
    EXPECT_EQ(texts[1].text, QStringLiteral("Morphy"));
}

TEST_F(InfoViewTest, UpdateOnlyWhenFlagsResultOrGameChange)
{
    Game& game = doc.game();
    RecordingTarget target;
    view.update(&target);
    ASSERT_EQ(target.rects.size(), 1u);
    EXPECT_EQ(target.rects[0], QRect(0, 0, 600, 60));
    view.update(&target);
    EXPECT_EQ(target.rects.size(), 1u);
    // Names and events are not watched: they change only with the game.
    game.white = "Steinitz";
    view.update(&target);
    EXPECT_EQ(target.rects.size(), 1u);
    game.id = 13; // another game, same flags and result
    view.update(&target);
    EXPECT_EQ(target.rects.size(), 2u);
    game.result = ResultBlackWins;
    view.update(&target);
    EXPECT_EQ(target.rects.size(), 3u);
    game.flags |= Game::FlagViewAsBlack;
    view.update(&target);
    EXPECT_EQ(target.rects.size(), 4u);
    view.update(&target);
    EXPECT_EQ(target.rects.size(), 4u);
}

// A bar under the name of the side to move, dashed while its engine thinks;
// a move or the engine's thinking repaints only the bars' strips.
TEST_F(InfoViewTest, BarUnderTheSideToMoveRepaintsOnlyItsStrip)
{
    open_game(doc, "1. e4 e5 *", false);
    Game& game = doc.game();
    game.id = 12;
    game.white = "Anderssen";
    game.black = "Kieseritzky";
    bool thinking = false;
    doc.engineThinking = [&] { return thinking; };
    const auto bars = [&] {
        RecordingDevice device;
        QPainter painter(&device);
        view.paint(&painter, view.viewRect());
        painter.end();
        std::vector<QRect> rects;
        for (const QRect& r : device.engine.rects) {
            if (r.height() == 5)
                rects.push_back(r);
        }
        return rects;
    };
    RecordingTarget target;
    view.update(&target);
    EXPECT_EQ(target.rects, std::vector<QRect>{QRect(0, 0, 600, 60)});

    std::vector<QRect> drawn = bars();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0], QRect(10, view.markRect(White).top(),
                              width(boldFont, QStringLiteral("Anderssen")), 5));
    EXPECT_TRUE(view.markRect(White).contains(drawn[0]));

    target.rects.clear();
    game.nextPosition();
    view.update(&target);
    EXPECT_EQ(target.rects, (std::vector<QRect>{view.markRect(White), view.markRect(Black)}));
    EXPECT_EQ(view.markRect(Black), QRect(300, view.markRect(White).top(), 300, 5));
    drawn = bars();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].right(), view.markRect(Black).right() - 10);

    target.rects.clear();
    thinking = true;
    view.update(&target);
    EXPECT_EQ(target.rects, std::vector<QRect>{view.markRect(Black)});
    drawn = bars();
    EXPECT_GT(drawn.size(), 2u) << "dashed";
    for (const QRect& dash : drawn)
        EXPECT_TRUE(view.markRect(Black).contains(dash));

    // A finished game marks nobody.
    target.rects.clear();
    thinking = false;
    game.result = ResultDraw;
    view.update(&target);
    EXPECT_EQ(target.rects, std::vector<QRect>{QRect(0, 0, 600, 60)});
    EXPECT_TRUE(bars().empty());
}

} // namespace

TEST_F(InfoViewTest, OpeningAndReviewMarkUnderTheGameLine)
{
    doc.opening = "C55 Two knights defence";
    doc.reviewMark = "Review 40%";
    std::vector<DrawnText> texts = draw();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[3].text, QStringLiteral("C55 Two knights defence \u00b7 Review 40%"));
    // The players' line moves up; the opening line sits in the lower third.
    EXPECT_LT(texts[1].position.y(), 40);
    EXPECT_GT(texts[3].position.y(), 50);
    EXPECT_LE(texts[3].position.y(), 60);

    // A new mark repaints the view; the same one does not.
    view.update(nullptr);
    RecordingTarget target;
    doc.reviewMark = "Review 50%";
    view.update(&target);
    EXPECT_EQ(target.rects.size(), 1u);
    view.update(&target);
    EXPECT_EQ(target.rects.size(), 1u);
}
