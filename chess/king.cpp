#include "chess/king.h"

#include "chess/board.h"
#include "chess/movegenerator.h"

#include <cstdlib>

King::King(Color c) : Piece(c, TypeKing, c == White ? "kKKk" : "lLKk") {}

bool King::isShortCastle(const Board& board, const Move& move) const
{
    if (move.fromY != move.toY || move.fromX != 4 || move.toX != 6)
        return false;
    const Piece* rook = board.getPiece(7, move.fromY);
    if (!rook || rook->type != TypeRook || rook->color != color)
        return false;
    return board.flags & (color == White ? Board::WhiteShortCastle : Board::BlackShortCastle);
}

bool King::isLongCastle(const Board& board, const Move& move) const
{
    if (move.fromY != move.toY || move.fromX != 4 || move.toX != 2)
        return false;
    const Piece* rook = board.getPiece(0, move.fromY);
    if (!rook || rook->type != TypeRook || rook->color != color)
        return false;
    return board.flags & (color == White ? Board::WhiteLongCastle : Board::BlackLongCastle);
}

int King::validateMove(const Board& board, const Move& move, bool ignoreCheck) const
{
    int result = validateBase(board, move);
    if (result & MoveInvalid)
        return MoveInvalid;
    const int y = move.fromY;
    const Color enemy = opposite_color(color);
    if (isShortCastle(board, move)) {
        if (board.getPiece(5, y) || board.getPiece(6, y))
            return MoveInvalid;
        for (int x : {4, 5, 6}) {
            if (board.isFieldUnderControl(Position(x, y), enemy, true))
                return MoveInvalid;
        }
        result |= MoveShortCastle;
    } else if (isLongCastle(board, move)) {
        if (board.getPiece(1, y) || board.getPiece(2, y) || board.getPiece(3, y))
            return MoveInvalid;
        for (int x : {2, 3, 4}) {
            if (board.isFieldUnderControl(Position(x, y), enemy, true))
                return MoveInvalid;
        }
        result |= MoveLongCastle;
    } else if (std::abs(move.toX - move.fromX) > 1 || std::abs(move.toY - move.fromY) > 1) {
        return MoveInvalid;
    }
    return validateOwnKing(board, move, ignoreCheck, result);
}

void King::doMove(Board& board, const Move& move) const
{
    if (static_cast<unsigned>(move.fromX) >= 8 || static_cast<unsigned>(move.fromY) >= 8 ||
        static_cast<unsigned>(move.toX) >= 8 || static_cast<unsigned>(move.toY) >= 8)
        return;
    const bool shortCastle = isShortCastle(board, move);
    const bool longCastle = !shortCastle && isLongCastle(board, move);
    Piece::doMove(board, move);
    const int y = move.fromY;
    if (shortCastle) {
        board.squares[y * 8 + 5] = board.squares[y * 8 + 7];
        board.squares[y * 8 + 7] = nullptr;
    } else if (longCastle) {
        board.squares[y * 8 + 3] = board.squares[y * 8];
        board.squares[y * 8] = nullptr;
    }
    board.flags &= ~(color == White ? (Board::WhiteShortCastle | Board::WhiteLongCastle)
                                    : (Board::BlackShortCastle | Board::BlackLongCastle));
}

int King::generateMoves(const Board& board, const Position& position, Moves* moves) const
{
    return MoveGenerator(board).generatePiece(this, position.x, position.y, moves);
}
