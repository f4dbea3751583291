#include "app/engineturn.h"

#include "app/chesscontroller.h"
#include "core/configfileabstract.h"
#include "core/log.h"
#include "core/trans.h"
#include "engine/enginedescriptor.h"
#include "engine/enginefactory.h"
#include "engine/enginelevel.h"
#include "game/game.h"
#include "game/pgnmove.h"

EngineTurn::EngineTurn(ChessController& controller) : m_controller(controller) {}

EngineTurn::~EngineTurn()
{
    m_session.stop();
}

const std::vector<std::string>& EngineTurn::get_levels()
{
    static const std::vector<std::string> levels = [] {
        std::vector<std::string> list;
        for (int i = 0; i < EngineLevel::kCount; ++i)
            list.push_back(EngineLevel::description(i));
        return list;
    }();
    return levels;
}

bool EngineTurn::isEngineSlot(int slot)
{
    const EngineFactory& engines = EngineFactory::instance();
    return slot > 0 && static_cast<unsigned>(slot) < engines.getEngineCount() &&
           engines.getDescriptor(static_cast<unsigned>(slot)).getKind() != EngineDescriptor::Human;
}

int EngineTurn::getOpponent() const
{
    return m_controller.settings().value(Settings::Opponent);
}

int EngineTurn::getLevel() const
{
    return m_controller.settings().value(Settings::Level);
}

void EngineTurn::setOpponent(int index)
{
    m_controller.settings().setValue(Settings::Opponent, index);
    log_info("Set Opponent: %d (%s)", index,
             EngineFactory::instance().getEngineName(static_cast<unsigned>(index)));
    if (index == 0)
        stopEngine();
}

std::string EngineTurn::playerName(int slot)
{
    const EngineFactory& engines = EngineFactory::instance();
    if (slot < 0 || static_cast<unsigned>(slot) >= engines.getEngineCount())
        return std::string();
    return translated(engines.getEngineName(static_cast<unsigned>(slot)));
}

void EngineTurn::followOpponent()
{
    Game& game = m_controller.document().game();
    if (!game.current || (game.flags & Game::FlagPuzzle))
        return;
    const bool engineWhite = m_controller.document().isFlipped();
    int& slot = engineWhite ? game.whitePlayer : game.blackPlayer;
    std::string& name = engineWhite ? game.white : game.black;
    const int opponent = getOpponent();
    if (slot == opponent)
        return;
    // The side's name must be its entry's, in this language or as listed.
    const EngineFactory& engines = EngineFactory::instance();
    if (slot < 0 || static_cast<unsigned>(slot) >= engines.getEngineCount() ||
        (name != playerName(slot) && name != engines.getEngineName(static_cast<unsigned>(slot))))
        return;
    stopEngine();
    slot = opponent;
    name = playerName(opponent);
}

void EngineTurn::setLevel(int level)
{
    m_controller.settings().setValue(Settings::Level, level);
    m_session.setLevel(level);
    log_info("Set Level: %d", level + 1);
}

void EngineTurn::playEngineMove()
{
    m_session.releaseRetired();
    Game& game = m_controller.document().game();
    PGNMove* current = game.current;
    if (!current || !game.errorText.empty())
        return;

    // The record already continues (a puzzle's reply, a replayed game).
    if (PGNMove* next = current->findNextMove()) {
        // A hidden move is the solver's to find, never given away.
        if (next->hidden)
            return;
        m_controller.session().revealNode(next);
        m_controller.completeAction(false);
        return;
    }

    const Board position = current->boardAfter();
    int& slot = position.getColorToMove() == White ? game.whitePlayer : game.blackPlayer;
    const int opponent = getOpponent();
    if (slot != opponent) {
        stopEngine();
        slot = opponent;
    }
    if (slot == 0 || m_controller.document().isOver())
        return;

    if (m_session.engine() && m_session.isWaiting()) {
        // Already thinking about this very position.
        if (m_session.isWaitingFor(game.id, position))
            return;
        // Its answer would belong to another position: start afresh.
        stopEngine();
    }
    // A human entry at a non-zero slot: nobody to ask.
    if (!isEngineSlot(slot))
        return;
    const Move fromBook = bookMove(position);
    if (!fromBook.isNull()) {
        Move played = fromBook;
        if (m_controller.session().playMove(played)) {
            log_info("Book move: %s", fromBook.getAsString().c_str());
            m_controller.completeAction(false);
            return;
        }
    }
    if (!m_session.start(static_cast<unsigned>(slot), getLevel(),
                         m_controller.settings().value(Settings::EngineTimeout), *this))
        return;
    Board asked;
    Move last;
    current->engineRequest(&asked, &last);
    EngineClock clock;
    const ChessClock& clocks = m_controller.clock().clock();
    const Color side = asked.getColorToMove();
    if (clocks.hasClock(side)) {
        // An opponent without a clock is told the engine's own time.
        const Color other = opposite_color(side);
        const Color opponent = clocks.hasClock(other) ? other : side;
        clock.baseMs = clocks.control().side[side].baseMs;
        clock.incrementMs = clocks.control().side[side].incrementMs;
        clock.whiteMs = clocks.remaining(side == White ? side : opponent);
        clock.blackMs = clocks.remaining(side == Black ? side : opponent);
    }
    m_session.ask(game.id, asked, last, clock);
    // The header marks the engine thinking (its bar alone is repainted).
    m_controller.screen().infoView().update(&m_controller.platform());
}

