#include "chess/piece.h"

#include "chess/board.h"

namespace {
// Indexed by square code; the codes 0, 7, 8 and 15 hold no piece.
constexpr Piece kPieces[16] = {
    {Piece::TypeNone, White, "----"},   {Piece::TypePawn, White, "pPPp"},
    {Piece::TypeKnight, White, "nNNn"}, {Piece::TypeBishop, White, "bBBb"},
    {Piece::TypeRook, White, "rRRr"},   {Piece::TypeQueen, White, "qQQq"},
    {Piece::TypeKing, White, "kKKk"},   {Piece::TypeNone, White, "----"},
    {Piece::TypeNone, Black, "----"},   {Piece::TypePawn, Black, "oOPp"},
    {Piece::TypeKnight, Black, "mMNn"}, {Piece::TypeBishop, Black, "vVBb"},
    {Piece::TypeRook, Black, "tTRr"},   {Piece::TypeQueen, Black, "wWQq"},
    {Piece::TypeKing, Black, "lLKk"},   {Piece::TypeNone, Black, "----"},
};
} // namespace

const Piece* Piece::of(uint8_t code)
{
    return code < 16 && kPieces[code].type != TypeNone ? &kPieces[code] : nullptr;
}

const Piece* Piece::get(Type type, Color color)
{
    if (static_cast<int>(color) < 0 || static_cast<int>(color) > 1)
        return nullptr;
    return of(code(type, color));
}

char Piece::getSymbol(int index) const
{
    return index >= 0 && index < 4 ? m_symbols[index] : '-';
}

char Piece::piece_type_to_char(int type)
{
    return type >= 0 && type < 7 ? "-PNBRQK"[type] : '-';
}
