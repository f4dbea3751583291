#pragma once

#include "qt/dialog.h"

#include <vector>

class Game;

// The evaluation graph of a reviewed game on a page of its own, the whole
// window; any key or touch closes it.
class EvalGraphDialog : public Dialog {
    Q_OBJECT
public:
    // game: open, with "[%eval]" comments from a review.
    EvalGraphDialog(QWidget* parent, const Game& game);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::vector<double> m_curve;
    int m_current = -1;
    QString m_title;
};
