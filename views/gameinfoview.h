#pragma once

#include "core/gameresult.h"
#include "views/abstractview.h"
#include "views/viewstate.h"

#include <string>

class QFont;
class QRect;

// The one-line header above the board: a puzzle's number, task and the
// solved/total counts of its heading and its base, a book position's heading,
// or the players with the result between them, the clocks beside the result
// and a bar under the name of the side to move (dashed while its engine
// thinks); under a game's line the opening and the mark of a running review.
// It repaints only when the game's flags, result, row id, the counts, the
// opening or the review mark change, so ordinary moves leave it alone on the
// e-ink panel; a clock or a bar repaints its own strip alone.
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
    // The opening and the review mark, in the lower third of the view.
    void drawOpeningLine(QPainter* painter) const;
    // The strip under a player's name that holds its bar.
    QRect markRect(Color side) const;
    bool hasOpeningLine() const;
    int openingLinePixels() const;
    QRect openingLineBox() const;

    void setPuzzleFont(const QFont* font) { m_puzzleFont = font; }
    void setResultFont(const QFont* font) { m_resultFont = font; }
    void setNamesFont(const QFont* font) { m_namesFont = font; }

    // Where a side's clock is drawn: beside the result, White's on the left.
    QRect clockBox(int side) const;

private:
    enum Mark { NoMark = 0, ToMove = 1, Thinking = 2 };
    Mark markOf(Color side) const;
    void drawMark(QPainter* painter, Color side, int left, int width) const;

    const ViewState* m_state;
    Mark m_shownMarks[2] = {NoMark, NoMark};
    int m_shownFlags = -1;
    int m_shownResult = -1;
    int m_shownGameId = -1;
    std::string m_shownNames;
    ViewState::PuzzleProgress m_shownProgress;
    std::string m_shownOpening;
    std::string m_shownReviewMark;
    bool m_shownClock = false;
    std::string m_shownClockText[2];
    int m_shownRating = 0;
    const QFont* m_puzzleFont = nullptr;
    const QFont* m_resultFont = nullptr;
    const QFont* m_namesFont = nullptr;
};
