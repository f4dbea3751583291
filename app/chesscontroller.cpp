#include "app/chesscontroller.h"

#include "core/trans.h"

#include <cstdarg>
#include <cstdio>

ChessController::ChessController(ConfigFileAbstract& config, Platform& platform)
    : m_settings(&config), m_platform(platform), m_screen(m_settings, m_document, platform),
      m_engine(*this), m_hints(*this), m_session(*this), m_puzzles(*this), m_bases(*this),
      m_input(*this), m_openings(*this), m_reviewer(*this), m_clock(*this)
{
    m_engine.setLevel(m_engine.getLevel());
    m_session.setPromotion(m_session.getPromotion());
    m_screen.setBoardAnnotation();
    m_document.automaticDraws = m_settings.flag(Settings::DrawAutomatic);
    m_document.engineThinking = [this] { return m_engine.isEngineThinkingHere(); };
}

ChessController::~ChessController()
{
    m_engine.stopEngine();
}

void ChessController::updateAllViews(const AbstractView* except, bool full)
{
    m_hints.dropStaleHint();
    m_openings.refresh();
    m_screen.updateViews(except, full);
}

void ChessController::completeAction(bool full)
{
    const std::string text = m_session.checkGameState();
    m_clock.sync();
    updateAllViews(nullptr, full);
    if (!text.empty())
        m_platform.message(Platform::MessageInformation, translated("Game"), text.c_str(), 60000);
}

void ChessController::onSelectGame()
{
    m_hints.clearHint();
    m_puzzles.reset();
    m_puzzles.refreshPuzzleProgress(false);
    m_document.selection = Position();
    m_document.cursor = m_document.isSolvedPuzzle() ? Position() : Position(3, 3);
    completeAction(true);
    m_platform.fullRefresh();
}

void ChessController::continueGame()
{
    setMode(ViewState::BoardMode);
    completeAction(false);
    m_platform.fullRefresh();
    askEngineIfDue();
}

void ChessController::askEngineIfDue()
{
    // Back at a position where the engine is to move but was not asked (its
    // answer came while the user was looking elsewhere): ask it now.
    if (m_engine.isEngineTurnDue())
        m_engine.playEngineMove();
}

void ChessController::startEngineTurn()
{
    m_platform.defer(0, [this] { m_engine.playEngineMove(); });
}

void ChessController::setMode(ViewState::GameMode mode)
{
    if (mode == m_document.mode)
        return;
    m_document.mode = mode;
    m_document.selection = Position();
}

void ChessController::showHistory()
{
    setMode(ViewState::HistoryMode);
    updateAllViews(nullptr, true);
}

void ChessController::hint()
{
    if (m_document.isPuzzle()) {
        m_puzzles.puzzleHint();
        return;
    }
    const Game& game = m_document.game();
    if (EngineTurn::isEngineSlot(game.whitePlayer) || EngineTurn::isEngineSlot(game.blackPlayer))
        m_hints.engineHint();
}

bool ChessController::canHint() const
{
    const Game& game = m_document.game();
    const PGNMove* current = game.current;
    if (!current || !game.errorText.empty())
        return false;
    if (m_document.isPuzzle()) {
        const PGNMove* next = current->findNextMove();
        return canShowSolution() && next && next->hidden;
    }
    const bool whiteEngine = EngineTurn::isEngineSlot(game.whitePlayer);
    if (whiteEngine == EngineTurn::isEngineSlot(game.blackPlayer) || !m_session.isGameInPlay())
        return false;
    return (current->colorToMove() == White) != whiteEngine;
}

bool ChessController::canShowSolution() const
{
    return m_document.isPuzzle() && !m_document.isSolvedPuzzle() &&
           !m_puzzles.isShowingSolution() && m_document.game().errorText.empty();
}

void ChessController::onSettings()
{
    if (g_pTrans)
        g_pTrans->load(static_cast<unsigned>(m_settings.value(Settings::Lang)));
    m_platform.createMainMenu();
    m_engine.setOpponent(m_engine.getOpponent());
    m_engine.followOpponent();
    m_engine.setLevel(m_engine.getLevel());
    m_screen.setBoardAnnotation();
    m_document.automaticDraws = m_settings.flag(Settings::DrawAutomatic);
    m_screen.layout(m_platform.getClientRect());
    updateAllViews(nullptr, true);
}

void ChessController::showError(const char* text, Log::MsgType type) const
{
    if (g_pLog)
        g_pLog->write(1, type, "Error: %s", text);
    m_platform.message(Platform::MessageError, translated("Error"), text, 0);
}

void log_info(const char* format, ...)
{
    if (!g_pLog)
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    g_pLog->write(2, Log::Info, "%s", text);
}
