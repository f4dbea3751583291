#include "chess/piece.h"

#include "chess/board.h"
#include "chess/movegenerator.h"

#include <cstring>

Piece::Piece(Color c, Type t, const char symbols[4]) : color(c), type(t)
{
    memcpy(m_symbols, symbols, sizeof m_symbols);
}

Piece::~Piece() = default;

int Piece::validateBase(const Board& board, const Move& move) const
{
    if (static_cast<unsigned>(move.fromX) >= 8 || static_cast<unsigned>(move.fromY) >= 8 ||
        static_cast<unsigned>(move.toX) >= 8 || static_cast<unsigned>(move.toY) >= 8)
        return MoveInvalid;
    if (move.fromX == move.toX && move.fromY == move.toY)
        return MoveInvalid;
    if (board.squares[move.fromY * 8 + move.fromX] != this)
        return MoveInvalid;
    const Piece* target = board.squares[move.toY * 8 + move.toX];
    if (!target)
        return 0;
    return target->color == color ? MoveInvalid : MoveCapture;
}

int Piece::validateOwnKing(const Board& board, const Move& move, bool ignoreCheck, int result) const
{
    // The own-king test is the costly one, so it runs after the geometry; the
    // outcome is the same as running it first.
    if (result & MoveInvalid)
        return MoveInvalid;
    if (!ignoreCheck && isMyKingUnderCheckAfterMyMove(board, move))
        return MoveInvalid;
    return result;
}

int Piece::validateMove(const Board& board, const Move& move, bool ignoreCheck) const
{
    return validateOwnKing(board, move, ignoreCheck, validateBase(board, move));
}

void Piece::doMove(Board& board, const Move& move) const
{
    if (static_cast<unsigned>(move.fromX) >= 8 || static_cast<unsigned>(move.fromY) >= 8 ||
        static_cast<unsigned>(move.toX) >= 8 || static_cast<unsigned>(move.toY) >= 8)
        return;
    const int from = move.fromY * 8 + move.fromX;
    board.squares[move.toY * 8 + move.toX] = board.squares[from];
    if (move.fromX != move.toX || move.fromY != move.toY)
        board.squares[from] = nullptr;
    board.enPassantX = -1;
    board.enPassantY = -1;
}

bool Piece::isMyKingUnderCheckAfterMyMove(const Board& board, const Move& move) const
{
    Board copy = board;
    doMove(copy, move);
    const Position king = copy.getKingPosition(color);
    if (!king.isValid())
        return false;
    return MoveGenerator::isAttacked(copy.squares, king.index(), opposite_color(color));
}

char Piece::getSymbol(int index) const
{
    return index >= 0 && index < 4 ? m_symbols[index] : '-';
}

char Piece::piece_type_to_char(int type)
{
    return type >= 0 && type < 7 ? "-PNBRQK"[type] : '-';
}
