#include "game/kingsquares.h"

void KingSquares::find(const Board& board)
{
    int count[2] = {0, 0};
    for (int i = 0; i < 64; ++i) {
        const Piece* piece = board.squares[i];
        if (piece != nullptr && piece->type == Piece::TypeKing) {
            ++count[piece->color];
            m_square[piece->color] = i;
        }
    }
    m_known = count[White] == 1 && count[Black] == 1;
}

void KingSquares::update(const Board& before, const Move& move)
{
    if (!m_known || move.isNull())
        return;
    const Piece* piece = before.getPiece(move.fromX, move.fromY);
    const Piece* target = before.getPiece(move.toX, move.toY);
    if (piece == nullptr || (target != nullptr && target->type == Piece::TypeKing) ||
        (move.promotion == Piece::TypeKing && piece->type == Piece::TypePawn)) {
        m_known = false;
        return;
    }
    if (piece->type == Piece::TypeKing)
        m_square[piece->color] = move.toY * 8 + move.toX;
}
