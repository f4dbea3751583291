#pragma once

#include "core/gameresult.h"
#include "views/abstractview.h"
#include "views/viewstate.h"

#include <string>

class QFont;

// The one-line header above the board: a puzzle's number, task and the
// solved/total counts of its heading and its base, a book position's heading,
// or the players with the result between them. It repaints only when the
// game's flags, result, row id or the counts change, so ordinary moves leave
// it alone on the e-ink panel.
class GameInfoView : public AbstractView {
public:
    explicit GameInfoView(const ViewState* state);

    void setRect(const Rect& rect) override;
    void update(RepaintTarget* target) override;
    void paint(QPainter* painter, const QRect& region) override;

    // "37. Black to move · mate in 2 · 1853 · 3/150 · 112/2000": number,
    // task, solved/total under the heading (when it is not the whole base)
    // and in the base, " - solved!" once solved.
    std::string puzzleText() const;
    void drawPuzzleInfo(QPainter* painter) const;
    void drawBookInfo(QPainter* painter) const;
    void drawGameInfo(QPainter* painter) const;

    void setPuzzleFont(const QFont* font) { m_puzzleFont = font; }
    void setResultFont(const QFont* font) { m_resultFont = font; }
    void setNamesFont(const QFont* font) { m_namesFont = font; }

private:
    const ViewState* m_state;
    int m_shownFlags = -1;
    int m_shownResult = -1;
    int m_shownGameId = -1;
    ViewState::PuzzleProgress m_shownProgress;
    int m_shownRating = 0;
    const QFont* m_puzzleFont = nullptr;
    const QFont* m_resultFont = nullptr;
    const QFont* m_namesFont = nullptr;
};
