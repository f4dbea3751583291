#include "app/clockkeeper.h"

#include "app/chesscontroller.h"
#include "core/trans.h"
#include "game/game.h"

#include <chrono>

namespace {
int64_t steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The clock the side had after its last timed move on the line to node; -1
// if none.
int64_t lastClock(const PGNMove* node, Color side)
{
    for (; node && node->parent; node = node->parent) {
        const int64_t ms = node->parent->colorToMove() == side ? node_clock(node) : -1;
        if (ms >= 0)
            return ms;
    }
    return -1;
}
} // namespace

bool can_mate(const Board& board, Color side)
{
    int minors = 0;
    for (uint8_t code : board.squares) {
        if (!code || Piece::code_color(code) != side)
            continue;
        switch (Piece::code_type(code)) {
        case Piece::TypePawn:
        case Piece::TypeRook:
        case Piece::TypeQueen:
            return true;
        case Piece::TypeKnight:
        case Piece::TypeBishop:
            ++minors;
            break;
        default:
            break;
        }
    }
    return minors >= 2;
}

ClockKeeper::ClockKeeper(ChessController& controller) : m_controller(controller), m_clock(steadyMs)
{
}

void ClockKeeper::setTimeSource(ChessClock::Now now)
{
    m_clock = ChessClock(std::move(now));
    m_gameId = -2;
}

void ClockKeeper::load(const Game& game)
{
    const GameTimeControl control = game_time_control(game);
    const PGNMove* node = game.current;
    const int64_t white = lastClock(node, White);
    const int64_t black = lastClock(node, Black);
    m_clock.reset(control, white >= 0 ? white : control.side[White].baseMs,
                  black >= 0 ? black : control.side[Black].baseMs,
                  node ? node->colorToMove() : White);
}

bool ClockKeeper::shouldRun(const Game& game) const
{
    const PGNMove* node = game.current;
    return m_active && m_clock.enabled() && node && game.errorText.empty() &&
           !(game.flags & Game::FlagPuzzle) && game.result == ResultInProgress &&
           node->result == ResultInProgress && !node->findNextMove() && !m_clock.flagFell();
}

void ClockKeeper::sync()
{
    Game& game = m_controller.document().game();
    PGNMove* node = game.current;
    const bool sameGame = game.id == m_gameId && game.root == m_root && game.root;
    if (sameGame && node && node != m_node && node->parent == m_node && m_clock.enabled() &&
        m_clock.isRunning() && node_clock(node) < 0 && !node->findNextMove()) {
        // A move was just played at the end of the line.
        set_node_clock(node, m_clock.moveMade(node->parent->colorToMove()));
    } else if (!sameGame || node != m_node) {
        m_clock.setRunning(false);
        load(game);
    }
    m_gameId = game.id;
    m_root = game.root;
    m_node = node;
    m_clock.setRunning(shouldRun(game));
    show();
    if (m_controller.screen().setClockHeader(m_clock.enabled()))
        m_controller.updateAllViews(nullptr, true);
    schedule();
}

void ClockKeeper::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    m_clock.setRunning(shouldRun(m_controller.document().game()));
    schedule();
}

void ClockKeeper::show()
{
    ChessDocument& document = m_controller.document();
    document.clockShown = m_clock.enabled();
    for (Color side : {White, Black})
        document.clockText[side] =
            m_clock.hasClock(side) ? ChessClock::text(m_clock.remaining(side)) : "-";
}

void ClockKeeper::schedule()
{
    const unsigned generation = ++m_generation;
    const int64_t delay = m_clock.untilShownChange();
    if (delay < 0)
        return;
    m_controller.platform().defer(static_cast<int>(delay),
                                  [this, generation] { tick(generation); });
}

void ClockKeeper::tick(unsigned generation)
{
    if (generation != m_generation)
        return;
    if (m_clock.isRunning() && m_clock.flagFell()) {
        flagFall();
        return;
    }
    show();
    m_controller.screen().infoView().update(&m_controller.platform());
    schedule();
}

void ClockKeeper::flagFall()
{
    Game& game = m_controller.document().game();
    m_clock.setRunning(false);
    m_controller.engine().stopEngine();
    const Color loser = m_clock.sideToMove();
    const Color winner = opposite_color(loser);
    const Board board = game.current->boardAfter();
    game.result = !can_mate(board, winner) ? ResultDraw
                  : winner == White        ? ResultWhiteWins
                                           : ResultBlackWins;
    show();
    m_controller.updateAllViews(nullptr, false);
    std::string text = translated(loser == White ? "White's time is up" : "Black's time is up");
    text += ": ";
    text += translated(game_result_to_message(game.result));
    m_controller.platform().message(Platform::MessageInformation, translated("Game"), text.c_str(),
                                    60000);
}
