// The move generator takes shortcuts (scratch squares instead of board copies,
// attacks found from the target square, pin-free moves not tested, in check
// only captures and blocks of the checker tried). Here a literal copy-make
// implementation of the rules, visiting every piece for every attack, is
// compared with it on random and played positions.
#include "chess/board.h"
#include "chess/movegenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace {

int ref_validate(const Board& b, const Move& m, bool ignoreCheck, const Piece* self = nullptr);

bool ref_controlled(const Board& b, int sx, int sy, Color color)
{
    const int d = color == White ? 1 : -1;
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) {
            const Piece* p = b.getPiece(x, y);
            if (!p || p->color != color)
                continue;
            if (p->type == Piece::TypePawn) {
                if (sy == y + d && std::abs(sx - x) == 1)
                    return true;
            } else if (!(ref_validate(b, Move(x, y, sx, sy), true) & 0x0D)) {
                return true;
            }
        }
    }
    return false;
}

bool ref_castle(const Board& b, const Move& m, bool shortSide)
{
    const Piece* k = b.getPiece(m.fromX, m.fromY);
    if (m.fromY != m.toY || m.fromX != 4 || m.toX != (shortSide ? 6 : 2))
        return false;
    if (b.getPiece(shortSide ? 7 : 0, m.fromY) != Piece::get(Piece::TypeRook, k->color))
        return false;
    const int right = k->color == White ? (shortSide ? 0x04 : 0x08) : (shortSide ? 0x01 : 0x02);
    return (b.flags & right) != 0;
}

// The squares, castling rights and en-passant square after the move, as the
// rules of each kind of piece have it (the side to move and counters stay).
void ref_do_move(Board& b, const Move& m)
{
    const Piece* p = b.getPiece(m.fromX, m.fromY);
    const Piece* t = b.getPiece(m.toX, m.toY);
    const int home = p->color == White ? 0 : 7;
    const int ownRights = p->color == White ? 0x0C : 0x03;
    const int shortRight = p->color == White ? 0x04 : 0x01;
    const int longRight = p->color == White ? 0x08 : 0x02;
    const Position ep = b.getEnPassant();
    const bool shortCastle = p->type == Piece::TypeKing && ref_castle(b, m, true);
    const bool longCastle = p->type == Piece::TypeKing && ref_castle(b, m, false);
    if (p->type == Piece::TypeRook && m.fromY == home && m.fromX == 7)
        b.flags &= ~shortRight;
    if (p->type == Piece::TypeRook && m.fromY == home && m.fromX == 0)
        b.flags &= ~longRight;
    b.squares[m.toY * 8 + m.toX] = b.squares[m.fromY * 8 + m.fromX];
    b.squares[m.fromY * 8 + m.fromX] = 0;
    b.enPassantX = -1;
    b.enPassantY = -1;
    const int dx = m.toX - m.fromX;
    const int dy = m.toY - m.fromY;
    if (p->type == Piece::TypePawn) {
        if (m.toY == 7 - home && m.promotion >= 2 && m.promotion <= 5)
            b.squares[m.toY * 8 + m.toX] =
                Piece::code(static_cast<Piece::Type>(m.promotion), p->color);
        if (std::abs(dy) == 2) {
            b.enPassantX = m.fromX;
            b.enPassantY = m.fromY + dy / 2;
        } else if (std::abs(dx) == 1 && std::abs(dy) == 1 && !t && ep == m.getTo() &&
                   b.getPiece(m.toX, m.fromY) ==
                       Piece::get(Piece::TypePawn, opposite_color(p->color))) {
            b.squares[m.fromY * 8 + m.toX] = 0;
        }
    }
    if (shortCastle) {
        b.squares[m.fromY * 8 + 5] = b.squares[m.fromY * 8 + 7];
        b.squares[m.fromY * 8 + 7] = 0;
    } else if (longCastle) {
        b.squares[m.fromY * 8 + 3] = b.squares[m.fromY * 8];
        b.squares[m.fromY * 8] = 0;
    }
    if (p->type == Piece::TypeKing)
        b.flags &= ~ownRights;
    // A rook taken on its corner takes the right along.
    const int to = m.toY * 8 + m.toX;
    b.flags &= ~(to == 0 ? 0x08 : to == 7 ? 0x04 : to == 56 ? 0x02 : to == 63 ? 0x01 : 0);
}

