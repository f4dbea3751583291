#pragma once

#include "chess/board.h"

#include <cstdlib>

// Geometry of the sliding pieces: a straight or diagonal line whose inner
// squares are all empty. Coordinates must be on the board.
inline bool is_free_line(const Board& board, const Move& move, bool straight, bool diagonal)
{
    const int dx = move.toX - move.fromX;
    const int dy = move.toY - move.fromY;
    const bool isStraight = (dx == 0) != (dy == 0);
    const bool isDiagonal = dx != 0 && std::abs(dx) == std::abs(dy);
    if (!((straight && isStraight) || (diagonal && isDiagonal)))
        return false;
    const int sx = (dx > 0) - (dx < 0);
    const int sy = (dy > 0) - (dy < 0);
    for (int x = move.fromX + sx, y = move.fromY + sy; x != move.toX || y != move.toY;
         x += sx, y += sy) {
        if (board.squares[y * 8 + x])
            return false;
    }
    return true;
}
