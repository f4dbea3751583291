#pragma once

class QRect;

// Where a view sends the screen rectangles it wants repainted. The main
// window forwards them to QWidget::update; tests and benchmarks record them.
// Keeps the views free of the widget library.
class RepaintTarget {
public:
    virtual ~RepaintTarget() = default;
    virtual void invalidate(const QRect& rect) = 0;
};
