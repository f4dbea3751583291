#include "viewtestsupport.h"

#include "core/exception.h"
#include "game/game.h"
#include "tests/support/test_support.h"
#include "views/abstractboarddisplayer.h"
#include "views/boardfontfactory.h"
#include "views/chessboardview.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

using namespace viewtest;

namespace {

// Fills the whole cell with one colour that encodes the square: red = piece
// type * 30, green = piece colour * 100 + square colour * 50, blue 200.
// Counts its calls.
class ColourDisplayer : public AbstractBoardDisplayer {
public:
    void draw(QPainter* painter, const Rect& cell, int squareColour, int pieceColour,
              int pieceType) const override
    {
        ++calls;
        painter->fillRect(QRect(cell.left, cell.top, cell.width, cell.height),
                          code(squareColour, pieceColour, pieceType));
    }
    static QColor code(int squareColour, int pieceColour, int pieceType)
    {
        return QColor(pieceType * 30, pieceColour * 100 + squareColour * 50, 200);
    }
    mutable int calls = 0;
};

// Fills every cell white, so marks drawn in black stand out.
class WhiteDisplayer : public AbstractBoardDisplayer {
public:
    void draw(QPainter* painter, const Rect& cell, int, int, int) const override
    {
        painter->fillRect(QRect(cell.left, cell.top, cell.width, cell.height), Qt::white);
    }
};

Position sq(const char* name)
{
    return Position(name[0] - 'a', name[1] - '1');
}

std::string square_name(const Position& p)
{
    return std::string(1, static_cast<char>('a' + p.x)) + static_cast<char>('1' + p.y);
}

class BoardViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        open_game(doc, "*");
        view.setDisplayer(new ColourDisplayer);
        view.setRect(Rect{10, 20, 482, 482});
    }

    // The squares whose cells the target received, by name.
    std::set<std::string> invalidated(const RecordingTarget& target) const
    {
        std::set<std::string> names;
        for (const QRect& r : target.rects) {
            const Position p = view.positionFromXY(r.center().x(), r.center().y());
            EXPECT_EQ(r, view.cellRect(p)) << "not a cell";
            names.insert(square_name(p));
        }
        EXPECT_EQ(names.size(), target.rects.size()) << "a square invalidated twice";
        return names;
    }

    std::set<std::string> updateAndCollect()
    {
        RecordingTarget target;
        view.update(&target);
        return invalidated(target);
    }

    QImage render(const QRect& region = QRect())
    {
        QImage image(520, 520, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(Qt::black);
        view.paint(&painter, region.isNull() ? view.viewRect() : region);
        return image;
    }

    QColor colourOf(const QImage& image, const char* square) const
    {
        return image.pixelColor(view.cellRect(sq(square)).center());
    }

    MapConfig config;
    ViewDocument doc;
    ChessBoardView view{&doc};
};

TEST_F(BoardViewTest, CellSizeFollowsWidthAndAnnotation)
{
    view.setAnnotation(true);
    view.setRect(Rect{0, 0, 480, 480});
    EXPECT_EQ(view.getCellSize(), 52);
    EXPECT_EQ(view.gridRect(), QRect(30, 30, 416, 416));
    // Without coordinates one pixel on each side holds the inner frame.
    view.setAnnotation(false);
    view.setRect(Rect{0, 0, 481, 300});
    EXPECT_EQ(view.getCellSize(), 59);
    view.setRect(Rect{0, 0, 482, 300});
    EXPECT_EQ(view.getCellSize(), 60);
    EXPECT_EQ(view.gridRect(), QRect(1, 1, 480, 480));
    // Too narrow for the margins: no squares rather than a negative size.
    view.setAnnotation(true);
    view.setRect(Rect{0, 0, 40, 40});
    EXPECT_EQ(view.getCellSize(), 0);
    EXPECT_FALSE(view.positionFromXY(5, 5).isValid());
    QImage image = render(QRect(0, 0, 40, 40));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));
}

