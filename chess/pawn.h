#pragma once

#include "chess/piece.h"

// Pawn: steps, double step from its second rank, captures, en passant and
// promotion (the promotion piece comes with the move).
class Pawn : public Piece {
public:
    explicit Pawn(Color color);
    int validateMove(const Board& board, const Move& move, bool ignoreCheck) const override;
    void doMove(Board& board, const Move& move) const override;
    int generateMoves(const Board& board, const Position& position, Moves* moves) const override;
};
