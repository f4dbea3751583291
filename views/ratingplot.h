#pragma once

#include <vector>

class QPainter;
class QRect;

// The course of a rating drawn for e-ink: black lines on white, no grey, a
// frame with the lowest and the highest value written at its left edge.
void draw_rating_plot(QPainter* painter, const QRect& box, const std::vector<double>& ratings);