TEST_F(BoardViewTest, SquareColoursAndOrientation)
{
    QImage image = render();
    // Normal orientation: a8 top left, a1 dark, h8 dark, h1 light.
    EXPECT_EQ(image.pixelColor(10 + 30, 20 + 30), ColourDisplayer::code(0, 1, 4)); // a8
    EXPECT_EQ(colourOf(image, "a1"), ColourDisplayer::code(1, 0, 4));
    EXPECT_EQ(colourOf(image, "h8"), ColourDisplayer::code(1, 1, 4));
    EXPECT_EQ(colourOf(image, "h1"), ColourDisplayer::code(0, 0, 4));
    EXPECT_EQ(colourOf(image, "e1"), ColourDisplayer::code(1, 0, 6));
    EXPECT_EQ(colourOf(image, "d8"), ColourDisplayer::code(1, 1, 5));
    EXPECT_EQ(colourOf(image, "e4"), ColourDisplayer::code(0, 0, 0));
    EXPECT_EQ(colourOf(image, "d4"), ColourDisplayer::code(1, 0, 0));
    EXPECT_EQ(image.pixelColor(10 + 7 * 60 + 30, 20 + 7 * 60 + 30), colourOf(image, "h1"));

    // Turned board: h1 top left, a8 bottom right, e1 in the top row.
    doc.game().flags |= Game::FlagViewAsBlack;
    image = render();
    EXPECT_EQ(view.cellRect(sq("h1")).topLeft(), QPoint(11, 21));
    EXPECT_EQ(image.pixelColor(10 + 30, 20 + 30), ColourDisplayer::code(0, 0, 4));          // h1
    EXPECT_EQ(image.pixelColor(10 + 3 * 60 + 30, 20 + 30), ColourDisplayer::code(1, 0, 6)); // e1
    EXPECT_EQ(image.pixelColor(10 + 7 * 60 + 30, 20 + 7 * 60 + 30),
              ColourDisplayer::code(0, 1, 4)); // a8
}

TEST_F(BoardViewTest, PointsMapToSquares)
{
    view.setRect(Rect{99, 49, 418, 418}); // cell 52, grid from (100, 50)
    ASSERT_EQ(view.getCellSize(), 52);
    EXPECT_EQ(view.positionFromXY(100, 50), sq("a8"));
    EXPECT_EQ(view.positionFromXY(100 + 52 * 4 + 1, 50 + 52 * 4 - 1), sq("e5"));
    EXPECT_EQ(view.positionFromXY(100 + 52 * 8 - 1, 50 + 52 * 8 - 1), sq("h1"));
    // Less than a cell left of the grid still truncates to column 0.
    EXPECT_EQ(view.positionFromXY(100 - 10, 50 + 5), sq("a8"));
    // Off the board: one coordinate -1, the other 8.
    const Position off = view.positionFromXY(100 + 52 * 8, 50);
    EXPECT_FALSE(off.isValid());
    EXPECT_EQ(off, Position(-1, 8));
    EXPECT_FALSE(view.positionFromXY(100 + 20, 50 - 60).isValid());

    doc.game().flags |= Game::FlagViewAsBlack;
    EXPECT_EQ(view.positionFromXY(100, 50), sq("h1"));
    EXPECT_EQ(view.positionFromXY(100 + 52 * 8 - 1, 50 + 52 * 8 - 1), sq("a8"));
    EXPECT_EQ(view.positionFromXY(100 + 52 * 8, 50), Position(8, -1));

    // With coordinates the grid starts a margin further in.
    doc.game().flags = 0;
    view.setAnnotation(true);
    view.setRect(Rect{100, 50, 476, 476}); // (476 - 60) / 8 = 52
    EXPECT_EQ(view.positionFromXY(130, 80), sq("a8"));
    EXPECT_EQ(view.positionFromXY(130 + 52 * 3 + 1, 80 + 52 * 7 + 1), sq("d1"));
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y) {
            const QPoint c = view.cellRect(Position(x, y)).center();
            EXPECT_EQ(view.positionFromXY(c.x(), c.y()), Position(x, y));
        }
}

