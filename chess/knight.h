#pragma once

#include "chess/piece.h"

// Knight: the eight L-shaped jumps.
class Knight : public Piece {
public:
    explicit Knight(Color color);
    int validateMove(const Board& board, const Move& move, bool ignoreCheck) const override;
    int generateMoves(const Board& board, const Position& position, Moves* moves) const override;
};
