#include "chess/piecesset.h"

#include "chess/bishop.h"
#include "chess/king.h"
#include "chess/knight.h"
#include "chess/pawn.h"
#include "chess/queen.h"
#include "chess/rook.h"

namespace {
PiecesSet* g_piecesSet = nullptr;
}

PiecesSet* PiecesSet::get_pieces_set()
{
    if (!g_piecesSet)
        g_piecesSet = new PiecesSet();
    return g_piecesSet;
}

void PiecesSet::release_pieces_set()
{
    delete g_piecesSet;
    g_piecesSet = nullptr;
}

PiecesSet::PiecesSet()
{
    for (int c = 0; c < 2; ++c) {
        const Color color = static_cast<Color>(c);
        m_pieces[Piece::TypeNone][c] = nullptr;
        m_pieces[Piece::TypePawn][c] = new Pawn(color);
        m_pieces[Piece::TypeKnight][c] = new Knight(color);
        m_pieces[Piece::TypeBishop][c] = new Bishop(color);
        m_pieces[Piece::TypeRook][c] = new Rook(color);
        m_pieces[Piece::TypeQueen][c] = new Queen(color);
        m_pieces[Piece::TypeKing][c] = new King(color);
    }
}

PiecesSet::~PiecesSet()
{
    for (auto& row : m_pieces) {
        for (const Piece* piece : row)
            delete piece;
    }
}

const Piece* PiecesSet::getPiece(Piece::Type type, Color color) const
{
    const int t = static_cast<int>(type);
    const int c = static_cast<int>(color);
    if (t < 0 || t > 6 || c < 0 || c > 1)
        return nullptr;
    return m_pieces[t][c];
}
