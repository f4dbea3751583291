// What the views cost an e-ink panel.
//
// 1. Board: a long corpus game is played through move by move; per move the
//    board view's update() reports the pixels it invalidates, compared with
//    the least that must change (the squares whose piece changed plus those of
//    the new and the previous move) and with the whole board.
// 2. Move list: a generated 300-move game with comments and variations;
//    the time to lay out and paint it from scratch, and, building the same
//    main line move by move, the words measured and the time per repaint.
//
//   bench_views_eink [PGN]   (default: the corpus's masters-historical.pgn)
#include "benchcorpus.h"
#include "chess/san.h"
#include "game/game.h"
#include "game/pgnmove.h"
#include "tests/views/viewtestsupport.h"
#include "views/bmpboarddisplayer.h"
#include "views/chessboardview.h"
#include "views/moveshistoryview.h"
#include "views/repainttarget.h"
#include "views/ttfboarddisplayer.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using viewtest::ViewDocument;

double ms_since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class PixelCounter : public RepaintTarget {
public:
    void invalidate(const QRect& rect) override
    {
        pixels += static_cast<long>(rect.width()) * rect.height();
        rects.push_back(rect);
    }
    long pixels = 0;
    std::vector<QRect> rects;
};

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[static_cast<size_t>(share * (values.size() - 1))];
}

double median(const std::vector<double>& values)
{
    return percentile(values, 0.5);
}

// The longest main line among the first games of the file.
std::string longest_game(const std::string& path, int* plies)
{
    std::ifstream in(path);
    Game game;
    std::string best;
    *plies = 0;
    for (int n = 0; n < 3000 && game.load(in); ++n) {
        Game copy = game;
        copy.open();
        if (!copy.errorText.empty())
            continue;
        int count = 0;
        for (PGNMove* m = copy.root->findNextMove(); m; m = m->findNextMove())
            ++count;
        if (count > *plies) {
            *plies = count;
            best = game.moveText;
        }
    }
    return best;
}