bool ref_own_king_attacked(const Board& b, const Move& m)
{
    const Piece* p = b.getPiece(m.fromX, m.fromY);
    Board copy = b;
    ref_do_move(copy, m);
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) {
            if (copy.getPiece(x, y) == Piece::get(Piece::TypeKing, p->color))
                return ref_controlled(copy, x, y, opposite_color(p->color));
        }
    }
    return false;
}

bool ref_line_free(const Board& b, const Move& m)
{
    const int sx = (m.toX > m.fromX) - (m.toX < m.fromX);
    const int sy = (m.toY > m.fromY) - (m.toY < m.fromY);
    for (int x = m.fromX + sx, y = m.fromY + sy; x != m.toX || y != m.toY; x += sx, y += sy) {
        if (b.squares[y * 8 + x])
            return false;
    }
    return true;
}

// self: the piece asked (it must stand on the from-square); by default the one there.
int ref_validate(const Board& b, const Move& m, bool ignoreCheck, const Piece* self)
{
    for (int c : {m.fromX, m.fromY, m.toX, m.toY}) {
        if (c < 0 || c > 7)
            return 1;
    }
    if (m.fromX == m.toX && m.fromY == m.toY)
        return 1;
    const Piece* p = b.getPiece(m.fromX, m.fromY);
    if (!p || (self && p != self))
        return 1;
    if (!ignoreCheck && ref_own_king_attacked(b, m))
        return 1;
    const Piece* t = b.getPiece(m.toX, m.toY);
    int r = 0;
    if (t)
        r = t->color == p->color ? 1 : 2;
    if (r == 1)
        return 1;
    const int dx = m.toX - m.fromX;
    const int dy = m.toY - m.fromY;
    const int y = m.fromY;
    const Color enemy = opposite_color(p->color);
    switch (p->type) {
    case Piece::TypeKnight:
        return (std::abs(dx) * std::abs(dy) == 2) ? r : 1;
    case Piece::TypeBishop:
        return (std::abs(dx) == std::abs(dy) && ref_line_free(b, m)) ? r : 1;
    case Piece::TypeRook:
        return ((dx == 0) != (dy == 0) && ref_line_free(b, m)) ? r : 1;
    case Piece::TypeQueen:
        return (((dx == 0) != (dy == 0) || std::abs(dx) == std::abs(dy)) && ref_line_free(b, m))
                   ? r
                   : 1;
    case Piece::TypeKing: {
        if (ref_castle(b, m, true)) {
            if (b.getPiece(5, y) || b.getPiece(6, y))
                return 1;
            for (int x : {4, 5, 6}) {
                if (ref_controlled(b, x, y, enemy))
                    return 1;
            }
            return r | 4;
        }
        if (ref_castle(b, m, false)) {
            if (b.getPiece(1, y) || b.getPiece(2, y) || b.getPiece(3, y))
                return 1;
            for (int x : {2, 3, 4}) {
                if (ref_controlled(b, x, y, enemy))
                    return 1;
            }
            return r | 8;
        }
        return (std::abs(dx) <= 1 && std::abs(dy) <= 1) ? r : 1;
    }
    case Piece::TypePawn: {
        const int d = p->color == White ? 1 : -1;
        if (dx == 0) {
            if (b.getPiece(m.fromX, m.fromY + d))
                return 1;
            const bool single = m.toY == m.fromY + d;
            const bool twice = m.toY == m.fromY + 2 * d && m.fromY == (d == 1 ? 1 : 6) &&
                               !b.getPiece(m.toX, m.toY);
            if (!single && !twice)
                return 1;
        } else {
            if (std::abs(dx) != 1 || dy != d)
                return 1;
            if (!t) {
                // En passant takes the opponent's pawn beside the mover.
                if (m.toX != b.enPassantX || m.toY != b.enPassantY ||
                    b.getPiece(m.toX, m.fromY) != Piece::get(Piece::TypePawn, enemy))
                    return 1;
                r = 2;
            }
        }
        if (m.toY == (d == 1 ? 7 : 0)) {
            // Only a knight, bishop, rook or queen; 0 leaves the choice open.
            if (m.promotion != 0 && (m.promotion < 2 || m.promotion > 5))
                return 1;
            return r | 0x10;
        }
        return r;
    }
    default:
        return 1;
    }
}