TEST_F(BoardViewTest, CursorKeysWrapAndFollowTheTurnedBoard)
{
    Position p = sq("a4");
    view.modifyPositionFromKey(p, -1, 0);
    EXPECT_EQ(p, sq("h4"));
    view.modifyPositionFromKey(p, 1, 0);
    EXPECT_EQ(p, sq("a4"));
    view.modifyPositionFromKey(p, 0, 1);
    EXPECT_EQ(p, sq("a5"));
    p = sq("c8");
    view.modifyPositionFromKey(p, 0, 1);
    EXPECT_EQ(p, sq("c1"));

    doc.game().flags |= Game::FlagViewAsBlack;
    p = sq("a4");
    view.modifyPositionFromKey(p, -1, 0); // left on screen is toward h
    EXPECT_EQ(p, sq("b4"));
    p = sq("h4");
    view.modifyPositionFromKey(p, -1, 0);
    EXPECT_EQ(p, sq("a4"));
    view.modifyPositionFromKey(p, 0, 1); // up on screen is toward rank 1
    EXPECT_EQ(p, sq("a3"));

    // A solved puzzle and an invalid game keep the cursor where it is.
    doc.game().flags = Game::FlagPuzzle | Game::FlagSolved;
    p = sq("d4");
    view.modifyPositionFromKey(p, 1, 1);
    EXPECT_EQ(p, sq("d4"));
    doc.game().flags = Game::FlagPuzzle;
    view.modifyPositionFromKey(p, 1, 0);
    EXPECT_EQ(p, sq("e4"));
    doc.game().flags = 0;
    doc.game().invalidate("broken");
    view.modifyPositionFromKey(p, 1, 0);
    EXPECT_EQ(p, sq("e4"));
}

// After each move only the squares of the new and the previous move change
// (plus the rook of a castling and a pawn taken en passant).
TEST_F(BoardViewTest, MoveInvalidatesOnlyTheChangedSquares)
{
    render();
    EXPECT_TRUE(updateAndCollect().empty());

    using Names = std::set<std::string>;
    Game& game = doc.game();
    game.addMove(std::string("e4"));
    EXPECT_EQ(updateAndCollect(), (Names{"e2", "e4"}));
    game.addMove(std::string("d5"));
    EXPECT_EQ(updateAndCollect(), (Names{"e2", "e4", "d7", "d5"}));
    game.addMove(std::string("exd5")); // capture
    EXPECT_EQ(updateAndCollect(), (Names{"d7", "d5", "e4"}));
    game.addMove(std::string("c5"));
    game.addMove(std::string("dxc6")); // en passant removes the pawn on c5
    updateAndCollect();
    game.prevPosition();
    updateAndCollect();
    game.nextPosition();
    EXPECT_EQ(updateAndCollect(), (Names{"c7", "c5", "d5", "c6"}));
    for (const char* san : {"Nf6", "Nf3", "e6", "Be2", "Be7"})
        game.addMove(std::string(san));
    updateAndCollect();
    game.addMove(std::string("O-O")); // the rook moves too
    EXPECT_EQ(updateAndCollect(), (Names{"f8", "e7", "e1", "g1", "h1", "f1"}));
    // Stepping back restores the same squares.
    game.prevPosition();
    EXPECT_EQ(updateAndCollect(), (Names{"f8", "e7", "e1", "g1", "h1", "f1"}));
    EXPECT_TRUE(updateAndCollect().empty());
}

