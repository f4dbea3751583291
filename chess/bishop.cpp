#include "chess/bishop.h"

#include "chess/board.h"
#include "chess/movegenerator.h"
#include "chess/slidinggeometry.h"

Bishop::Bishop(Color c) : Piece(c, TypeBishop, c == White ? "bBBb" : "vVBb") {}

int Bishop::validateMove(const Board& board, const Move& move, bool ignoreCheck) const
{
    const int result = validateBase(board, move);
    if (result & MoveInvalid)
        return MoveInvalid;
    if (!is_free_line(board, move, false, true))
        return MoveInvalid;
    return validateOwnKing(board, move, ignoreCheck, result);
}

int Bishop::generateMoves(const Board& board, const Position& position, Moves* moves) const
{
    return MoveGenerator(board).generatePiece(this, position.x, position.y, moves);
}
