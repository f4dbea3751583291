#pragma once

#include "engine/engineanalysis.h"
#include "game/gamereview.h"

#include <memory>
#include <string>

class ChessController;

// The review of the game on screen by the hint engine, in the background:
// each position of the main line is evaluated in turn while the board stays
// free; the info view shows only a progress mark. When every position is
// judged the game gets the marks, better lines, evaluations and summary
// (GameReview::annotated) and is stored. A review stopped, or left for
// another game, resumes where it was for the same moves.
class GameReviewer {
public:
    // Time per position: a reader's slower processor searches less deep.
    static constexpr int kMoveTimeMs = 300;

    explicit GameReviewer(ChessController& controller);
    ~GameReviewer();
    GameReviewer(const GameReviewer&) = delete;
    GameReviewer& operator=(const GameReviewer&) = delete;

    // "Review Game": starts or resumes the review; while one runs, stops it.
    void toggleReview();
    bool isRunning() const { return m_running; }
    // Positions judged so far of the review on hand.
    size_t judged() const { return m_review ? m_review->nextPending() : 0; }
    // The move list to the next (or the previous) marked move of the line.
    void stepMarkedMove(bool forward);

private:
    void askNext();
    void onAnalysed(const EngineInfo& info, const Moves& line);
    void onFailed(const std::string& text);
    void pause();
    void apply();
    void showMark();

    ChessController& m_controller;
    EngineAnalysis m_analysis;
    std::unique_ptr<GameReview> m_review;
    int m_gameId = 0;
    size_t m_asked = 0;
    bool m_running = false;
    int m_shownPercent = -1;
};