TEST_F(BoardViewTest, CursorAndSelectionChangesInvalidateTheirSquares)
{
    using Names = std::set<std::string>;
    doc.cursor = sq("d4");
    view.sync();
    doc.cursor = sq("e4");
    EXPECT_EQ(updateAndCollect(), (Names{"d4", "e4"}));
    doc.cursor = sq("e2");
    doc.selection = sq("e2");
    EXPECT_EQ(updateAndCollect(), (Names{"e4", "e2"}));
    // The selection wins over the cursor: moving the cursor off the
    // selected square does not change that square's look.
    doc.cursor = sq("e3");
    EXPECT_EQ(updateAndCollect(), (Names{"e3"}));
    doc.cursor = sq("e2");
    EXPECT_EQ(updateAndCollect(), (Names{"e3"}));

    // History mode hides both marks.
    doc.cursor = sq("d4");
    updateAndCollect();
    doc.mode = ViewState::HistoryMode;
    EXPECT_EQ(updateAndCollect(), (Names{"d4", "e2"}));
    doc.mode = ViewState::BoardMode;
    EXPECT_EQ(updateAndCollect(), (Names{"d4", "e2"}));

    // Turning the board repaints the whole view, coordinates included.
    doc.game().flags |= Game::FlagViewAsBlack;
    RecordingTarget target;
    view.update(&target);
    ASSERT_EQ(target.rects.size(), 1u);
    EXPECT_EQ(target.rects[0], view.viewRect());
}

TEST_F(BoardViewTest, MateRemovesTheInputMarks)
{
    using Names = std::set<std::string>;
    open_game(doc, "1. f3 e5 2. g4 *");
    doc.cursor = sq("b4");
    doc.selection = sq("b1");
    view.sync();
    doc.game().addMove(std::string("Qh4#"));
    ASSERT_TRUE(doc.isOver());
    // The cursor and selection are no longer drawn, so their squares change.
    EXPECT_EQ(updateAndCollect(), (Names{"g2", "g4", "d8", "h4", "b4", "b1"}));
}

// Whole real games move by move: exactly the squares whose piece or
// last-move mark changed.
TEST_F(BoardViewTest, RealGamesRepaintTheMinimum)
{
    std::ifstream in(testsupport::dataPath("masters-slice.pgn"));
    ASSERT_TRUE(in);
    Game source;
    int games = 0;
    while (games < 20 && source.load(in)) {
        ++games;
        open_game(doc, source.moveText, false);
        Game& game = doc.game();
        ASSERT_TRUE(game.errorText.empty()) << game.errorText;
        view.sync();
        while (true) {
            const PGNMove* before = game.current;
            if (!game.nextPosition())
                break;
            const PGNMove* node = game.current;
            std::set<std::string> expected;
            const Board a = before->boardAfter();
            const Board b = node->boardAfter();
            for (int i = 0; i < 64; ++i)
                if (a.squares[i] != b.squares[i])
                    expected.insert(square_name(Position(i % 8, i / 8)));
            for (const Move& m : {before->move, node->move})
                if (!m.isNull()) {
                    expected.insert(square_name(m.getFrom()));
                    expected.insert(square_name(m.getTo()));
                }
            // A square that keeps its piece and stays a last-move square.
            for (const Position& p : {node->move.getFrom(), node->move.getTo()})
                if (!before->move.isNull() && a.getPiece(p) == b.getPiece(p) &&
                    (p == before->move.getFrom() || p == before->move.getTo()))
                    expected.erase(square_name(p));
            ASSERT_EQ(updateAndCollect(), expected) << node->text;
        }
    }
    EXPECT_EQ(games, 20);
}

class MarkTest : public BoardViewTest {
protected:
    void SetUp() override
    {
        open_game(doc, "1. e4 *");
        view.setDisplayer(new WhiteDisplayer);
        view.setRect(Rect{10, 20, 482, 482}); // cell 60
    }
    bool black(const QImage& image, const char* square, int dx, int dy) const
    {
        const QPoint o = view.cellRect(sq(square)).topLeft();
        return image.pixelColor(o.x() + dx, o.y() + dy) == QColor(Qt::black);
    }
};

