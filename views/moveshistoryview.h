#pragma once

#include "views/abstractview.h"

class ViewState;
class PGNElement;
class PGNMove;
class QFont;

// The move text of the shown game, flowed like a paragraph into the view and
// cut into pages. The layout lives in the elements of the game's list (page
// and rectangle), so after a new move only the new words are measured;
// setRect with another rectangle throws the layout away.
class MovesHistoryView : public AbstractView {
public:
    explicit MovesHistoryView(const ViewState* state);

    // A different rectangle resets the layout; the same one changes nothing.
    void setRect(const Rect& rect) override;
    // Marks every element as not laid out.
    void resetLayout();
    // Places the elements not laid out yet.
    void layout(QPainter* painter);
    // Places one word at the cursor (x, y), both moved on; the word's
    // rectangle goes to out when given. newPage tells whether the word
    // opened a new page; newLine forces a line break before it.
    void layoutWord(QPainter* painter, int& x, int& y, const char* text, int space, Rect* out,
                    bool& newPage, bool newLine, int depth) const;

    void paint(QPainter* painter, const QRect& region) override;
    // Invalidates the whole view: a new word may turn the page.
    void update(RepaintTarget* target) override;

    // The move on the shown page whose rectangle holds the point strictly
    // inside, or null.
    PGNMove* findMoveFromXY(int x, int y) const;

    int getShownPage() const { return m_shownPage; }
    void setShownPage(int page) { m_shownPage = page; }
    int getPageCount() const { return m_pageCount; }
    void setTextFont(const QFont* font) { m_textFont = font; }
    void setMoveFont(const QFont* font) { m_moveFont = font; }

    // Number of words measured by layout since the view was made: what the
    // incremental layout keeps small.
    long getMeasuredWords() const { return m_measuredWords; }

private:
    PGNElement* firstElement() const;

    const ViewState* m_state;
    int m_innerMargin = 10;
    int m_shownPage = -1;
    int m_pageCount = 0;
    const QFont* m_textFont = nullptr;
    const QFont* m_moveFont = nullptr;
    mutable long m_measuredWords = 0;
};
