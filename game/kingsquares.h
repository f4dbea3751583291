#pragma once

#include "chess/board.h"
#include "chess/move.h"

// The squares of both kings, carried from position to position while the
// move tree is built, so they need not be searched for at every move. Known
// only while each side has exactly one king; otherwise get() searches the
// board as Board::getKingPosition does.
class KingSquares {
public:
    // Searches the board.
    void find(const Board& board);
    // The squares after the move, given the squares and the board before it.
    void update(const Board& before, const Move& move);

    Position get(const Board& board, Color color) const
    {
        if (!m_known)
            return board.getKingPosition(color);
        return Position(m_square[color] & 7, m_square[color] >> 3);
    }

private:
    int m_square[2] = {-1, -1};
    bool m_known = false;
};
