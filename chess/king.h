#pragma once

#include "chess/piece.h"

// King: one step in any direction and castling; any king move clears both
// castling rights of its colour.
class King : public Piece {
public:
    explicit King(Color color);
    int validateMove(const Board& board, const Move& move, bool ignoreCheck) const override;
    void doMove(Board& board, const Move& move) const override;
    int generateMoves(const Board& board, const Position& position, Moves* moves) const override;

    bool isShortCastle(const Board& board, const Move& move) const;
    bool isLongCastle(const Board& board, const Move& move) const;
};
