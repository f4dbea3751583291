#include "chess/knight.h"

#include "chess/board.h"
#include "chess/movegenerator.h"

#include <cstdlib>

Knight::Knight(Color c) : Piece(c, TypeKnight, c == White ? "nNNn" : "mMNn") {}

int Knight::validateMove(const Board& board, const Move& move, bool ignoreCheck) const
{
    const int result = validateBase(board, move);
    if (result & MoveInvalid)
        return MoveInvalid;
    const int dx = std::abs(move.toX - move.fromX);
    const int dy = std::abs(move.toY - move.fromY);
    if (!((dx == 1 && dy == 2) || (dx == 2 && dy == 1)))
        return MoveInvalid;
    return validateOwnKing(board, move, ignoreCheck, result);
}

int Knight::generateMoves(const Board& board, const Position& position, Moves* moves) const
{
    return MoveGenerator(board).generatePiece(this, position.x, position.y, moves);
}
