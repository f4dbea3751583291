#include "chess/queen.h"

#include "chess/board.h"
#include "chess/movegenerator.h"
#include "chess/slidinggeometry.h"

Queen::Queen(Color c) : Piece(c, TypeQueen, c == White ? "qQQq" : "wWQq") {}

int Queen::validateMove(const Board& board, const Move& move, bool ignoreCheck) const
{
    const int result = validateBase(board, move);
    if (result & MoveInvalid)
        return MoveInvalid;
    if (!is_free_line(board, move, true, true))
        return MoveInvalid;
    return validateOwnKing(board, move, ignoreCheck, result);
}

int Queen::generateMoves(const Board& board, const Position& position, Moves* moves) const
{
    return MoveGenerator(board).generatePiece(this, position.x, position.y, moves);
}
