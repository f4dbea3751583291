#pragma once

#include "chess/piece.h"

// Rook: straight rays; leaving its corner clears that castling right.
class Rook : public Piece {
public:
    explicit Rook(Color color);
    int validateMove(const Board& board, const Move& move, bool ignoreCheck) const override;
    void doMove(Board& board, const Move& move) const override;
    int generateMoves(const Board& board, const Position& position, Moves* moves) const override;
};
