#include "chess/pawn.h"

#include "chess/board.h"
#include "chess/movegenerator.h"
#include "chess/piecesset.h"

#include <cstdlib>

Pawn::Pawn(Color c) : Piece(c, TypePawn, c == White ? "pPPp" : "oOPp") {}

int Pawn::validateMove(const Board& board, const Move& move, bool ignoreCheck) const
{
    int result = validateBase(board, move);
    if (result & MoveInvalid)
        return MoveInvalid;
    const int d = color == White ? 1 : -1;
    const int last = color == White ? 7 : 0;
    const int dx = move.toX - move.fromX;
    if (dx == 0) {
        if (board.getPiece(move.fromX, move.fromY + d))
            return MoveInvalid;
        if (move.toY == move.fromY + d) {
            // single step
        } else if (move.toY == move.fromY + 2 * d && move.fromY == (color == White ? 1 : 6) &&
                   !board.getPiece(move.toX, move.toY)) {
            // double step
        } else {
            return MoveInvalid;
        }
    } else {
        if (std::abs(dx) != 1 || move.toY != move.fromY + d)
            return MoveInvalid;
        if (!board.getPiece(move.toX, move.toY)) {
            if (move.toX != board.enPassantX || move.toY != board.enPassantY)
                return MoveInvalid;
            result = MoveCapture;
        }
    }
    if (move.toY == last) {
        // Only a knight, bishop, rook or queen may be chosen (0 leaves the
        // choice to the caller).
        if (move.promotion != TypeNone &&
            (move.promotion < TypeKnight || move.promotion > TypeQueen))
            return MoveInvalid;
        result |= MovePromotion;
    }
    return validateOwnKing(board, move, ignoreCheck, result);
}

void Pawn::doMove(Board& board, const Move& move) const
{
    if (static_cast<unsigned>(move.fromX) >= 8 || static_cast<unsigned>(move.fromY) >= 8 ||
        static_cast<unsigned>(move.toX) >= 8 || static_cast<unsigned>(move.toY) >= 8)
        return;
    const Position enPassant = board.getEnPassant();
    Piece::doMove(board, move);
    const int dx = move.toX - move.fromX;
    const int dy = move.toY - move.fromY;
    // A pawn becomes a knight, bishop, rook or queen on its last rank only.
    const int last = color == White ? 7 : 0;
    if (move.toY == last && move.promotion >= TypeKnight && move.promotion <= TypeQueen)
        board.squares[move.toY * 8 + move.toX] =
            PiecesSet::get_pieces_set()->getPiece(static_cast<Type>(move.promotion), color);
    if (std::abs(dy) == 2) {
        board.enPassantX = move.fromX;
        board.enPassantY = move.fromY + dy / 2;
    } else if (std::abs(dx) == 1 && std::abs(dy) == 1 && enPassant.isValid() &&
               enPassant == move.getTo()) {
        board.squares[move.fromY * 8 + move.toX] = nullptr;
    }
}

int Pawn::generateMoves(const Board& board, const Position& position, Moves* moves) const
{
    return MoveGenerator(board).generatePiece(this, position.x, position.y, moves);
}
