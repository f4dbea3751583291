#include "engine/engineanswer.h"

#include "chess/piece.h"

bool legal_engine_answer(const Board& board, Move& move)
{
    const Piece* piece = board.getPiece(move.fromX, move.fromY);
    if (move.isNull() || !piece || piece->color != board.getColorToMove())
        return false;
    const int bits = board.validateMove(move, false);
    if (bits & Piece::MoveInvalid)
        return false;
    if (!(bits & Piece::MovePromotion))
        return move.promotion == 0;
    if (move.promotion == 0)
        move.promotion = Piece::TypeQueen;
    return move.promotion >= Piece::TypeKnight && move.promotion <= Piece::TypeQueen;
}
