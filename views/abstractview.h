#pragma once

#include "views/rect.h"
#include "views/repainttarget.h"

#include <QRect>

class QPainter;

// Base of the three views (board, move list, game information): a screen
// rectangle, a paint step and an invalidation step. Views read the view state
// and never own it.
class AbstractView {
public:
    virtual ~AbstractView() = default;
    // Sends to target the parts of the view whose look changed since they
    // were last shown. The base changes nothing.
    virtual void update(RepaintTarget* target) { (void)target; }
    // Draws the parts of the view that meet region.
    virtual void paint(QPainter* painter, const QRect& region) = 0;
    virtual void setRect(const Rect& rect) = 0;

    const Rect& getRect() const { return m_rect; }
    // The view rectangle in the toolkit's terms.
    QRect viewRect() const { return QRect(m_rect.left, m_rect.top, m_rect.width, m_rect.height); }

protected:
    Rect m_rect;
};
