#pragma once

#include "chess/piece.h"

// Bishop: diagonal rays.
class Bishop : public Piece {
public:
    explicit Bishop(Color color);
    int validateMove(const Board& board, const Move& move, bool ignoreCheck) const override;
    int generateMoves(const Board& board, const Position& position, Moves* moves) const override;
};
