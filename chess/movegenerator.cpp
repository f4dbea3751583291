#include "chess/movegenerator.h"

#include <cstdlib>
#include <cstring>

namespace {

// Rook directions first, then bishop directions.
const int kDirections[8][2] = {{1, 0}, {-1, 0}, {0, 1},  {0, -1},
                               {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
const int kKnightOffsets[8][2] = {{1, 2},  {2, 1},  {-1, 2},  {-2, 1},
                                  {1, -2}, {2, -1}, {-1, -2}, {-2, -1}};
const int kKingOffsets[8][2] = {{0, 1}, {0, -1}, {1, 0},  {-1, 0},
                                {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

inline bool on_board(int x, int y)
{
    return static_cast<unsigned>(x) < 8 && static_cast<unsigned>(y) < 8;
}

// The squares a knight or king reaches from each square, and the squares of
// each ray from each square, outward, in the order of the offset tables.
struct Tables {
    uint8_t knight[64][8];
    uint8_t knightCount[64];
    uint8_t king[64][8];
    uint8_t kingCount[64];
    uint8_t ray[64][8][7];
    uint8_t rayLength[64][8];
    uint64_t rayMask[64][8];

    Tables()
    {
        for (int square = 0; square < 64; ++square) {
            const int x = square & 7;
            const int y = square >> 3;
            knightCount[square] = steps(x, y, kKnightOffsets, knight[square]);
            kingCount[square] = steps(x, y, kKingOffsets, king[square]);
            for (int d = 0; d < 8; ++d) {
                int length = 0;
                rayMask[square][d] = 0;
                for (int tx = x + kDirections[d][0], ty = y + kDirections[d][1]; on_board(tx, ty);
                     tx += kDirections[d][0], ty += kDirections[d][1]) {
                    ray[square][d][length++] = static_cast<uint8_t>(ty * 8 + tx);
                    rayMask[square][d] |= uint64_t(1) << (ty * 8 + tx);
                }
                rayLength[square][d] = static_cast<uint8_t>(length);
            }
        }
    }

    static uint8_t steps(int x, int y, const int (*offsets)[2], uint8_t* out)
    {
        uint8_t count = 0;
        for (int i = 0; i < 8; ++i) {
            const int tx = x + offsets[i][0];
            const int ty = y + offsets[i][1];
            if (on_board(tx, ty))
                out[count++] = static_cast<uint8_t>(ty * 8 + tx);
        }
        return count;
    }
};

// Built before main; no position is looked at during static initialisation.
const Tables g_tables;

inline const Tables& tables()
{
    return g_tables;
}

inline uint8_t code(Piece::Type type, Color color)
{
    return static_cast<uint8_t>(type | (color == Black ? 8 : 0));
}

// The eight squares of a rank in one word, file a in the lowest byte.
inline uint64_t load_rank(const uint8_t squares[64], int rank)
{
    uint64_t word;
    memcpy(&word, squares + rank * 8, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    return word;
}

// The first square holding the code in file-major order (-1 when none), and
// how many hold it. A rank at a time: the bytes equal to the code become 0x80.
int first_of(const uint8_t squares[64], uint8_t piece, int* count)
{
    const uint64_t low = 0x7F7F7F7F7F7F7F7FULL;
    const uint64_t pattern = 0x0101010101010101ULL * piece;
    int first = -1;
    int firstKey = 64;
    *count = 0;
    for (int rank = 0; rank < 8; ++rank) {
        const uint64_t word = load_rank(squares, rank);
        const uint64_t v = word ^ pattern;
        uint64_t hits = ~(((v & low) + low) | v | low);
        while (hits) {
            const int file = __builtin_ctzll(hits) >> 3;
            hits &= hits - 1;
            ++*count;
            const int key = file * 8 + rank;
            if (key < firstKey) {
                firstKey = key;
                first = rank * 8 + file;
            }
        }
    }
    return first;
}

} // namespace

MoveGenerator::MoveGenerator(const Board& board, bool ownKingTest)
    : m_board(board), m_ownKingTest(ownKingTest)
{
    memcpy(m_squares, board.squares, sizeof m_squares);
    m_occupied = occupied();
}

uint64_t MoveGenerator::occupied() const
{
    // A rank at a time: the high bit of each non-empty byte, gathered into
    // the rank's byte.
    const uint64_t low = 0x7F7F7F7F7F7F7F7FULL;
    uint64_t result = 0;
    for (int rank = 0; rank < 8; ++rank) {
        const uint64_t word = load_rank(m_squares, rank);
        const uint64_t high = (((word & low) + low) | word) & ~low;
        result |= ((high >> 7) * 0x0102040810204080ULL >> 56) << (rank * 8);
    }
    return result;
}

inline int MoveGenerator::firstOnRay(int square, int d) const
{
    // Even directions run towards higher squares, odd ones towards lower.
    const uint64_t blockers = m_occupied & tables().rayMask[square][d];
    if (!blockers)
        return -1;
    return (d & 1) ? 63 - __builtin_clzll(blockers) : __builtin_ctzll(blockers);
}

void MoveGenerator::reset()
{
    memcpy(m_squares, m_board.squares, sizeof m_squares);
    m_occupied = occupied();
    m_sourcesPiece = 0;
    m_onlyTo = -1;
    m_king[0] = m_king[1] = -2;
    m_checks[0] = m_checks[1] = -1;
}

bool MoveGenerator::inCheck(Color color)
{
    if (m_checks[color] < 0)
        findCheckers(color);
    return m_checks[color] > 0;
}

bool MoveGenerator::isAttacked(const uint8_t squares[64], int square, Color by)
{
    const Tables& t = tables();
    const int x = square & 7;
    const int py = (square >> 3) + (by == White ? -1 : 1);
    if (static_cast<unsigned>(py) < 8) {
        const uint8_t pawn = code(Piece::TypePawn, by);
        if (x > 0 && squares[py * 8 + x - 1] == pawn)
            return true;
        if (x < 7 && squares[py * 8 + x + 1] == pawn)
            return true;
    }
    const uint8_t target = squares[square];
    if (target && Piece::code_color(target) == by)
        return false;
    const uint8_t knight = code(Piece::TypeKnight, by);
    for (int i = 0; i < t.knightCount[square]; ++i) {
        if (squares[t.knight[square][i]] == knight)
            return true;
    }
    const uint8_t king = code(Piece::TypeKing, by);
    for (int i = 0; i < t.kingCount[square]; ++i) {
        if (squares[t.king[square][i]] == king)
            return true;
    }
    const uint8_t queen = code(Piece::TypeQueen, by);
    for (int d = 0; d < 8; ++d) {
        const uint8_t slider = code(d < 4 ? Piece::TypeRook : Piece::TypeBishop, by);
        const uint8_t* ray = t.ray[square][d];
        for (int i = 0; i < t.rayLength[square][d]; ++i) {
            const uint8_t p = squares[ray[i]];
            if (p) {
                if (p == slider || p == queen)
                    return true;
                break;
            }
        }
    }
    return false;
}

int MoveGenerator::findKing(const uint8_t squares[64], Color color)
{
    int count;
    return first_of(squares, code(Piece::TypeKing, color), &count);
}

void MoveGenerator::findKings(Color color)
{
    m_king[color] = first_of(m_squares, code(Piece::TypeKing, color), &m_kings[color]);
}

void MoveGenerator::findCheckers(Color color)
{
    if (m_king[color] == -2)
        findKings(color);
    const int king = m_king[color];
    int count = 0;
    uint64_t mask = 0;
    if (king >= 0) {
        const Tables& t = tables();
        const Color enemy = opposite_color(color);
        const int x = king & 7;
        const int py = (king >> 3) + (enemy == White ? -1 : 1);
        if (static_cast<unsigned>(py) < 8) {
            const uint8_t pawn = code(Piece::TypePawn, enemy);
            for (int px : {x - 1, x + 1}) {
                if (static_cast<unsigned>(px) < 8 && m_squares[py * 8 + px] == pawn) {
                    ++count;
                    mask |= uint64_t(1) << (py * 8 + px);
                }
            }
        }
        const uint8_t knight = code(Piece::TypeKnight, enemy);
        for (int i = 0; i < t.knightCount[king]; ++i) {
            if (m_squares[t.knight[king][i]] == knight) {
                ++count;
                mask |= uint64_t(1) << t.knight[king][i];
            }
        }
        const uint8_t enemyKing = code(Piece::TypeKing, enemy);
        for (int i = 0; i < t.kingCount[king]; ++i) {
            if (m_squares[t.king[king][i]] == enemyKing) {
                ++count;
                mask |= uint64_t(1) << t.king[king][i];
            }
        }
        const uint8_t queen = code(Piece::TypeQueen, enemy);
        for (int d = 0; d < 8; ++d) {
            const int first = firstOnRay(king, d);
            if (first < 0)
                continue;
            const uint8_t p = m_squares[first];
            if (p == code(d < 4 ? Piece::TypeRook : Piece::TypeBishop, enemy) || p == queen) {
                ++count;
                // The checker and the squares between it and the king.
                mask |= t.rayMask[king][d] & ~t.rayMask[first][d];
            }
        }
    }
    m_checks[color] = count;
    m_evasions[color] = mask;
}

bool MoveGenerator::opensLine(Color mover, int king, int from, int to) const
{
    const int dx = (from & 7) - (king & 7);
    const int dy = (from >> 3) - (king >> 3);
    if (dx != 0 && dy != 0 && std::abs(dx) != std::abs(dy))
        return false;
    const int sx = (dx > 0) - (dx < 0);
    const int sy = (dy > 0) - (dy < 0);
    const Color enemy = opposite_color(mover);
    const uint8_t slider = code((sx == 0 || sy == 0) ? Piece::TypeRook : Piece::TypeBishop, enemy);
    const uint8_t queen = code(Piece::TypeQueen, enemy);
    for (int x = (king & 7) + sx, y = (king >> 3) + sy; on_board(x, y); x += sx, y += sy) {
        const int square = y * 8 + x;
        if (square == from)
            continue;
        if (square == to)
            return false;
        const uint8_t p = m_squares[square];
        if (p)
            return p == slider || p == queen;
    }
    return false;
}

bool MoveGenerator::isLegal(int from, int to, int epVictim, int rookFrom, int rookTo)
{
    const uint8_t moving = m_squares[from];
    const Color mover = Piece::code_color(moving);
    if (m_king[mover] == -2)
        findKings(mover);
    const int king = m_king[mover];
    if (king < 0)
        return true; // no own king: nothing can be left attacked
    const bool kingMoves = Piece::code_type(moving) == Piece::TypeKing;
    if (!kingMoves && epVictim < 0) {
        // Only the checker's capture or a block answers a check, and only a
        // line through the vacated square can open onto the king.
        if (m_checks[mover] < 0)
            findCheckers(mover);
        if (m_checks[mover] > 0 && (m_checks[mover] > 1 || ((m_evasions[mover] >> to) & 1) == 0))
            return false;
        return !opensLine(mover, king, from, to);
    }
    const uint8_t captured = m_squares[to];
    m_squares[to] = moving;
    m_squares[from] = 0;
    uint8_t victim = 0;
    if (epVictim >= 0) {
        victim = m_squares[epVictim];
        m_squares[epVictim] = 0;
    }
    uint8_t rook = 0;
    uint8_t underRook = 0;
    if (rookFrom >= 0) {
        rook = m_squares[rookFrom];
        underRook = m_squares[rookTo];
        m_squares[rookTo] = rook;
        m_squares[rookFrom] = 0;
    }
    int newKing = king;
    if (kingMoves)
        newKing = m_kings[mover] == 1 ? to : findKing(m_squares, mover);
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

int MoveGenerator::offer(int from, int to, bool promotes, Moves* moves, int epVictim, int rookFrom,
                         int rookTo)
{
    if (m_onlyTo >= 0 && to != m_onlyTo)
        return 0;
    if (m_ownKingTest && !isLegal(from, to, epVictim, rookFrom, rookTo))
        return 0;
    const int fromX = from & 7;
    const int fromY = from >> 3;
    const int toX = to & 7;
    const int toY = to >> 3;
    if (!promotes) {
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

int MoveGenerator::generatePawn(int from, Moves* moves)
{
    const Color color = Piece::code_color(m_squares[from]);
    const int x = from & 7;
    const int y = from >> 3;
    const int d = color == White ? 1 : -1;
    const int last = color == White ? 7 : 0;
    const int y1 = y + d;
    if (!on_board(x, y1))
        return 0; // every move lies on that rank or beyond
    int count = 0;
    const bool promotes = y1 == last;
    const bool stepFree = m_squares[y1 * 8 + x] == 0;
    if (stepFree)
        count += offer(from, y1 * 8 + x, promotes, moves);
    const int y2 = y + 2 * d;
    if (stepFree && y == (color == White ? 1 : 6) && m_squares[y2 * 8 + x] == 0)
        count += offer(from, y2 * 8 + x, y2 == last, moves);
    // Captures, right then left.
    for (int dx : {1, -1}) {
        const int tx = x + dx;
        if (!on_board(tx, y1))
            continue;
        const int to = y1 * 8 + tx;
        const uint8_t target = m_squares[to];
        if (target) {
            if (Piece::code_color(target) != color)
                count += offer(from, to, promotes, moves);
        } else if (tx == m_board.enPassantX && y1 == m_board.enPassantY &&
                   m_squares[y * 8 + tx] == code(Piece::TypePawn, opposite_color(color))) {
            // En passant takes the pawn that has just passed the square.
            count += offer(from, to, promotes, moves, y * 8 + tx);
        }
    }
    return count;
}

int MoveGenerator::generateSteps(int from, const uint8_t* targets, int count, Moves* moves)
{
    const Color color = Piece::code_color(m_squares[from]);
    int total = 0;
    for (int i = 0; i < count; ++i) {
        const uint8_t target = m_squares[targets[i]];
        if (!target || Piece::code_color(target) != color)
            total += offer(from, targets[i], false, moves);
    }
    return total;
}

int MoveGenerator::generateRays(int from, int firstRay, int lastRay, Moves* moves)
{
    const Tables& t = tables();
    const Color color = Piece::code_color(m_squares[from]);
    int total = 0;
    for (int d = firstRay; d <= lastRay; ++d) {
        const uint8_t* ray = t.ray[from][d];
        for (int i = 0; i < t.rayLength[from][d]; ++i) {
            const uint8_t target = m_squares[ray[i]];
            if (!target || Piece::code_color(target) != color)
                total += offer(from, ray[i], false, moves);
            if (target)
                break;
        }
    }
    return total;
}

int MoveGenerator::generateKing(int from, Moves* moves)
{
    const Tables& t = tables();
    const uint8_t king = m_squares[from];
    const Color color = Piece::code_color(king);
    int total = generateSteps(from, t.king[from], t.kingCount[from], moves);
    // Castling starts on the e-square of the home rank, with the rook on its
    // corner and the right kept; the king may not start on, cross or reach
    // an attacked square.
    const int home = color == White ? 0 : 7;
    const int e = home * 8 + 4;
    if (from != e)
        return total;
    const Color enemy = opposite_color(color);
    const int flags = m_board.flags;
    const uint8_t rook = code(Piece::TypeRook, color);
    if (m_squares[e + 3] == rook &&
        (flags & (color == White ? Board::WhiteShortCastle : Board::BlackShortCastle)) &&
        !m_squares[e + 1] && !m_squares[e + 2] && (m_onlyTo < 0 || m_onlyTo == e + 2) &&
        !isAttacked(m_squares, e, enemy) && !isAttacked(m_squares, e + 1, enemy) &&
        !isAttacked(m_squares, e + 2, enemy))
        total += offer(e, e + 2, false, moves, -1, e + 3, e + 1);
    if (m_squares[e - 4] == rook &&
        (flags & (color == White ? Board::WhiteLongCastle : Board::BlackLongCastle)) &&
        !m_squares[e - 3] && !m_squares[e - 2] && !m_squares[e - 1] &&
        (m_onlyTo < 0 || m_onlyTo == e - 2) && !isAttacked(m_squares, e - 2, enemy) &&
        !isAttacked(m_squares, e - 1, enemy) && !isAttacked(m_squares, e, enemy))
        total += offer(e, e - 2, false, moves, -1, e - 4, e - 1);
    return total;
}

int MoveGenerator::generateFrom(int from, Moves* moves, int to)
{
    if (static_cast<unsigned>(from) >= 64)
        return 0;
    const Tables& t = tables();
    m_onlyTo = to;
    int count = 0;
    switch (Piece::code_type(m_squares[from])) {
    case Piece::TypePawn:
        count = generatePawn(from, moves);
        break;
    case Piece::TypeKnight:
        count = generateSteps(from, t.knight[from], t.knightCount[from], moves);
        break;
    case Piece::TypeBishop:
        count = generateRays(from, 4, 7, moves);
        break;
    case Piece::TypeRook:
        count = generateRays(from, 0, 3, moves);
        break;
    case Piece::TypeQueen:
        count = generateRays(from, 0, 7, moves);
        break;
    case Piece::TypeKing:
        count = generateKing(from, moves);
        break;
    default:
        break;
    }
    m_onlyTo = -1;
    return count;
}

int MoveGenerator::generateAll(Color color, Moves* moves, bool stopAtFirst)
{
    int total = 0;
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) {
            const uint8_t p = m_squares[y * 8 + x];
            if (!p || Piece::code_color(p) != color)
                continue;
            total += generateFrom(y * 8 + x, moves);
            if (stopAtFirst && total > 0)
                return total;
        }
    }
    return total;
}

int MoveGenerator::moveBits(const Move& move)
{
    if (static_cast<unsigned>(move.fromX) >= 8 || static_cast<unsigned>(move.fromY) >= 8 ||
        static_cast<unsigned>(move.toX) >= 8 || static_cast<unsigned>(move.toY) >= 8)
        return Piece::MoveInvalid;
    const int from = move.fromY * 8 + move.fromX;
    const int to = move.toY * 8 + move.toX;
    const uint8_t p = m_squares[from];
    if (!p || from == to || generateFrom(from, nullptr, to) == 0)
        return Piece::MoveInvalid;
    const Piece::Type type = Piece::code_type(p);
    const int dx = move.toX - move.fromX;
    if (type == Piece::TypeKing && (dx == 2 || dx == -2))
        return dx == 2 ? Piece::MoveShortCastle : Piece::MoveLongCastle;
    int bits = m_squares[to] ? Piece::MoveCapture : 0;
    if (type == Piece::TypePawn) {
        if (dx != 0)
            bits |= Piece::MoveCapture; // en passant included
        if (move.toY == (Piece::code_color(p) == White ? 7 : 0)) {
            if (move.promotion != Piece::TypeNone &&
                (move.promotion < Piece::TypeKnight || move.promotion > Piece::TypeQueen))
                return Piece::MoveInvalid;
            bits |= Piece::MovePromotion;
        }
    }
    return bits;
}

int MoveGenerator::sourcesOf(uint8_t piece, int to, uint64_t allowed, int* from)
{
    if (piece != m_sourcesPiece || to != m_sourcesTo || !m_ownKingTest) {
        m_sourcesCount = findSources(piece, to, m_sources);
        m_sourcesPiece = m_ownKingTest ? piece : 0;
        m_sourcesTo = to;
    }
    int count = 0;
    for (int i = 0; i < m_sourcesCount; ++i) {
        if ((allowed >> m_sources[i]) & 1)
            from[count++] = m_sources[i];
    }
    return count;
}

int MoveGenerator::findSources(uint8_t piece, int to, int* from)
{
    const Tables& t = tables();
    const uint8_t target = m_squares[to];
    const Color color = Piece::code_color(piece);
    if (!piece || (target && Piece::code_color(target) == color))
        return 0;
    int count = 0;
    auto legal = [&](int square) { return !m_ownKingTest || isLegal(square, to, -1, -1, -1); };
    // Pawns and kings have moves that depend on more than the square they
    // reach: each square that may hold one is asked through generateFrom.
    auto ask = [&](int square) {
        if (static_cast<unsigned>(square) < 64 && m_squares[square] == piece && count < 16 &&
            generateFrom(square, nullptr, to) > 0)
            from[count++] = square;
    };
    switch (Piece::code_type(piece)) {
    case Piece::TypePawn: {
        const int back = color == White ? -8 : 8;
        const int x = to & 7;
        ask(to + back);
        ask(to + 2 * back);
        if (x < 7)
            ask(to + back + 1);
        if (x > 0)
            ask(to + back - 1);
        break;
    }
    case Piece::TypeKing:
        for (int i = 0; i < t.kingCount[to]; ++i)
            ask(t.king[to][i]);
        if ((to & 7) == 6 || (to & 7) == 2)
            ask((to & ~7) | 4);
        break;
    case Piece::TypeKnight:
        for (int i = 0; i < t.knightCount[to] && count < 16; ++i) {
            const int square = t.knight[to][i];
            if (m_squares[square] == piece && legal(square))
                from[count++] = square;
        }
        break;
    case Piece::TypeBishop:
    case Piece::TypeRook:
    case Piece::TypeQueen: {
        const Piece::Type type = Piece::code_type(piece);
        const int firstRay = type == Piece::TypeBishop ? 4 : 0;
        const int lastRay = type == Piece::TypeRook ? 3 : 7;
        for (int d = firstRay; d <= lastRay && count < 16; ++d) {
            const int first = firstOnRay(to, d);
            if (first >= 0 && m_squares[first] == piece && legal(first))
                from[count++] = first;
        }
        break;
    }
    default:
        break;
    }
    return count;
}
