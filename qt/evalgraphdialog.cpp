#include "qt/evalgraphdialog.h"

#include "core/trans.h"
#include "game/game.h"
#include "game/gamereview.h"
#include "views/evalgraph.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

EvalGraphDialog::EvalGraphDialog(QWidget* parent, const Game& game)
    : Dialog(parent), m_curve(read_eval_curve(game))
{
    // The position on screen: its distance from the start on the main line.
    int ply = 0;
    for (const PGNMove* node = game.current; node && node->parent; node = node->parent)
        ++ply;
    m_current = ply;
    m_title = QString::fromUtf8(translated("Evaluation")) + QStringLiteral(": ") +
              QString::fromStdString(game.white) + QStringLiteral(" - ") +
              QString::fromStdString(game.black);
    setWindowTitle(QString::fromUtf8(translated("Evaluation")));
    if (parent)
        setGeometry(parent->geometry());
}

void EvalGraphDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    const int line = fontMetrics().height() * 2;
    painter.drawText(QRect(10, 0, width() - 20, line), Qt::AlignCenter, m_title);
    const int h = std::min(height() - line - 20, width() * 2 / 3);
    draw_eval_graph(&painter, QRect(10, line, width() - 20, h), m_curve, m_current);
}

void EvalGraphDialog::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    accept();
}

void EvalGraphDialog::mousePressEvent(QMouseEvent*)
{
    accept();
}