TEST_F(MarkTest, LastMoveSelectionAndCursorShapes)
{
    QImage image = render();
    // Last move: a frame 3 pixels thick inside the cell.
    for (const char* s : {"e2", "e4"}) {
        EXPECT_TRUE(black(image, s, 0, 30));
        EXPECT_TRUE(black(image, s, 2, 30));
        EXPECT_FALSE(black(image, s, 3, 30));
        EXPECT_TRUE(black(image, s, 59, 30));
        EXPECT_TRUE(black(image, s, 57, 30));
        EXPECT_FALSE(black(image, s, 56, 30));
        EXPECT_TRUE(black(image, s, 30, 59));
        EXPECT_FALSE(black(image, s, 30, 56));
    }
    EXPECT_FALSE(black(image, "d4", 0, 30));

    doc.selection = sq("g1");
    doc.cursor = sq("b1");
    image = render();
    // Selection: 5 pixels thick.
    EXPECT_TRUE(black(image, "g1", 4, 30));
    EXPECT_FALSE(black(image, "g1", 5, 30));
    EXPECT_TRUE(black(image, "g1", 30, 55));
    EXPECT_FALSE(black(image, "g1", 30, 54));
    // Cursor: corner brackets of arm 18, 5 thick; the edge middles stay free.
    EXPECT_TRUE(black(image, "b1", 0, 0));
    EXPECT_TRUE(black(image, "b1", 18, 0));
    EXPECT_FALSE(black(image, "b1", 19, 0));
    EXPECT_FALSE(black(image, "b1", 30, 0));
    EXPECT_FALSE(black(image, "b1", 0, 30));
    EXPECT_TRUE(black(image, "b1", 4, 30 - 12));
    EXPECT_TRUE(black(image, "b1", 59, 59));
    EXPECT_TRUE(black(image, "b1", 55, 55));
    EXPECT_FALSE(black(image, "b1", 54, 30));
    EXPECT_TRUE(black(image, "b1", 59, 41));
    EXPECT_FALSE(black(image, "b1", 59, 40));

    // Which wins: the cursor over the last move, the selection over both.
    doc.cursor = sq("e4");
    doc.selection = sq("e2");
    image = render();
    EXPECT_FALSE(black(image, "e4", 30, 1)); // cursor brackets, not a frame
    EXPECT_TRUE(black(image, "e4", 1, 1));
    EXPECT_TRUE(black(image, "e2", 4, 30)); // selection frame, 5 thick
    doc.cursor = sq("e2");
    image = render();
    EXPECT_TRUE(black(image, "e2", 30, 4));
    EXPECT_FALSE(black(image, "e4", 1, 30 - 2 * 12) && !black(image, "e4", 2, 30));
}

TEST_F(MarkTest, InputMarksHiddenWhenInputIsClosed)
{
    doc.selection = sq("g1");
    doc.cursor = sq("b1");
    auto marksShown = [&] {
        QImage image = render();
        return black(image, "g1", 4, 30) || black(image, "b1", 0, 0);
    };
    EXPECT_TRUE(marksShown());
    doc.mode = ViewState::HistoryMode;
    EXPECT_FALSE(marksShown());
    doc.mode = ViewState::BoardMode;
    doc.game().flags = Game::FlagPuzzle | Game::FlagSolved;
    EXPECT_FALSE(marksShown());
    doc.game().flags = Game::FlagPuzzle;
    EXPECT_TRUE(marksShown());
    // A finished position still shows its last move but no input marks.
    open_game(doc, "1. f3 e5 2. g4 Qh4# 0-1");
    ASSERT_TRUE(doc.isOver());
    QImage image = render();
    EXPECT_FALSE(black(image, "g1", 4, 30) || black(image, "b1", 0, 0));
    EXPECT_TRUE(black(image, "h4", 2, 30));
    doc.game().invalidate("unreadable");
    EXPECT_FALSE(marksShown());
}

