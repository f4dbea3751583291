#include "chess/bishop.h"
#include "chess/board.h"
#include "chess/king.h"
#include "chess/knight.h"
#include "chess/pawn.h"
#include "chess/perft.h"
#include "chess/queen.h"
#include "chess/rook.h"
#include "chess/san.h"
#include "core/exception.h"

#include <cstring>

Piece::Piece(Color c, Type t, const char symbols[4]) : color(c), type(t)
{
    memcpy(m_symbols, symbols, 4);
}
Piece::~Piece() = default;
int Piece::validateMove(const Board&, const Move&, bool) const
{
    return 1;
}
void Piece::doMove(Board&, const Move&) const {}
int Piece::generateMove(const Board&, const Move&, Moves*) const
{
    return 0;
}
bool Piece::isMyKingUnderCheckAfterMyMove(const Board&, const Move&) const
{
    return false;
}
char Piece::getSymbol(int index) const
{
    return index >= 0 && index < 4 ? m_symbols[index] : ' ';
}
char Piece::piece_type_to_char(int t)
{
    return t >= 0 && t < 7 ? "-PNBRQK"[t] : '-';
}
int Piece::validateBase(const Board&, const Move&, bool) const
{
    return 1;
}
#define STUB_PIECE(C, S0, S1, S2)                                                                  \
    C::C(Color c) : Piece(c, Type##C, c == White ? S0 : S1) {}                                     \
    int C::validateMove(const Board&, const Move&, bool) const                                     \
    {                                                                                              \
        return 1;                                                                                  \
    }                                                                                              \
    int C::generateMoves(const Board&, const Position&, Moves*) const                              \
    {                                                                                              \
        return 0;                                                                                  \
    }
STUB_PIECE(Pawn, "pPPp", "oOPp", 0)
STUB_PIECE(Knight, "nNNn", "mMNn", 0)
STUB_PIECE(Bishop, "bBBb", "vVBb", 0)
STUB_PIECE(Rook, "rRRr", "tTRr", 0)
STUB_PIECE(Queen, "qQQq", "wWQq", 0)
STUB_PIECE(King, "kKKk", "lLKk", 0)
void Pawn::doMove(Board&, const Move&) const {}
void Rook::doMove(Board&, const Move&) const {}
void King::doMove(Board&, const Move&) const {}
bool King::isShortCastle(const Board&, const Move&) const
{
    return false;
}
bool King::isLongCastle(const Board&, const Move&) const
{
    return false;
}

Board::Board()
    : flags(0), squares(), enPassantX(-1), enPassantY(-1), fullMoveNumber(1), halfMoveClock(0)
{
}
void Board::clear() {}
void Board::create_classic_board() {}
Position Board::getKingPosition(Color) const
{
    return Position();
}
bool Board::isFieldUnderControl(const Position&, Color, bool) const
{
    return false;
}
bool Board::isCheck(Color) const
{
    return false;
}
bool Board::isNoMoves(Color) const
{
    return true;
}
int Board::validateMove(const Move&, bool) const
{
    return 1;
}
void Board::doMove(const Move&) {}
bool Board::isInsufficientMaterial() const
{
    return false;
}
bool Board::operator==(const Board&) const
{
    return true;
}
void Board::importFromFEN(const std::string&)
{
    throw Exception(false, "not yet");
}
std::string Board::exportToFEN() const
{
    return "";
}
int Board::generateMoves(Color, Moves*) const
{
    return 0;
}
std::string move_to_san(const Board&, const Move&)
{
    return "";
}
Move move_from_san(const Board&, Color, const std::string&)
{
    throw Exception(false, "not yet");
}
uint64_t perft(const Board&, int)
{
    return 0;
}
