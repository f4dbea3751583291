// The player's aids: a hint and taking moves back.
#include "app/chessabstract.h"

#include "core/trans.h"
#include "engine/enginedescriptor.h"
#include "engine/enginefactory.h"
#include "game/game.h"
#include "game/pgnmove.h"

bool ChessAbstract::isEngineSlot(int slot)
{
    const EngineFactory& engines = EngineFactory::instance();
    return slot > 0 && static_cast<unsigned>(slot) < engines.getEngineCount() &&
           engines.getDescriptor(static_cast<unsigned>(slot)).getKind() != EngineDescriptor::Human;
}

void ChessAbstract::hint()
{
    if (m_document.isPuzzle()) {
        puzzleHint();
        return;
    }
    const Game& game = m_document.game();
    if (isEngineSlot(game.whitePlayer) || isEngineSlot(game.blackPlayer))
        engineHint();
}

void ChessAbstract::engineHint()
{
    const Game& game = m_document.game();
    const PGNMove* current = game.current;
    if (!current || !game.errorText.empty() || current->result != ResultInProgress ||
        game.result != ResultInProgress)
        return;
    const Board position = current->boardAfter();
    // Only on the player's turn, and once per position.
    if (isEngineSlot(position.getColorToMove() == White ? game.whitePlayer : game.blackPlayer))
        return;
    if ((m_hintSearch.isRunning() || !m_document.hint.isNull()) && isHintCurrent())
        return;
    const EngineFactory& engines = EngineFactory::instance();
    const int index = EngineBestMove::hintEngine(m_settings.value(Settings::HintEngine), engines);
    if (index < 0) {
        message(MessageInformation, translated("Hint"),
                translated("A hint needs a UCI engine in the engine list."), 10000);
        return;
    }
    clearHint();
    m_hintGameId = game.id;
    m_hintPosition = position;
    logInfo("Hint asked of %s", engines.getEngineName(static_cast<unsigned>(index)));
    const bool atStart = current == game.root || !current->parent;
    m_hintSearch.start(static_cast<unsigned>(index), atStart ? position : current->boardBefore(),
                       atStart ? Move() : current->move);
}

bool ChessAbstract::isHintCurrent() const
{
    const Game& game = m_document.game();
    return game.current && game.id == m_hintGameId && game.current->boardAfter() == m_hintPosition;
}

void ChessAbstract::dropStaleHint()
{
    if ((m_hintSearch.isRunning() || !m_document.hint.isNull()) && !isHintCurrent())
        clearHint();
}

void ChessAbstract::clearHint()
{
    m_hintSearch.cancel();
    m_document.hint = Move();
}

void ChessAbstract::onHintFound(const Move& move)
{
    if (!isHintCurrent()) {
        logInfo("Hint %s dropped: the position changed", move.getAsString().c_str());
        return;
    }
    logInfo("Hint: %s", move.getAsString().c_str());
    m_document.hint = move;
    // Only the two squares are repainted.
    m_boardView.update(this);
}

void ChessAbstract::onHintFailed(const std::string& text)
{
    if (isHintCurrent())
        message(MessageWarning, translated("Hint"), text.c_str(), 10000);
}

void ChessAbstract::takeBack()
{
    Game& game = m_document.game();
    PGNMove* current = game.current;
    if (!current || !current->parent || !game.errorText.empty() || m_document.isPuzzle())
        return;
    // Against an engine back to the player's last move, between two people
    // one move.
    PGNMove* from = current;
    const bool whiteEngine = isEngineSlot(game.whitePlayer);
    if (whiteEngine != isEngineSlot(game.blackPlayer)) {
        const Color player = whiteEngine ? Black : White;
        while (from->parent && from->parent->colorToMove() != player)
            from = from->parent;
        if (!from->parent)
            return;
    }
    // Its answer would be for a position that is gone.
    if (m_engine.isWaiting())
        deleteEngine();
    const std::string first = from->text;
    const bool mainLine = from->depth == 0;
    PGNMove* const back = from->parent;
    const bool removed = !current->findNextMove() && game.removeLineFrom(from);
    game.current = back;
    // A main line that ended (mate, resignation) goes on again.
    if (removed && mainLine)
        game.result = ResultInProgress;
    logInfo("Take back from %s, moves %s", first.c_str(), removed ? "removed" : "kept");
    m_document.selection = Position();
    completeAction(false);
}