TEST_F(MarkTest, CoordinatesAndFrames)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    view.setAnnotationFont(&font);
    view.setAnnotation(true);
    view.setRect(Rect{0, 0, 480, 480}); // cell 52, grid from 30 to 446
    auto region = [](const QImage& image, int x, int y, int w, int h) {
        return image.copy(x, y, w, h);
    };
    auto hasInk = [](const QImage& part) {
        for (int y = 0; y < part.height(); ++y)
            for (int x = 0; x < part.width(); ++x)
                if (qGray(part.pixel(x, y)) < 128)
                    return true;
        return false;
    };
    QImage normal = render();
    // Outer frame along the view's edge, inner frame one pixel outside the squares.
    EXPECT_EQ(normal.pixelColor(0, 200), QColor(Qt::black));
    EXPECT_EQ(normal.pixelColor(479, 200), QColor(Qt::black));
    EXPECT_EQ(normal.pixelColor(200, 479), QColor(Qt::black));
    EXPECT_EQ(normal.pixelColor(29, 200), QColor(Qt::black));
    EXPECT_EQ(normal.pixelColor(446, 200), QColor(Qt::black));
    EXPECT_EQ(normal.pixelColor(200, 29), QColor(Qt::black));
    // Rank digits left and right of every row, file letters above and below.
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(hasInk(region(normal, 2, 30 + 52 * i, 26, 52))) << i;
        EXPECT_TRUE(hasInk(region(normal, 448, 30 + 52 * i, 30, 52))) << i;
        EXPECT_TRUE(hasInk(region(normal, 30 + 52 * i, 2, 52, 26))) << i;
        EXPECT_TRUE(hasInk(region(normal, 30 + 52 * i, 448, 52, 30))) << i;
    }
    // Turned: the top row is labelled "1", as the bottom row was; the left
    // column "h" as the right column was.
    doc.game().flags |= Game::FlagViewAsBlack;
    QImage turned = render();
    EXPECT_EQ(region(turned, 2, 30, 26, 52), region(normal, 2, 30 + 52 * 7, 26, 52));
    EXPECT_EQ(region(turned, 30, 2, 52, 26), region(normal, 30 + 52 * 7, 2, 52, 26));
    EXPECT_NE(region(turned, 2, 30, 26, 52), region(normal, 2, 30, 26, 52));

    // Frames off.
    view.setFrames(false, false);
    QImage plain = render();
    EXPECT_NE(plain.pixelColor(0, 200), QColor(Qt::black));
    EXPECT_NE(plain.pixelColor(29, 200), QColor(Qt::black));
    EXPECT_TRUE(hasInk(region(plain, 2, 30, 26, 52)));

    // Coordinates off: nothing outside the squares.
    view.setAnnotation(false);
    view.setRect(Rect{0, 0, 480, 480});
    plain = render();
    EXPECT_FALSE(hasInk(region(plain, 481, 0, 39, 480)));
    // A margin under 20 pixels has no room for coordinates.
    ChessBoardView narrow(&doc, 10);
    narrow.setDisplayer(new WhiteDisplayer);
    narrow.setAnnotation(true);
    narrow.setAnnotationFont(&font);
    narrow.setRect(Rect{0, 0, 420, 420});
    QImage image(420, 420, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        narrow.paint(&painter, narrow.viewRect());
    }
    EXPECT_FALSE(hasInk(region(image, 0, 12, 9, 400)));
}

TEST_F(BoardViewTest, PaintDrawsOnlyTheCellsInTheRegion)
{
    auto* displayer = new ColourDisplayer;
    view.setDisplayer(displayer);
    render();
    EXPECT_EQ(displayer->calls, 64);
    displayer->calls = 0;
    const QImage image = render(view.cellRect(sq("e4")));
    EXPECT_EQ(displayer->calls, 1);
    EXPECT_EQ(colourOf(image, "e4"), ColourDisplayer::code(0, 0, 0));
    EXPECT_EQ(colourOf(image, "d4"), QColor(Qt::white));
    displayer->calls = 0;
    render(view.cellRect(sq("e4")).united(view.cellRect(sq("f4"))));
    EXPECT_EQ(displayer->calls, 2);
}

