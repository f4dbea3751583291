#pragma once

#include <QRect>

#include <vector>

class QPainter;

// The evaluation graph of a game for an e-ink panel: black on white, no grey.
// Each position's evaluation (pawns, White's view) is drawn on the scale of
// winning chances, so that a lost or won game fills the height without a
// single mate flattening the rest; White's advantage is filled black above
// the middle line, Black's below it. A vertical bar marks the position on
// screen (current: its index, -1 for none).
void draw_eval_graph(QPainter* painter, const QRect& box, const std::vector<double>& curve,
                     int current);