Move EngineTurn::bookMove(const Board& position)
{
    if (getLevel() >= kBookLevels)
        return Move();
    const std::string path = m_controller.settings().rootPath() + "/book.bin";
    if (path != m_bookTried) {
        m_bookTried = path;
        std::string error;
        if (!m_book.open(path, &error) && g_pLog)
            g_pLog->write(2, Log::Warning, "No opening book: %s", error.c_str());
    }
    if (!m_book.isOpen())
        return Move();
    return m_book.pick(position, std::uniform_real_distribution<double>(0.0, 1.0)(m_random));
}

void EngineTurn::stopEngine()
{
    m_session.stop();
}

bool EngineTurn::isEngineTurnDue() const
{
    const Game& game = m_controller.document().game();
    const PGNMove* current = game.current;
    // A game ended by its record or a resignation has no engine turn left.
    if (m_session.isWaiting() || !current || !game.errorText.empty() ||
        game.result != ResultInProgress || m_controller.document().isOver() ||
        current->findNextMove())
        return false;
    const int slot = current->colorToMove() == White ? game.whitePlayer : game.blackPlayer;
    return slot == getOpponent() && isEngineSlot(slot);
}

bool EngineTurn::isEngineThinkingHere() const
{
    const Game& game = m_controller.document().game();
    if (!m_session.isWaiting() || !game.current)
        return false;
    const Color toMove = game.current->colorToMove();
    return (toMove == White ? game.whitePlayer : game.blackPlayer) != 0;
}

bool EngineTurn::acceptAnswer()
{
    const Game& game = m_controller.document().game();
    // (An empty board stands for no position on screen.)
    return m_session.accept(game.id, game.current ? game.current->boardAfter() : Board());
}

void EngineTurn::moveFromEngine(const Move& move)
{
    // Arrives from the engine process through the event loop: errors end in
    // the platform's handler.
    m_controller.platform().guard([&] { playAnswer(move); });
}

void EngineTurn::playAnswer(const Move& move)
{
    EngineSession::Callback inCallback(m_session);
    // Only the answer to the position on screen counts; anything else was
    // asked for a position the user has left.
    if (!acceptAnswer()) {
        if (g_pLog)
            g_pLog->write(2, Log::Warning, "Engine move %s ignored: not for this position",
                          move.getAsString().c_str());
        return;
    }
    Move played = move;
    if (!m_controller.session().playMove(played)) {
        if (g_pLog)
            g_pLog->write(1, Log::Error, "Engine error: invalid move %s",
                          move.getAsString().c_str());
        m_session.stop();
        m_controller.platform().message(Platform::MessageError, translated("Error"),
                                        translated("Engine error: invalid move"), 10000);
        return;
    }
    m_controller.completeAction(false);
}

void EngineTurn::engineResigned(const std::string& result, const std::string& text)
{
    EngineSession::Callback inCallback(m_session);
    if (!acceptAnswer())
        return;
    m_controller.document().game().result = Game::str_to_game_result(result);
    m_controller.completeAction(false);
    m_controller.bases().keepGame();
    m_controller.platform().message(Platform::MessageInformation, translated("Engine"),
                                    text.c_str(), 10000);
}

void EngineTurn::engineHasNoMove(const std::string& text)
{
    EngineSession::Callback inCallback(m_session);
    if (!acceptAnswer())
        return;
    m_controller.platform().message(Platform::MessageWarning, translated("Engine"), text.c_str(),
                                    10000);
}

void EngineTurn::engineStopped(const std::string& text)
{
    // The text may belong to the engine stopped here.
    const std::string shown = text;
    m_session.stop();
    m_controller.platform().message(Platform::MessageWarning, translated("Engine"), shown.c_str(),
                                    10000);
}