int ref_generate_move(const Board& b, const Piece* self, const Move& m, Moves* list)
{
    const int r = ref_validate(b, m, false, self);
    if (r & 1)
        return 0;
    if (!(r & 0x10)) {
        list->push_back(m);
        return 1;
    }
    for (int promotion : {5, 4, 2, 3})
        list->push_back(Move(m.fromX, m.fromY, m.toX, m.toY, promotion));
    return 4;
}

int ref_generate(const Board& b, int x, int y, Moves* list)
{
    const Piece* p = b.getPiece(x, y);
    const int d = p->color == White ? 1 : -1;
    int n = 0;
    auto offer = [&](int tx, int ty) { n += ref_generate_move(b, p, Move(x, y, tx, ty), list); };
    auto rays = [&](std::initializer_list<std::pair<int, int>> dirs) {
        for (auto dir : dirs) {
            for (int tx = x + dir.first, ty = y + dir.second;
                 tx >= 0 && tx < 8 && ty >= 0 && ty < 8; tx += dir.first, ty += dir.second) {
                offer(tx, ty);
                if (b.getPiece(tx, ty))
                    break;
            }
        }
    };
    switch (p->type) {
    case Piece::TypePawn:
        offer(x, y + d);
        offer(x, y + 2 * d);
        offer(x + 1, y + d);
        offer(x - 1, y + d);
        break;
    case Piece::TypeKnight:
        for (auto o :
             {std::make_pair(1, 2), {2, 1}, {-1, 2}, {-2, 1}, {1, -2}, {2, -1}, {-1, -2}, {-2, -1}})
            offer(x + o.first, y + o.second);
        break;
    case Piece::TypeKing: {
        for (auto o :
             {std::make_pair(0, 1), {0, -1}, {1, 0}, {-1, 0}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}})
            offer(x + o.first, y + o.second);
        // Castling is a move of the king on its e-square only.
        const int home = p->color == White ? 0 : 7;
        if (x == 4 && y == home) {
            n += ref_generate_move(b, p, Move(4, home, 6, home), list);
            n += ref_generate_move(b, p, Move(4, home, 2, home), list);
        }
        break;
    }
    case Piece::TypeRook:
        rays({{1, 0}, {-1, 0}, {0, 1}, {0, -1}});
        break;
    case Piece::TypeBishop:
        rays({{1, 1}, {1, -1}, {-1, 1}, {-1, -1}});
        break;
    case Piece::TypeQueen:
        rays({{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}});
        break;
    default:
        break;
    }
    return n;
}

bool ref_no_moves(const Board& b, Color color)
{
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) {
            const Piece* p = b.getPiece(x, y);
            Moves list;
            if (p && p->color == color && ref_generate(b, x, y, &list) > 0)
                return false;
        }
    }
    return true;
}

// Board::validateMove by the rules, check, mate and stalemate included.
int ref_board_validate(const Board& b, const Move& m)
{
    const Piece* p = b.getPiece(m.fromX, m.fromY);
    if (!p)
        return 1;
    int r = ref_validate(b, m, false);
    if (r & 1)
        return r;
    Board copy = b;
    copy.doMove(m);
    const Color o = opposite_color(p->color);
    Position k = copy.getKingPosition(o);
    const bool check = k.isValid() && ref_controlled(copy, k.x, k.y, p->color);
    const bool none = ref_no_moves(copy, o);
    if (check)
        r |= none ? 0x40 : 0x20;
    else if (none)
        r |= 0x80;
    return r;
}

