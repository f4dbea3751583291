#include "viewtestsupport.h"

#include "game/game.h"
#include "game/pgnelement.h"
#include "game/pgnmove.h"
#include "tests/support/test_support.h"
#include "views/moveshistoryview.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

using namespace viewtest;

namespace {

// A main line of 80 plies from real games.
std::string long_game()
{
    std::ifstream in(testsupport::dataPath("masters-slice.pgn"));
    Game game;
    while (game.load(in)) {
        Game copy = game;
        copy.open();
        int plies = 0;
        for (PGNMove* m = copy.root->findNextMove(); m; m = m->findNextMove())
            ++plies;
        if (plies >= 80)
            return game.moveText;
    }
    return std::string();
}

class HistoryViewTest : public ::testing::Test {
protected:
    HistoryViewTest()
    {
        textFont.setPixelSize(16);
        moveFont.setPixelSize(16);
        moveFont.setBold(true);
        view.setTextFont(&textFont);
        view.setMoveFont(&moveFont);
        view.setRect(Rect{0, 500, 600, 300});
    }

    // Lays out and paints into an image, returns it.
    QImage paint(const QRect& region = QRect())
    {
        QImage image(600, 800, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(Qt::black);
        painter.setBackground(Qt::white);
        view.paint(&painter, region.isNull() ? view.viewRect() : region);
        return image;
    }

    // The words the view draws, through the recording device.
    std::vector<DrawnText> drawnWords()
    {
        RecordingDevice device;
        QPainter painter(&device);
        view.paint(&painter, view.viewRect());
        painter.end();
        return device.engine.texts;
    }

    std::vector<PGNElement*> elements() const
    {
        std::vector<PGNElement*> all;
        for (PGNElement* e = doc.game().root; e; e = e->next)
            all.push_back(e);
        return all;
    }

    PGNElement* find(const std::string& text) const
    {
        for (PGNElement* e : elements())
            if (e->getText() == text)
                return e;
        ADD_FAILURE() << "no element " << text;
        return nullptr;
    }

    int space() const { return QFontMetrics(textFont).horizontalAdvance(QLatin1Char(' ')); }

    QFont textFont{QStringLiteral("DejaVu Sans")};
    QFont moveFont{QStringLiteral("DejaVu Sans")};
    ViewDocument doc;
    MovesHistoryView view{&doc};
};

TEST_F(HistoryViewTest, EmptyGameDrawsNothing)
{
    open_game(doc, "*");
    EXPECT_TRUE(drawnWords().empty());
    EXPECT_EQ(view.getPageCount(), 1);
    EXPECT_EQ(view.getMeasuredWords(), 0);
    EXPECT_EQ(doc.game().root->page, 0);
    // The first start's tip, while the list is empty.
    doc.tip = "Menu: hold OK or press the Menu key";
    const std::vector<DrawnText> tip = drawnWords();
    ASSERT_EQ(tip.size(), 1u);
    EXPECT_EQ(tip[0].text, QStringLiteral("Menu: hold OK or press the Menu key"));
    open_game(doc, "1. e4 *");
    EXPECT_EQ(drawnWords().size(), 1u);
    EXPECT_EQ(drawnWords()[0].text, QStringLiteral("1.e4"));
}

// With a line height of 30 and a 200-pixel rectangle, lines start at 10, 40,
// 70, 100 and 130; the next line would end at 190 and opens page 2.
TEST_F(HistoryViewTest, LinesAndPageBreaks)
{
    int pixelSize = 8;
    while (pixelSize < 60) {
        textFont.setPixelSize(pixelSize);
        if (QFontMetrics(textFont).height() >= 30)
            break;
        ++pixelSize;
    }
    moveFont.setPixelSize(pixelSize);
    ASSERT_EQ(QFontMetrics(moveFont).height(), 30) << "no DejaVu size with 30-pixel lines";
    textFont.setPixelSize(pixelSize);

    const std::string text = long_game();
    ASSERT_FALSE(text.empty());
    open_game(doc, text, false);
    view.setRect(Rect{20, 400, 300, 200});
    paint();
    std::map<int, std::set<int>> linesByPage;
    int lastPage = 0;
    for (PGNElement* e : elements()) {
        if (e->getText().empty() || !e->isVisible())
            continue;
        ASSERT_GE(e->page, lastPage) << "pages go back";
        lastPage = e->page;
        linesByPage[e->page].insert(e->y - 400);
        EXPECT_EQ(e->height, 30);
        EXPECT_GE(e->x, 30);
        EXPECT_LT(e->x + e->width, 20 + 300 - 10) << e->getText();
    }
    ASSERT_GE(view.getPageCount(), 3);
    EXPECT_EQ(view.getPageCount(), lastPage + 1);
    for (int page = 0; page < lastPage; ++page)
        EXPECT_EQ(linesByPage[page], (std::set<int>{10, 40, 70, 100, 130})) << page;

    // Only the shown page is drawn: the page of the current move (the root).
    EXPECT_EQ(view.getShownPage(), 0);
    for (const DrawnText& word : drawnWords())
        EXPECT_LT(word.position.y(), 400 + 200) << word.text.toStdString();
}

TEST_F(HistoryViewTest, VariationsStartIndentedLines)
{
    open_game(doc, "1. e4 e5 (1... c5 2. Nf3 (2. c3 d5) 2... d6 {Sharp}) 2. Nf3 Nc6 *");
    paint();
    const int p = 10;
    const int left = 0;
    const int top = 500;
    const int s = space();
    PGNElement* e4 = find("1.e4");
    PGNElement* e5 = find("e5");
    EXPECT_EQ(e4->x, left + p);
    EXPECT_EQ(e4->y, top + p);
    EXPECT_EQ(e5->y, e4->y);
    EXPECT_EQ(e5->x, e4->x + e4->width + s);

    std::vector<PGNElement*> opens;
    for (PGNElement* e : elements())
        if (e->getType() == PGNElement::TypeVariantBegin)
            opens.push_back(e);
    ASSERT_EQ(opens.size(), 2u);
    const int h = e4->height;
    EXPECT_EQ(opens[0]->x, left + p + 3 * s);
    EXPECT_EQ(opens[0]->y, top + p + h);
    EXPECT_EQ(find("c5")->y, opens[0]->y);
    EXPECT_EQ(opens[1]->x, left + p + 6 * s);
    EXPECT_EQ(opens[1]->y, top + p + 2 * h);
    // Back in the outer variation after the inner one: a new line.
    EXPECT_EQ(find("d6")->x, left + p + 3 * s);
    EXPECT_EQ(find("d6")->y, top + p + 3 * h);
    EXPECT_EQ(find("Sharp")->y, find("d6")->y);
    // Back in the main line: a new line at the left margin.
    PGNElement* nc6 = find("Nc6");
    PGNElement* nf3 = nc6->prev;
    EXPECT_EQ(nf3->getText(), "2.Nf3");
    EXPECT_EQ(nf3->depth, 0u);
    EXPECT_EQ(nf3->x, left + p);
    EXPECT_EQ(nf3->y, top + p + 4 * h);
    EXPECT_EQ(nc6->y, nf3->y);

    // Comment braces are not drawn; comment words are, in the text font.
    bool sharpDrawn = false;
    for (const DrawnText& word : drawnWords()) {
        EXPECT_NE(word.text, QStringLiteral("{"));
        if (word.text == QStringLiteral("Sharp)")) { // the bracket hugs the comment
            sharpDrawn = true;
            EXPECT_FALSE(word.font.bold());
        }
        if (word.text == QStringLiteral("1.e4")) {
            EXPECT_TRUE(word.font.bold());
        }
    }
    EXPECT_TRUE(sharpDrawn);
}

TEST_F(HistoryViewTest, HiddenPuzzleMovesAreNeitherLaidOutNorDrawn)
{
    Game& game = doc.game();
    game = Game();
    game.flags = Game::FlagPuzzle;
    game.moveText = "1. e4 e5 2. Bc4 Nc6 $500 3. Qh5 Nf6 4. Qxf7# 1-0";
    game.open();
    paint();
    std::set<QString> drawn;
    for (const DrawnText& word : drawnWords())
        drawn.insert(word.text);
    EXPECT_EQ(drawn, (std::set<QString>{QStringLiteral("1.e4"), QStringLiteral("e5"),
                                        QStringLiteral("2.Bc4"), QStringLiteral("Nc6")}));
    bool afterHidden = false;
    for (PGNElement* e : elements()) {
        afterHidden = afterHidden || e->hidden;
        if (afterHidden) {
            EXPECT_EQ(e->page, -1) << e->getText();
        }
    }
    EXPECT_TRUE(afterHidden);
}

TEST_F(HistoryViewTest, TapsHitMovesStrictlyInside)
{
    open_game(doc, "1. e4 {Best by test} e5 2. Nf3 *");
    paint();
    PGNElement* e5 = find("e5");
    ASSERT_GT(e5->width, 2);
    EXPECT_EQ(view.findMoveFromXY(e5->x + 1, e5->y + 1), e5);
    EXPECT_EQ(view.findMoveFromXY(e5->x + e5->width / 2, e5->y + e5->height / 2), e5);
    EXPECT_EQ(view.findMoveFromXY(e5->x, e5->y + 5), nullptr);
    EXPECT_EQ(view.findMoveFromXY(e5->x + 5, e5->y), nullptr);
    EXPECT_EQ(view.findMoveFromXY(e5->x + e5->width, e5->y + 5), nullptr);
    EXPECT_EQ(view.findMoveFromXY(e5->x + 5, e5->y + e5->height), nullptr);
    PGNElement* word = find("test");
    EXPECT_EQ(view.findMoveFromXY(word->x + 2, word->y + 2), nullptr);
    EXPECT_EQ(view.findMoveFromXY(5, 5), nullptr);
}

TEST_F(HistoryViewTest, TapsOnlyFindMovesOfTheShownPage)
{
    open_game(doc, long_game(), false);
    view.setRect(Rect{0, 600, 300, 120});
    paint();
    ASSERT_GE(view.getPageCount(), 2);
    PGNElement* first =
        find("1." + static_cast<PGNMove*>(doc.game().root)->findNextMove()->text.substr(2));
    ASSERT_EQ(first->page, 0);
    EXPECT_EQ(view.findMoveFromXY(first->x + 2, first->y + 2), first);
    view.setShownPage(1);
    EXPECT_NE(view.findMoveFromXY(first->x + 2, first->y + 2), first);
}

TEST_F(HistoryViewTest, LayoutIsIncremental)
{
    open_game(doc, long_game());
    paint();
    long words = 0;
    for (PGNElement* e : elements())
        if (!e->getText().empty() && e->isVisible())
            ++words;
    EXPECT_EQ(view.getMeasuredWords(), words);
    std::vector<QRect> before;
    for (PGNElement* e : elements())
        before.push_back(QRect(e->x, e->y, e->width, e->height));

    // A repaint measures nothing; a new move measures one word.
    paint();
    EXPECT_EQ(view.getMeasuredWords(), words);
    PGNMove* last = doc.game().current;
    const Board board = last->boardAfter();
    Moves moves;
    ASSERT_GT(board.generateMoves(board.getColorToMove(), &moves), 0);
    doc.game().addMove(moves.front());
    paint();
    EXPECT_EQ(view.getMeasuredWords(), words + 1);
    std::vector<PGNElement*> now = elements();
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(QRect(now[i]->x, now[i]->y, now[i]->width, now[i]->height), before[i]);
    EXPECT_EQ(view.getShownPage(), doc.game().current->page);

    // The same rectangle keeps the layout; another one lays out everything.
    view.setRect(view.getRect());
    paint();
    EXPECT_EQ(view.getMeasuredWords(), words + 1);
    view.setRect(Rect{0, 500, 400, 300});
    EXPECT_EQ(view.getShownPage(), -1);
    EXPECT_EQ(doc.game().current->page, -1);
    paint();
    EXPECT_EQ(view.getMeasuredWords(), 2 * (words + 1));
}

TEST_F(HistoryViewTest, ShownPageFollowsTheCurrentMoveOnlyWhenWordsArePlaced)
{
    open_game(doc, long_game());
    view.setRect(Rect{0, 600, 300, 120});
    paint();
    const int pages = view.getPageCount();
    ASSERT_GE(pages, 3);
    EXPECT_EQ(view.getShownPage(), doc.game().current->page);
    EXPECT_EQ(view.getShownPage(), pages - 1);
    // Navigation alone does not turn the page (the controller does).
    doc.game().firstPosition();
    paint();
    EXPECT_EQ(view.getShownPage(), pages - 1);

    // Another game with fewer pages never leaves a page that does not exist.
    view.setShownPage(pages - 1);
    open_game(doc, "*");
    paint();
    EXPECT_EQ(view.getShownPage(), 0);
}

TEST_F(HistoryViewTest, CurrentMoveIsFramedOrInverted)
{
    open_game(doc, "1. e4 e5 2. Nf3 *");
    PGNElement* e5 = find("e5");
    doc.game().current = static_cast<PGNMove*>(e5);
    QImage image = paint();
    const QColor black(Qt::black);
    // Board mode: an outline, the inside stays white.
    EXPECT_EQ(image.pixelColor(e5->x, e5->y + e5->height / 2), black);
    EXPECT_EQ(image.pixelColor(e5->x + e5->width, e5->y + 1), black);
    EXPECT_NE(image.pixelColor(e5->x + 1, e5->y + 1), black);
    PGNElement* e4 = find("1.e4");
    EXPECT_NE(image.pixelColor(e4->x, e4->y + e4->height / 2), black);

    // History mode: a solid block with the word in the background colour.
    doc.mode = ViewState::HistoryMode;
    image = paint();
    EXPECT_EQ(image.pixelColor(e5->x + 1, e5->y + 1), black);
    EXPECT_EQ(image.pixelColor(e5->x + e5->width - 2, e5->y + e5->height - 2), black);
    int white = 0;
    for (int x = e5->x; x < e5->x + e5->width; ++x)
        for (int y = e5->y; y < e5->y + e5->height; ++y)
            white += image.pixelColor(x, y) == QColor(Qt::white);
    EXPECT_GT(white, 10) << "the word is drawn in the background colour";
    // The pen is restored for the next word.
    PGNElement* nf3 = find("2.Nf3");
    int ink = 0;
    for (int x = nf3->x; x < nf3->x + nf3->width; ++x)
        for (int y = nf3->y; y < nf3->y + nf3->height; ++y)
            ink += image.pixelColor(x, y) == black;
    EXPECT_GT(ink, 10);
    EXPECT_EQ(image.pixelColor(nf3->x + 1, nf3->y + 1), QColor(Qt::white));

    RecordingTarget target;
    view.update(&target);
    ASSERT_EQ(target.rects.size(), 1u);
    EXPECT_EQ(target.rects[0], view.viewRect());
}

} // namespace

TEST_F(HistoryViewTest, UsualNagsAreShownAsSymbols)
{
    open_game(doc, "1.e4 $1 e5 $5 2.Nf3 $16 Nc6 $99 3.Bb5 $ *");
    std::vector<QString> words;
    for (const DrawnText& t : drawnWords())
        words.push_back(t.text);
    // A symbol follows its move without a space (the recording joins them).
    const std::vector<QString> expected{
        QStringLiteral("1.e4!"), QStringLiteral("e5!?"), QString::fromUtf8("2.Nf3\u00B1"),
        QStringLiteral("Nc6"),   QStringLiteral("$99"),  QStringLiteral("3.Bb5"),
        QStringLiteral("$")};
    EXPECT_EQ(words, expected);
    // The stored text keeps the NAG numbers.
    EXPECT_EQ(find("$5")->getText(), "$5");
}

// Brackets hug their variation; a line that opens with Black's move (a
// variation, the main line after one, a comment, a puzzle from a position)
// shows its number. The stored move text stays as it was.
TEST_F(HistoryViewTest, BracketsHugVariationsAndBlackLinesStartWithTheirNumber)
{
    const std::string text =
        "1. e4 e5 2. Nf3 (2. f4 exf4) 2... Nc6 (2... d6 {Philidor}) 3. Bb5 $1 {Spanish} a6 *";
    open_game(doc, text);
    std::vector<QString> words;
    for (const DrawnText& t : drawnWords())
        words.push_back(t.text);
    const std::vector<QString> expected{
        QStringLiteral("1.e4"),    QStringLiteral("e5"),        QStringLiteral("2.Nf3"),
        QStringLiteral("(2.f4"),   QStringLiteral("exf4)"),     QStringLiteral("2...Nc6"),
        QStringLiteral("(2...d6"), QStringLiteral("Philidor)"), QStringLiteral("3.Bb5!"),
        QStringLiteral("Spanish"), QStringLiteral("3...a6")};
    EXPECT_EQ(words, expected);
    EXPECT_EQ(find("Nc6")->getText(), "Nc6");

    // A puzzle from a position with Black to move.
    Game& game = doc.game();
    game = Game();
    game.startBoard.importFromFEN("6k1/5ppp/8/8/8/8/q4PPP/1Q4K1 b - - 0 18");
    game.setUp = true;
    game.moveText = "18... Qxb1+ *";
    game.open();
    view.resetLayout();
    const std::vector<DrawnText> drawn = drawnWords();
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn[0].text, QStringLiteral("18...Qxb1#"));
}
