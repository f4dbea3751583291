// What the reader feels on every move: from the key presses that enter a move
// to the end of completeAction (move validated, node added, game state
// checked, views invalidated), replayed over a long real game. A second
// figure adds the repaint of what the views invalidated.
//
// Usage: bench_app_move [PGN file] [rounds]

#include "app/chesscontroller.h"
#include "app/platform.h"
#include "benchcorpus.h"
#include "core/configfileqt.h"
#include "core/exception.h"
#include "core/log.h"
#include "game/game.h"
#include "game/pgnmove.h"
#include "views/boardfontfactory.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A headless platform: redraw requests collect the invalidated region, which
// paintPending() draws into an image. Deferred calls (the engine's turn, none
// in a game of two humans) run at once: there is no event loop here.
class BenchPlatform : public Platform {
public:
    BenchPlatform() : m_image(600, 800, QImage::Format_RGB32) {}

    Rect getClientRect() const override { return Rect{0, 0, 600, 800}; }
    void invalidate(const QRect& rect) override { m_dirty += rect; }
    void message(MessageType, const char*, const char*, int) const override {}
    bool askYesNo(const char*, const char*) const override { return false; }
    void createMainMenu() override {}
    void showMainMenu() override {}
    void fullRefresh() override {}
    void defer(int, std::function<void()> call) override { call(); }
    void showProgress(const std::string&) override {}

    void paintPending(ChessController& chess)
    {
        QPainter painter(&m_image);
        for (const QRect& part : m_dirty)
            chess.screen().paint(painter, part);
        m_dirty = QRegion();
    }

private:
    QImage m_image;
    QRegion m_dirty;
};

// Cursor keys to the square, as the reader presses them.
void cursor_to(ChessController& chess, const Position& target)
{
    const ChessDocument& document = chess.document();
    InputRouter& input = chess.input();
    const bool flipped = document.isFlipped();
    for (int guard = 0; guard < 32 && document.cursor != target; ++guard) {
        const Position& c = document.cursor;
        if (c.x != target.x)
            ((target.x > c.x) != flipped) ? input.keyRight() : input.keyLeft();
        else
            ((target.y > c.y) != flipped) ? input.keyUp() : input.keyDown();
    }
}

// The main line of the first game with at least minPlies plies.
std::vector<Move> long_game(const std::string& path, size_t minPlies, std::string& name)
{
    std::ifstream in(path);
    std::vector<Move> best;
    Game game;
    for (int i = 0; i < 5000; ++i) {
        try {
            if (!game.load(in))
                break;
            if (game.setUp)
                continue;
            game.open();
        } catch (const Exception&) {
            continue;
        }
        // The keys play no move after a position that ends the game (a
        // repetition played on), so such a line is no use here.
        std::vector<Move> line;
        bool playable = true;
        for (const PGNMove* n = game.root->findNextMove(); n; n = n->findNextMove()) {
            line.push_back(n->move);
            if (n->result != ResultInProgress && n->findNextMove())
                playable = false;
        }
        const std::string who = game.white + " - " + game.black;
        game.close(false);
        if (playable && line.size() > best.size()) {
            best = line;
            name = who;
        }
        if (best.size() >= minPlies)
            break;
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string pgn =
        argc > 1 ? argv[1] : corpus_or_slice("sample-1in20.pgn", "masters-slice.pgn");
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    QTemporaryDir dir;
    ConfigFileQt config(dir.path());
    g_pConfig = &config;
    Log log(QString(dir.path() + QStringLiteral("/inkmate.log.txt")).toStdString(), 2, 0);
    g_pLog = &log;
    config.writeString("board.font_00", "TTF|Chess|Inkmate Chess|fonts/inkmate-chess.ttf");
    config.writeInt("header", 1);
    BoardFontFactory::init(&config);

    std::string name;
    const std::vector<Move> moves = long_game(pgn, 250, name);
    if (moves.empty()) {
        std::fprintf(stderr, "no game found in %s\n", pgn.c_str());
        return 1;
    }

    double inputSeconds = 0;
    double paintSeconds = 0;
    long played = 0;
    {
        BenchPlatform platform;
        ChessController chess(config, platform);
        chess.screen().layout(platform.getClientRect());
        chess.bases().loadBase(
            QString(dir.path() + QStringLiteral("/bench.cdb")).toUtf8().constData());
        Board start;
        start.create_classic_board();
        for (int round = 0; round < rounds; ++round) {
            chess.session().newGame(start, 0, 0, White, 0);
            platform.paintPending(chess);
            for (const Move& move : moves) {
                const PGNMove* before = chess.document().currentNode();
                const auto t0 = Clock::now();
                cursor_to(chess, move.getFrom());
                chess.input().keyOkReleased();
                cursor_to(chess, move.getTo());
                chess.input().keyOkReleased();
                const auto t1 = Clock::now();
                platform.paintPending(chess);
                const auto t2 = Clock::now();
                if (chess.document().currentNode() == before) {
                    std::fprintf(stderr, "move %s was refused\n", move.getAsString().c_str());
                    return 1;
                }
                inputSeconds += std::chrono::duration<double>(t1 - t0).count();
                paintSeconds += std::chrono::duration<double>(t2 - t1).count();
                ++played;
            }
        }
        chess.bases().closeBaseNoThrow();
    }
    BoardFontFactory::destroy();
    g_pLog = nullptr;
    g_pConfig = nullptr;

    std::printf("game: %s, %zu plies, %d rounds\n", name.c_str(), moves.size(), rounds);
    std::printf("key presses to completeAction: %.1f us per move\n",
                inputSeconds * 1e6 / static_cast<double>(played));
    std::printf("repaint of the invalidated areas: %.1f us per move\n",
                paintSeconds * 1e6 / static_cast<double>(played));
    return 0;
}