void bench_board(const std::string& pgn)
{
    int plies = 0;
    const std::string text = longest_game(pgn, &plies);
    ViewDocument doc;
    doc.game().moveText = text;
    doc.game().open();

    ChessBoardView view(&doc);
    view.setRect(Rect{0, 61, 600, 600}); // a 600 x 800 panel, history 20 %
    const int cell = view.getCellSize();
    QImage image(600, 800, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.paint(&painter, view.viewRect());

    long total = 0;
    long minimum = 0;
    long worst = 0;
    int over = 0;
    int moves = 0;
    Game& game = doc.game();
    while (true) {
        const PGNMove* before = game.current;
        if (!game.nextPosition())
            break;
        const PGNMove* node = game.current;
        std::set<int> least;
        const Board a = before->boardAfter();
        const Board b = node->boardAfter();
        for (int i = 0; i < 64; ++i)
            if (a.squares[i] != b.squares[i])
                least.insert(i);
        for (const Move& m : {before->move, node->move})
            if (!m.isNull()) {
                least.insert(m.fromY * 8 + m.fromX);
                least.insert(m.toY * 8 + m.toX);
            }
        PixelCounter counter;
        view.update(&counter);
        const long need = static_cast<long>(least.size()) * cell * cell;
        total += counter.pixels;
        minimum += need;
        worst = std::max(worst, counter.pixels);
        over += counter.pixels > need;
        ++moves;
    }
    const long board = 64L * cell * cell;
    std::printf("board view: %d plies, cell %d px, whole board %ld px\n", moves, cell, board);
    std::printf("  invalidated per move: mean %.0f px (%.1f squares), max %ld px; "
                "least needed mean %.0f px\n",
                static_cast<double>(total) / moves,
                static_cast<double>(total) / moves / (cell * cell), worst,
                static_cast<double>(minimum) / moves);
    std::printf("  moves invalidating more than the least: %d; share of a full repaint: %.1f %%\n",
                over, 100.0 * static_cast<double>(total) / (static_cast<double>(board) * moves));

    // Paint time with each kind of displayer: the whole board, then what
    // update() asks for after each move.
    const std::string fonts = std::string(INKMATE_SOURCE_DIR) + "/assets/fonts/";
    QFontDatabase::addApplicationFont(QString::fromStdString(fonts + "inkmate-chess.ttf"));
    const char* names[] = {"plain squares", "TrueType set", "bitmap set"};
    for (int kind = 0; kind < 3; ++kind) {
        try {
            if (kind == 1)
                view.setDisplayer(new TtfBoardDisplayer("Inkmate Chess", cell, 1));
            else if (kind == 2)
                view.setDisplayer(
                    new BmpBoardDisplayer((fonts + "inkmate-pieces-75.png").c_str(), cell));
        } catch (const std::exception& e) {
            std::printf("  %s: %s\n", names[kind], e.what());
            continue;
        }
        std::vector<double> fullMs;
        for (int run = 0; run < 10; ++run) {
            const Clock::time_point start = Clock::now();
            view.paint(&painter, view.viewRect());
            fullMs.push_back(ms_since(start));
        }
        game.firstPosition();
        view.paint(&painter, view.viewRect());
        std::vector<double> moveMs;
        while (game.nextPosition()) {
            PixelCounter counter;
            view.update(&counter);
            const Clock::time_point start = Clock::now();
            for (const QRect& r : counter.rects)
                view.paint(&painter, r);
            moveMs.push_back(ms_since(start));
        }
        std::printf("  %s: whole board median %.3f ms; changed squares of a move median %.3f ms\n",
                    names[kind], median(fullMs), median(moveMs));
    }
}

// A 300-move game of seeded random legal moves, with a comment every fifth
// ply and a one-move variation every tenth.
std::string annotated_game(int fullMoves, std::vector<Move>* mainLine)
{
    std::mt19937 random(7);
    for (int attempt = 0; attempt < 50; ++attempt) {
        Board board;
        board.create_classic_board();
        std::string text;
        mainLine->clear();
        bool needNumber = true;
        int ply = 0;
        for (; ply < 2 * fullMoves; ++ply) {
            Moves moves;
            if (board.generateMoves(board.getColorToMove(), &moves) == 0)
                break;
            const Move move = moves[random() % moves.size()];
            const bool white = board.getColorToMove() == White;
            const int number = board.fullMoveNumber;
            if (white)
                text += std::to_string(number) + ". ";
            else if (needNumber)
                text += std::to_string(number) + "... ";
            text += move_to_san(board, move) + " ";
            needNumber = false;
            if (ply % 5 == 4) {
                text += "{A quiet move that keeps the balance} ";
                needNumber = true;
            }
            if (ply % 10 == 9 && moves.size() > 1) {
                Move other = moves[(random() % (moves.size() - 1) + 1) % moves.size()];
                if (other == move)
                    other = moves[0] == move ? moves[1] : moves[0];
                text += "(" + std::to_string(number) + (white ? ". " : "... ") +
                        move_to_san(board, other) + ") ";
                needNumber = true;
            }
            board.doMove(move);
            mainLine->push_back(move);
        }
        if (ply == 2 * fullMoves)
            return text + "*";
    }
    return std::string();
}

void bench_history()
{
    std::vector<Move> mainLine;
    const std::string text = annotated_game(300, &mainLine);
    if (text.empty()) {
        std::printf("move list: no game generated\n");
        return;
    }
    QFont textFont(QStringLiteral("DejaVu Sans"));
    textFont.setPixelSize(20);
    QFont moveFont(textFont);
    moveFont.setBold(true);
    QImage image(600, 800, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);

    ViewDocument doc;
    doc.game().moveText = text;
    doc.game().open();
    if (!doc.game().errorText.empty()) {
        std::printf("move list: %s\n", doc.game().errorText.c_str());
        return;
    }
    doc.game().lastPosition();
    MovesHistoryView view(&doc);
    view.setTextFont(&textFont);
    view.setMoveFont(&moveFont);
    view.setRect(Rect{0, 562, 600, 238}); // history 30 % of an 800-pixel panel

    int elements = 0;
    for (PGNElement* e = doc.game().root; e; e = e->next)
        ++elements;
    std::vector<double> fullMs;
    std::vector<double> repaintMs;
    long words = 0;
    for (int run = 0; run < 15; ++run) {
        view.resetLayout();
        painter.fillRect(image.rect(), Qt::white);
        const long measuredBefore = view.getMeasuredWords();
        Clock::time_point start = Clock::now();
        view.paint(&painter, view.viewRect());
        fullMs.push_back(ms_since(start));
        words = view.getMeasuredWords() - measuredBefore;
        start = Clock::now();
        view.paint(&painter, view.viewRect());
        repaintMs.push_back(ms_since(start));
    }
    std::printf("move list: 300 moves, %d elements, %ld words, %d pages\n", elements, words,
                view.getPageCount());
    std::printf("  layout + paint from scratch: median %.2f ms, max %.2f ms (target < 20 ms)\n",
                median(fullMs), *std::max_element(fullMs.begin(), fullMs.end()));
    std::printf("  repaint of a laid-out list: median %.3f ms\n", median(repaintMs));

    // The same main line move by move, as it is played.
    ViewDocument played;
    played.game().open();
    MovesHistoryView live(&played);
    live.setTextFont(&textFont);
    live.setMoveFont(&moveFont);
    live.setRect(Rect{0, 562, 600, 238});
    live.paint(&painter, live.viewRect());
    std::vector<double> perMove;
    long maxWords = 0;
    for (const Move& move : mainLine) {
        played.game().addMove(move);
        const long before = live.getMeasuredWords();
        const Clock::time_point start = Clock::now();
        live.paint(&painter, live.viewRect());
        perMove.push_back(ms_since(start));
        maxWords = std::max(maxWords, live.getMeasuredWords() - before);
    }
    const auto slowest = std::max_element(perMove.begin(), perMove.end());
    std::printf(
        "  playing %zu plies: words measured per move max %ld; paint per move median "
        "%.3f ms, 95th percentile %.3f ms, max %.3f ms (ply %d; a busy machine shows here)\n",
        mainLine.size(), maxWords, median(perMove), percentile(perMove, 0.95), *slowest,
        static_cast<int>(slowest - perMove.begin()) + 1);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string pgn =
        argc > 1 ? argv[1] : corpus_or_slice("masters-historical.pgn", "masters-slice.pgn");
    bench_board(pgn);
    bench_history();
    return 0;
}
