#pragma once

#include "chess/piece.h"

// Queen: straight and diagonal rays.
class Queen : public Piece {
public:
    explicit Queen(Color color);
    int validateMove(const Board& board, const Move& move, bool ignoreCheck) const override;
    int generateMoves(const Board& board, const Position& position, Moves* moves) const override;
};