TEST_F(BoardViewTest, PartialPaintDoesNotRefreshTheSnapshot)
{
    render();
    doc.game().addMove(std::string("e4"));
    render(view.cellRect(sq("e4")));
    // A partial paint takes no snapshot: update still reports the move.
    EXPECT_EQ(updateAndCollect().size(), 2u);
    doc.game().addMove(std::string("e5"));
    render();
    EXPECT_TRUE(updateAndCollect().empty());

    // A window-sized paint region covers the view too: after it the cursor
    // going back to where it was is still repainted.
    doc.cursor = sq("d4");
    render();
    doc.cursor = sq("e4");
    render(QRect(0, 0, 520, 520));
    doc.cursor = sq("d4");
    EXPECT_EQ(updateAndCollect(), (std::set<std::string>{"d4", "e4"}));
}

// A board font that cannot be loaded leaves no displayer behind: the board is
// drawn in plain squares and the error reaches the caller.
TEST_F(BoardViewTest, FailedBoardFontFallsBackToPlainSquares)
{
    testsupport::TempDir dir;
    config.root = dir.path();
    config.values["board.font_00"] = "BMP|Missing|x|nothere.png";
    BoardFontFactory::init(&config);
    EXPECT_THROW(view.applyBoardFont(0, true), Exception);
    EXPECT_EQ(view.getDisplayer(), nullptr);
    QImage image = render();
    EXPECT_EQ(colourOf(image, "e4"), QColor(Qt::white));
    EXPECT_EQ(colourOf(image, "d4"), QColor(160, 160, 160));

    // A valid bitmap: 7 x 4 cells of 10 pixels.
    QImage grid(70, 40, QImage::Format_RGB32);
    grid.fill(Qt::red);
    ASSERT_TRUE(grid.save(QString::fromStdString(dir.file("set.png"))));
    config.values["board.font_01"] = "BMP|Set|x|set.png";
    BoardFontFactory::init(&config);
    view.applyBoardFont(1, true);
    ASSERT_NE(view.getDisplayer(), nullptr);
    image = render();
    EXPECT_EQ(colourOf(image, "e4"), QColor(Qt::red));
    BoardFontFactory::destroy();
}

} // namespace

// Without coordinates, in the layouts whose board side divides by 8 (header
// off; move list at 30 % or 50 %; full width), the inner frame stays inside
// the view and is drawn by a paint of the view: all four sides.
TEST_F(BoardViewTest, InnerFrameIsDrawnInEveryLayoutWithoutCoordinates)
{
    view.setDisplayer(new WhiteDisplayer);
    for (const Rect& r : {Rect{20, 1, 560, 560}, Rect{100, 1, 400, 400}, Rect{0, 61, 600, 600},
                          Rect{50, 61, 500, 500}}) {
        view.setRect(r);
        QImage image(r.left + r.width + 2, r.top + r.height + 2, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            view.paint(&painter, view.viewRect());
        }
        const QRect grid = view.gridRect();
        ASSERT_GE(grid.left() - 1, r.left) << r.width;
        ASSERT_LE(grid.right() + 1, r.left + r.width - 1) << r.width;
        const int mx = grid.center().x();
        const int my = grid.center().y();
        EXPECT_EQ(image.pixelColor(grid.left() - 1, my), QColor(Qt::black)) << r.width;
        EXPECT_EQ(image.pixelColor(grid.right() + 1, my), QColor(Qt::black)) << r.width;
        EXPECT_EQ(image.pixelColor(mx, grid.top() - 1), QColor(Qt::black)) << r.width;
        EXPECT_EQ(image.pixelColor(mx, grid.bottom() + 1), QColor(Qt::black)) << r.width;
        EXPECT_EQ(image.pixelColor(mx, my), QColor(Qt::white)) << r.width;
    }
}
