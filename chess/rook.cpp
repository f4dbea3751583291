#include "chess/rook.h"

#include "chess/board.h"
#include "chess/movegenerator.h"
#include "chess/slidinggeometry.h"

Rook::Rook(Color c) : Piece(c, TypeRook, c == White ? "rRRr" : "tTRr") {}

int Rook::validateMove(const Board& board, const Move& move, bool ignoreCheck) const
{
    const int result = validateBase(board, move);
    if (result & MoveInvalid)
        return MoveInvalid;
    if (!is_free_line(board, move, true, false))
        return MoveInvalid;
    return validateOwnKing(board, move, ignoreCheck, result);
}

int Rook::generateMoves(const Board& board, const Position& position, Moves* moves) const
{
    return MoveGenerator(board).generatePiece(this, position.x, position.y, moves);
}

void Rook::doMove(Board& board, const Move& move) const
{
    const int home = color == White ? 0 : 7;
    if (move.fromY == home && move.fromX == 7)
        board.flags &= ~(color == White ? Board::WhiteShortCastle : Board::BlackShortCastle);
    else if (move.fromY == home && move.fromX == 0)
        board.flags &= ~(color == White ? Board::WhiteLongCastle : Board::BlackLongCastle);
    Piece::doMove(board, move);
}