// Compares everything on one board; returns false after the first difference.
void compare(const Board& b, const std::string& what)
{
    SCOPED_TRACE(what + " " + b.exportToFEN());
    for (int s = 0; s < 64; ++s) {
        for (Color c : {White, Black}) {
            ASSERT_EQ(b.isFieldUnderControl(Position(s & 7, s >> 3), c, true),
                      ref_controlled(b, s & 7, s >> 3, c))
                << "square " << s << " colour " << c;
        }
        const Piece* p = b.getPiece(s & 7, s >> 3);
        if (!p)
            continue;
        Moves mine;
        Moves ref;
        const int n = MoveGenerator(b).generateFrom(s, &mine);
        ASSERT_EQ(n, ref_generate(b, s & 7, s >> 3, &ref)) << "from square " << s;
        ASSERT_EQ(mine, ref) << "from square " << s;
        ASSERT_EQ(n, MoveGenerator(b).generateFrom(s, nullptr));
        for (int t = 0; t < 64; ++t) {
            for (int promotion : {0, 5, 6}) {
                const Move m(s & 7, s >> 3, t & 7, t >> 3, promotion);
                const int bits = ref_validate(b, m, false);
                ASSERT_EQ(b.moveBits(m), bits) << m.getAsString();
                ASSERT_EQ(b.moveBits(m, true), ref_validate(b, m, true)) << m.getAsString();
                // The squares that reach t are found from t.
                int sources[16];
                const int count = MoveGenerator(b).sourcesOf(p->getCode(), t, ~0ULL, sources);
                const bool found = std::find(sources, sources + count, s) != sources + count;
                ASSERT_EQ(found, !(ref_validate(b, Move(s & 7, s >> 3, t & 7, t >> 3), false) & 1))
                    << m.getAsString();
            }
        }
        // Playing each move changes squares, rights and en passant as the rules say.
        for (const Move& m : ref) {
            Board played = b;
            played.doMove(m);
            Board expected = b;
            ref_do_move(expected, m);
            expected.flags ^= Board::BlackToMove;
            ASSERT_EQ(played, expected) << m.getAsString();
        }
    }
    for (Color c : {White, Black}) {
        ASSERT_EQ(b.isNoMoves(c), ref_no_moves(b, c));
        // Check, mate and stalemate bits of a few moves of each side.
        Moves moves;
        b.generateMoves(c, &moves);
        for (size_t i = 0; i < moves.size(); i += 1 + moves.size() / 3)
            ASSERT_EQ(b.validateMove(moves[i], false), ref_board_validate(b, moves[i]))
                << moves[i].getAsString();
    }
}

uint8_t random_piece(std::mt19937& rng)
{
    std::uniform_int_distribution<int> type(1, 6);
    std::uniform_int_distribution<int> color(0, 1);
    return Piece::code(static_cast<Piece::Type>(type(rng)), static_cast<Color>(color(rng)));
}

} // namespace

TEST(ReferenceRules, RandomBoardsIncludingImpossibleOnes)
{
    // Any piece anywhere: several kings, no king, pawns on the back ranks,
    // castling rights without rooks, en-passant squares anywhere.
    std::mt19937 rng(20261208);
    for (int round = 0; round < 400; ++round) {
        Board b;
        std::uniform_int_distribution<int> count(2, 14);
        std::uniform_int_distribution<int> square(0, 63);
        const int n = count(rng);
        for (int i = 0; i < n; ++i)
            b.squares[square(rng)] = random_piece(rng);
        b.flags = static_cast<uint16_t>(rng() & 0x1F);
        if (rng() % 2) {
            const int ep = square(rng);
            b.enPassantX = ep & 7;
            b.enPassantY = ep >> 3;
        }
        // Kings and rooks on their squares now and then, so castling is tried.
        if (rng() % 2) {
            b.squares[4] = Piece::code(Piece::TypeKing, White);
            b.squares[0] = Piece::code(Piece::TypeRook, White);
            b.squares[7] = Piece::code(Piece::TypeRook, White);
            b.squares[60] = Piece::code(Piece::TypeKing, Black);
            b.squares[63] = Piece::code(Piece::TypeRook, Black);
        }
        compare(b, "random " + std::to_string(round));
        if (HasFatalFailure())
            return;
    }
}

TEST(ReferenceRules, RandomGamesFromKnownPositions)
{
    const char* starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        // en passant that would expose the king along the rank
        "8/8/8/K2pP2r/8/8/8/7k w - d6 0 1",
    };
    std::mt19937 rng(7);
    for (const char* fen : starts) {
        Board b;
        b.importFromFEN(fen);
        for (int ply = 0; ply < 40; ++ply) {
            if (ply % 2 == 0) {
                compare(b, "ply " + std::to_string(ply));
                if (HasFatalFailure())
                    return;
            }
            Moves moves;
            b.generateMoves(b.getColorToMove(), &moves);
            if (moves.empty())
                break;
            const Move m = moves[rng() % moves.size()];
            ASSERT_EQ(b.validateMove(m, false), ref_board_validate(b, m)) << m.getAsString();
            b.doMove(m);
        }
    }
}
