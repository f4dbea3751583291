#include "chess/movegenerator.h"

#include <cstdlib>
#include <cstring>

namespace {
const int kKnightOffsets[8][2] = {{1, 2},  {2, 1},  {-1, 2},  {-2, 1},
                                  {1, -2}, {2, -1}, {-1, -2}, {-2, -1}};
const int kKingOffsets[8][2] = {{0, 1}, {0, -1}, {1, 0},  {-1, 0},
                                {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
const int kRookRays[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
const int kBishopRays[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
const int kQueenRays[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

inline bool on_board(int x, int y)
{
    return static_cast<unsigned>(x) < 8 && static_cast<unsigned>(y) < 8;
}

inline bool is(const Piece* p, Piece::Type type, Color color)
{
    return p && p->type == type && p->color == color;
}
} // namespace

MoveGenerator::MoveGenerator(const Board& board) : m_board(board), m_king{-2, -2}, m_check{-1, -1}
{
    memcpy(m_squares, board.squares, sizeof m_squares);
}

bool MoveGenerator::isAttacked(const Piece* const squares[64], int square, Color by)
{
    const int x = square & 7;
    const int y = square >> 3;
    const int py = by == White ? y - 1 : y + 1;
    if (static_cast<unsigned>(py) < 8) {
        if (x > 0 && is(squares[py * 8 + x - 1], Piece::TypePawn, by))
            return true;
        if (x < 7 && is(squares[py * 8 + x + 1], Piece::TypePawn, by))
            return true;
    }
    const Piece* target = squares[square];
    if (target && target->color == by)
        return false;
    for (const auto& o : kKnightOffsets) {
        const int tx = x + o[0];
        const int ty = y + o[1];
        if (on_board(tx, ty) && is(squares[ty * 8 + tx], Piece::TypeKnight, by))
            return true;
    }
    for (const auto& o : kKingOffsets) {
        const int tx = x + o[0];
        const int ty = y + o[1];
        if (on_board(tx, ty) && is(squares[ty * 8 + tx], Piece::TypeKing, by))
            return true;
    }
    for (int r = 0; r < 8; ++r) {
        const int dx = kQueenRays[r][0];
        const int dy = kQueenRays[r][1];
        const Piece::Type slider = r < 4 ? Piece::TypeRook : Piece::TypeBishop;
        int tx = x + dx;
        int ty = y + dy;
        while (on_board(tx, ty)) {
            const Piece* p = squares[ty * 8 + tx];
            if (p) {
                if (p->color == by && (p->type == slider || p->type == Piece::TypeQueen))
                    return true;
                break;
            }
            tx += dx;
            ty += dy;
        }
    }
    return false;
}

int MoveGenerator::findKing(const Piece* const squares[64], Color color)
{
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) {
            if (is(squares[y * 8 + x], Piece::TypeKing, color))
                return y * 8 + x;
        }
    }
    return -1;
}

int MoveGenerator::kingSquare(Color color)
{
    if (m_king[color] == -2)
        m_king[color] = findKing(m_squares, color);
    return m_king[color];
}

bool MoveGenerator::inCheck(Color color)
{
    if (m_check[color] < 0) {
        const int king = kingSquare(color);
        m_check[color] = king >= 0 && isAttacked(m_squares, king, opposite_color(color)) ? 1 : 0;
    }
    return m_check[color] == 1;
}

bool MoveGenerator::isLegal(Color mover, int from, int to, int epVictim, int rookFrom, int rookTo)
{
    const int king = kingSquare(mover);
    if (king < 0)
        return true; // no own king: nothing can be left attacked
    const Piece* moving = m_squares[from];
    const bool kingMoves = moving->type == Piece::TypeKing;
    if (!kingMoves && epVictim < 0 && !inCheck(mover)) {
        // Only a line through the vacated square can open onto the king.
        const int dx = (from & 7) - (king & 7);
        const int dy = (from >> 3) - (king >> 3);
        if (dx != 0 && dy != 0 && std::abs(dx) != std::abs(dy))
            return true;
        // Look along that one line from the king, with the from-square empty
        // and the to-square taken.
        const int sx = (dx > 0) - (dx < 0);
        const int sy = (dy > 0) - (dy < 0);
        const Piece::Type slider = (sx == 0 || sy == 0) ? Piece::TypeRook : Piece::TypeBishop;
        const Color enemy = opposite_color(mover);
        for (int x = (king & 7) + sx, y = (king >> 3) + sy; on_board(x, y); x += sx, y += sy) {
            const int square = y * 8 + x;
            if (square == from)
                continue;
            if (square == to)
                return true;
            const Piece* p = m_squares[square];
            if (p)
                return !(p->color == enemy && (p->type == slider || p->type == Piece::TypeQueen));
        }
        return true;
    }
    const Piece* captured = m_squares[to];
    m_squares[to] = moving;
    m_squares[from] = nullptr;
    const Piece* victim = nullptr;
    if (epVictim >= 0) {
        victim = m_squares[epVictim];
        m_squares[epVictim] = nullptr;
    }
    const Piece* rook = nullptr;
    const Piece* underRook = nullptr;
    if (rookFrom >= 0) {
        rook = m_squares[rookFrom];
        underRook = m_squares[rookTo];
        m_squares[rookTo] = rook;
        m_squares[rookFrom] = nullptr;
    }
    int newKing = king;
    if (kingMoves || is(victim, Piece::TypeKing, mover))
        newKing = findKing(m_squares, mover);
    const bool legal = newKing < 0 || !isAttacked(m_squares, newKing, opposite_color(mover));
    if (rookFrom >= 0) {
        m_squares[rookFrom] = rook;
        m_squares[rookTo] = underRook;
    }
    if (epVictim >= 0)
        m_squares[epVictim] = victim;
    m_squares[from] = moving;
    m_squares[to] = captured;
    return legal;
}

int MoveGenerator::emit(int fromX, int fromY, int toX, int toY, bool promotion, Moves* moves)
{
    if (!promotion) {
        if (moves)
            moves->emplace_back(fromX, fromY, toX, toY, 0);
        return 1;
    }
    if (moves) {
        moves->emplace_back(fromX, fromY, toX, toY, Piece::TypeQueen);
        moves->emplace_back(fromX, fromY, toX, toY, Piece::TypeRook);
        moves->emplace_back(fromX, fromY, toX, toY, Piece::TypeKnight);
        moves->emplace_back(fromX, fromY, toX, toY, Piece::TypeBishop);
    }
    return 4;
}

int MoveGenerator::generatePawn(const Piece* pawn, int x, int y, Moves* moves)
{
    const Color color = pawn->color;
    const int d = color == White ? 1 : -1;
    const int last = color == White ? 7 : 0;
    const int from = y * 8 + x;
    int count = 0;
    const int y1 = y + d;
    if (!on_board(x, y1))
        return 0; // every candidate lies on that rank or beyond
    const bool promotes = y1 == last;
    const bool stepFree = m_squares[y1 * 8 + x] == nullptr;
    // Single step.
    if (stepFree && isLegal(color, from, y1 * 8 + x))
        count += emit(x, y, x, y1, promotes, moves);
    // Double step from the second rank.
    const int y2 = y + 2 * d;
    if (stepFree && y == (color == White ? 1 : 6) && on_board(x, y2) &&
        m_squares[y2 * 8 + x] == nullptr && isLegal(color, from, y2 * 8 + x))
        count += emit(x, y, x, y2, y2 == last, moves);
    // Captures, right then left.
    for (int dx : {1, -1}) {
        const int tx = x + dx;
        if (!on_board(tx, y1))
            continue;
        const int to = y1 * 8 + tx;
        const Piece* target = m_squares[to];
        int victim = -1;
        if (target) {
            if (target->color == color)
                continue;
        } else if (tx != m_board.enPassantX || y1 != m_board.enPassantY) {
            continue;
        }
        // The pawn taken en passant: doMove removes (tx, y) whenever the
        // target is the en-passant square.
        if (tx == m_board.enPassantX && y1 == m_board.enPassantY)
            victim = y * 8 + tx;
        if (isLegal(color, from, to, victim))
            count += emit(x, y, tx, y1, promotes, moves);
    }
    return count;
}

int MoveGenerator::generateSteps(const Piece* piece, int x, int y, const int (*offsets)[2],
                                 int count, Moves* moves)
{
    const int from = y * 8 + x;
    int total = 0;
    for (int i = 0; i < count; ++i) {
        const int tx = x + offsets[i][0];
        const int ty = y + offsets[i][1];
        if (!on_board(tx, ty))
            continue;
        const Piece* target = m_squares[ty * 8 + tx];
        if (target && target->color == piece->color)
            continue;
        if (isLegal(piece->color, from, ty * 8 + tx))
            total += emit(x, y, tx, ty, false, moves);
    }
    return total;
}

int MoveGenerator::generateRays(const Piece* piece, int x, int y, const int (*directions)[2],
                                int count, Moves* moves)
{
    const int from = y * 8 + x;
    int total = 0;
    for (int i = 0; i < count; ++i) {
        const int dx = directions[i][0];
        const int dy = directions[i][1];
        int tx = x + dx;
        int ty = y + dy;
        while (on_board(tx, ty)) {
            const Piece* target = m_squares[ty * 8 + tx];
            if (!(target && target->color == piece->color) &&
                isLegal(piece->color, from, ty * 8 + tx))
                total += emit(x, y, tx, ty, false, moves);
            if (target)
                break;
            tx += dx;
            ty += dy;
        }
    }
    return total;
}

int MoveGenerator::generateKing(const Piece* king, int x, int y, bool here, Moves* moves)
{
    const Color color = king->color;
    int total = here ? generateSteps(king, x, y, kKingOffsets, 8, moves) : 0;
    // Castling candidates always start on the e-square of the home rank.
    const int home = color == White ? 0 : 7;
    const int e = home * 8 + 4;
    if (m_squares[e] != king)
        return total;
    const Color enemy = opposite_color(color);
    const int flags = m_board.flags;
    const Piece* rook = m_squares[home * 8 + 7];
    if (is(rook, Piece::TypeRook, color) &&
        (flags & (color == White ? Board::WhiteShortCastle : Board::BlackShortCastle)) &&
        !m_squares[e + 1] && !m_squares[e + 2] && !isAttacked(m_squares, e, enemy) &&
        !isAttacked(m_squares, e + 1, enemy) && !isAttacked(m_squares, e + 2, enemy) &&
        isLegal(color, e, e + 2, -1, e + 3, e + 1))
        total += emit(4, home, 6, home, false, moves);
    rook = m_squares[home * 8];
    if (is(rook, Piece::TypeRook, color) &&
        (flags & (color == White ? Board::WhiteLongCastle : Board::BlackLongCastle)) &&
        !m_squares[e - 3] && !m_squares[e - 2] && !m_squares[e - 1] &&
        !isAttacked(m_squares, e - 2, enemy) && !isAttacked(m_squares, e - 1, enemy) &&
        !isAttacked(m_squares, e, enemy) && isLegal(color, e, e - 2, -1, e - 4, e - 1))
        total += emit(4, home, 2, home, false, moves);
    return total;
}

int MoveGenerator::generatePiece(const Piece* piece, int x, int y, Moves* moves)
{
    const bool here = on_board(x, y) && m_squares[y * 8 + x] == piece;
    switch (piece->type) {
    case Piece::TypeKing:
        return generateKing(piece, x, y, here, moves);
    case Piece::TypePawn:
        return here ? generatePawn(piece, x, y, moves) : 0;
    case Piece::TypeKnight:
        return here ? generateSteps(piece, x, y, kKnightOffsets, 8, moves) : 0;
    case Piece::TypeBishop:
        return here ? generateRays(piece, x, y, kBishopRays, 4, moves) : 0;
    case Piece::TypeRook:
        return here ? generateRays(piece, x, y, kRookRays, 4, moves) : 0;
    case Piece::TypeQueen:
        return here ? generateRays(piece, x, y, kQueenRays, 8, moves) : 0;
    default:
        return 0;
    }
}

int MoveGenerator::generateAll(Color color, Moves* moves, bool stopAtFirst)
{
    int total = 0;
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) {
            const Piece* piece = m_squares[y * 8 + x];
            if (!piece || piece->color != color)
                continue;
            total += generatePiece(piece, x, y, moves);
            if (stopAtFirst && total > 0)
                return total;
        }
    }
    return total;
}
