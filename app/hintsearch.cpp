#include "app/hintsearch.h"

#include "app/chesscontroller.h"
#include "app/engineturn.h"
#include "core/trans.h"
#include "engine/enginefactory.h"
#include "game/game.h"
#include "game/pgnmove.h"

HintSearch::HintSearch(ChessController& controller) : m_controller(controller)
{
    QObject::connect(&m_search, &EngineBestMove::found,
                     [this](const Move& move) { onHintFound(move); });
    QObject::connect(&m_search, &EngineBestMove::failed,
                     [this](const QString& text) { onHintFailed(text.toUtf8().toStdString()); });
}

void HintSearch::engineHint()
{
    const ChessDocument& document = m_controller.document();
    const Game& game = document.game();
    const PGNMove* current = game.current;
    if (!current || !game.errorText.empty() || document.isOver() || game.result != ResultInProgress)
        return;
    const Board position = current->boardAfter();
    // Only on the player's turn, and once per position.
    if (EngineTurn::isEngineSlot(position.getColorToMove() == White ? game.whitePlayer
                                                                    : game.blackPlayer))
        return;
    if ((m_search.isRunning() || !document.hint.isNull()) && isHintCurrent())
        return;
    const EngineFactory& engines = EngineFactory::instance();
    const int index =
        EngineBestMove::hintEngine(m_controller.settings().value(Settings::HintEngine), engines);
    if (index < 0) {
        m_controller.platform().message(Platform::MessageInformation, translated("Hint"),
                                        translated("A hint needs a UCI engine in the engine list."),
                                        10000);
        return;
    }
    clearHint();
    m_gameId = game.id;
    m_position = position;
    log_info("Hint asked of %s", engines.getEngineName(static_cast<unsigned>(index)));
    Board asked;
    Move last;
    current->engineRequest(&asked, &last);
    m_search.start(static_cast<unsigned>(index), asked, last);
}

bool HintSearch::isHintCurrent() const
{
    const Game& game = m_controller.document().game();
    return game.current && game.id == m_gameId && game.current->boardAfter() == m_position;
}

void HintSearch::dropStaleHint()
{
    if ((m_search.isRunning() || !m_controller.document().hint.isNull()) && !isHintCurrent())
        clearHint();
}

void HintSearch::clearHint()
{
    m_search.cancel();
    m_controller.document().hint = Move();
}

void HintSearch::onHintFound(const Move& move)
{
    if (!isHintCurrent()) {
        log_info("Hint %s dropped: the position changed", move.getAsString().c_str());
        return;
    }
    log_info("Hint: %s", move.getAsString().c_str());
    m_controller.document().hint = move;
    // Only the two squares are repainted.
    m_controller.screen().boardView().update(&m_controller.platform());
}

void HintSearch::onHintFailed(const std::string& text)
{
    if (isHintCurrent())
        m_controller.platform().message(Platform::MessageWarning, translated("Hint"), text.c_str(),
                                        10000);
}
