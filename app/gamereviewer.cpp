#include "app/gamereviewer.h"

#include "app/chesscontroller.h"
#include "core/exception.h"
#include "core/trans.h"
#include "engine/enginebestmove.h"
#include "engine/enginedescriptor.h"
#include "engine/enginefactory.h"
#include "engine/enginelevel.h"
#include "engine/enginesettings.h"
#include "game/game.h"

#include <cstdio>

GameReviewer::GameReviewer(ChessController& controller) : m_controller(controller)
{
    QObject::connect(&m_analysis, &EngineAnalysis::analysed,
                     [this](const EngineInfo& info, const Moves& line) {
                         m_controller.platform().guard([&] { onAnalysed(info, line); });
                     });
    QObject::connect(&m_analysis, &EngineAnalysis::failed, [this](const QString& text) {
        m_controller.platform().guard([&] { onFailed(text.toUtf8().toStdString()); });
    });
}

GameReviewer::~GameReviewer() = default;

void GameReviewer::toggleReview()
{
    Platform& platform = m_controller.platform();
    const char* title = translated("Review Game");
    if (m_running) {
        pause();
        platform.message(Platform::MessageInformation, title,
                         translated("The review stopped; Review Game resumes it."), 10000);
        return;
    }
    ChessDocument& document = m_controller.document();
    const Game& game = document.game();
    if (!game.isOpen() || document.hasError() || document.isPuzzle()) {
        platform.message(Platform::MessageInformation, title,
                         translated("Only a game can be reviewed."), 10000);
        return;
    }
    auto fresh = std::make_unique<GameReview>(game);
    if (fresh->moveCount() == 0) {
        platform.message(Platform::MessageInformation, title, translated("The game has no moves."),
                         10000);
        return;
    }
    // The same moves again: the evaluations made so far stay.
    if (!m_review || m_gameId != game.id || !m_review->sameMoves(*fresh)) {
        m_review = std::move(fresh);
        m_gameId = game.id;
    }
    if (m_review->isComplete()) {
        apply();
        return;
    }
    const EngineFactory& engines = EngineFactory::instance();
    const int index =
        EngineBestMove::hintEngine(m_controller.settings().value(Settings::HintEngine), engines);
    if (index < 0 ||
        engines.getDescriptor(static_cast<unsigned>(index)).getKind() != EngineDescriptor::UCI) {
        platform.message(Platform::MessageInformation, title,
                         translated("A review needs a UCI engine as the hint engine."), 10000);
        return;
    }
    EngineSettings settings;
    settings.level = EngineLevel::kCount - 1;
    settings.moveTimeMs = kMoveTimeMs;
    settings.requestTimeoutS = m_controller.settings().value(Settings::EngineTimeout);
    m_analysis.start(static_cast<unsigned>(index), settings);
    log_info("Review of game %d by %s", game.id, m_analysis.engineName().c_str());
    m_running = true;
    m_shownPercent = -1;
    askNext();
}

void GameReviewer::askNext()
{
    if (m_controller.document().game().id != m_gameId) {
        // Another game is on screen: the review waits for its game.
        pause();
        return;
    }
    showMark();
    const size_t index = m_review->nextPending();
    if (index == m_review->positionCount()) {
        m_running = false;
        m_analysis.stop();
        apply();
        return;
    }
    m_asked = index;
    const Board& position = m_review->position(index > 0 ? index - 1 : 0);
    m_analysis.analyse(position, index > 0 ? m_review->move(index) : Move());
}

void GameReviewer::onAnalysed(const EngineInfo& info, const Moves& line)
{
    if (!m_running)
        return;
    Evaluation evaluation;
    evaluation.mate = info.mate;
    evaluation.score = info.score;
    evaluation.line = line;
    m_review->setEvaluation(m_asked, evaluation);
    askNext();
}

void GameReviewer::onFailed(const std::string& text)
{
    pause();
    m_controller.platform().message(Platform::MessageWarning, translated("Review Game"),
                                    text.c_str(), 10000);
}

void GameReviewer::pause()
{
    m_analysis.stop();
    m_running = false;
    m_controller.document().reviewMark.clear();
    m_controller.updateAllViews(nullptr, false);
}

void GameReviewer::showMark()
{
    const int percent =
        static_cast<int>(100 * m_review->nextPending() / m_review->positionCount()) / 10 * 10;
    if (percent == m_shownPercent)
        return;
    m_shownPercent = percent;
    char text[64];
    snprintf(text, sizeof text, "%s %d%%", translated("Review"), percent);
    m_controller.document().reviewMark = text;
    m_controller.updateAllViews(nullptr, false);
}

void GameReviewer::apply()
{
    ChessDocument& document = m_controller.document();
    Game& game = document.game();
    document.reviewMark.clear();
    if (game.id != m_gameId || !game.isOpen())
        return;
    if (!GameReview(game).sameMoves(*m_review)) {
        m_review.reset();
        m_controller.platform().message(Platform::MessageWarning, translated("Review Game"),
                                        translated("The game changed during the review."), 10000);
        return;
    }
    Game annotated = m_review->annotated(m_analysis.engineName());
    m_controller.openings().tag(annotated);
    game.close(false);
    game.moveText = annotated.moveText;
    game.headers = annotated.headers;
    // Opened again first, so the base sees the moves of a game never stored.
    try {
        game.open();
    } catch (const Exception& e) {
        game.invalidate(e.what());
    }
    m_controller.bases().storeGame();
    if (!game.isOpen()) {
        try {
            game.open();
        } catch (const Exception& e) {
            game.invalidate(e.what());
        }
    }
    const ReviewSummary white = m_review->summary(White);
    const ReviewSummary black = m_review->summary(Black);
    char text[256];
    snprintf(text, sizeof text, "%s: ?! %d  ? %d  ?? %d\n%s: ?! %d  ? %d  ?? %d",
             translated("White"), white.inaccuracies, white.mistakes, white.blunders,
             translated("Black"), black.inaccuracies, black.mistakes, black.blunders);
    m_controller.onSelectGame();
    m_controller.platform().message(Platform::MessageInformation, translated("Review Game"), text,
                                    30000);
}

void GameReviewer::stepMarkedMove(bool forward)
{
    Game& game = m_controller.document().game();
    if (!game.current)
        return;
    const PGNMove* node = next_marked_move(game.current, forward);
    if (!node)
        return;
    game.current = const_cast<PGNMove*>(node);
    m_controller.updateAllViews(nullptr, false);
}
