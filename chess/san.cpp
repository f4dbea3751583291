#include "chess/san.h"

#include "chess/movegenerator.h"
#include "chess/piece.h"
#include "core/exception.h"

#include <cstring>

namespace {

[[noreturn]] void san_error(const Board& board, const std::string& san)
{
    throw Exception(false, "Error parsing SAN: %s in position: %s", san.c_str(),
                    board.exportToFEN().c_str());
}

#define SAN_ERROR() san_error(board, san)

bool is_file(char c)
{
    return c >= 'a' && c <= 'h';
}

bool is_rank(char c)
{
    return c >= '1' && c <= '8';
}

// Whether a castling king move can be played at all: the king on its
// e-square, the rook on its corner, the right kept and the squares between
// them empty. Attacked squares are the legality test's business.
bool castling_playable(const Board& board, Color color, bool shortSide)
{
    const int home = color == White ? 0 : 7;
    if (board.squares[home * 8 + 4] != Piece::code(Piece::TypeKing, color) ||
        board.squares[home * 8 + (shortSide ? 7 : 0)] != Piece::code(Piece::TypeRook, color))
        return false;
    const int right = shortSide
                          ? (color == White ? Board::WhiteShortCastle : Board::BlackShortCastle)
                          : (color == White ? Board::WhiteLongCastle : Board::BlackLongCastle);
    if (!(board.flags & right))
        return false;
    const int first = shortSide ? 5 : 1;
    const int last = shortSide ? 6 : 3;
    for (int x = first; x <= last; ++x) {
        if (board.squares[home * 8 + x])
            return false;
    }
    return true;
}

// A character of SAN text as the reader takes it: a lower-case promotion
// letter after "=" ("a8=q", as files written by hand have it) is upper case.
char san_reader_char(char c, char previous)
{
    return previous == '=' && (c == 'n' || c == 'b' || c == 'r' || c == 'q')
               ? static_cast<char>(c - 'a' + 'A')
               : c;
}

bool is_annotation(char c)
{
    return c == '/' || c == '=' || c == '+' || c == '#' || c == 'x' || c == '!' || c == '?';
}

bool text_is(const char* s, size_t length, const char* text)
{
    return strlen(text) == length && memcmp(s, text, length) == 0;
}
} // namespace

std::string move_to_san(const Board& board, const Move& move)
{
    const int result = board.validateMove(move, false);
    if (result & Piece::MoveInvalid)
        return std::string();
    std::string san;
    if (move.isNull()) {
        san = "--";
    } else {
        char text[8];
        san.assign(text, write_san(text, board, move, result));
    }
    if (result & Piece::MoveCheckmate)
        san += '#';
    else if (result & Piece::MoveCheck)
        san += '+';
    return san;
}

char* write_san(char* out, const Board& board, const Move& move, int bits)
{
    MoveGenerator generator(board);
    return write_san(out, generator, move, bits);
}

char* write_san(char* out, MoveGenerator& generator, const Move& move, int bits)
{
    const Board& board = generator.board();
    if (bits & (Piece::MoveShortCastle | Piece::MoveLongCastle)) {
        for (const char* c = (bits & Piece::MoveShortCastle) ? "O-O" : "O-O-O"; *c != '\0'; ++c)
            *out++ = *c;
        return out;
    }
    const int from = move.fromY * 8 + move.fromX;
    const int to = move.toY * 8 + move.toX;
    const uint8_t piece = board.squares[from];
    const Piece::Type type = Piece::code_type(piece);
    bool needFile = false;
    bool needRank = false;
    if (type == Piece::TypePawn)
        needFile = (bits & Piece::MoveCapture) != 0;
    else
        *out++ = Piece::piece_type_to_char(type);
    // Rivals: the same kind and colour with a legal move to the same square.
    int sources[16];
    const int count = generator.sourcesOf(piece, to, ~(uint64_t(1) << from), sources);
    for (int i = 0; i < count; ++i) {
        const int square = sources[i];
        if ((square & 7) == move.fromX)
            needRank = true;
        else
            needFile = true;
    }
    if (needFile)
        *out++ = static_cast<char>('a' + move.fromX);
    if (needRank)
        *out++ = static_cast<char>('1' + move.fromY);
    if (bits & Piece::MoveCapture)
        *out++ = 'x';
    *out++ = static_cast<char>('a' + move.toX);
    *out++ = static_cast<char>('1' + move.toY);
    if (bits & Piece::MovePromotion) {
        *out++ = '/';
        *out++ = Piece::piece_type_to_char(move.promotion);
    }
    return out;
}

Move move_from_san(const Board& board, Color color, const std::string& san)
{
    MoveGenerator generator(board);
    return move_from_san(generator, color, san);
}

Move move_from_san(MoveGenerator& generator, Color color, const std::string& san)
{
    const Board& board = generator.board();
    // The text without its annotation characters; no SAN is longer.
    char s[8];
    size_t length = 0;
    char previous = '\0';
    for (const char c : san) {
        if (c != '\0' && is_annotation(c)) {
            previous = c;
            continue;
        }
        if (length == sizeof s)
            SAN_ERROR();
        s[length++] = san_reader_char(c, previous);
        previous = c;
    }
    if (text_is(s, length, "--"))
        return Move();
    const int home = color == White ? 0 : 7;
    if (text_is(s, length, "O-O") || text_is(s, length, "0-0")) {
        if (!castling_playable(board, color, true))
            SAN_ERROR();
        return Move(4, home, 6, home, 0);
    }
    if (text_is(s, length, "O-O-O") || text_is(s, length, "0-0-0")) {
        if (!castling_playable(board, color, false))
            SAN_ERROR();
        return Move(4, home, 2, home, 0);
    }
    if (length == 0)
        SAN_ERROR();
    const int promotion = Piece::char_to_piece_type(s[length - 1]);
    if (promotion != Piece::TypeNone) {
        // Only a knight, bishop, rook or queen can be chosen.
        if (promotion == Piece::TypePawn || promotion == Piece::TypeKing)
            SAN_ERROR();
        --length;
        if (length == 0)
            SAN_ERROR();
    }
    const char* rest = s;
    Piece::Type kind = Piece::char_to_piece_type(s[0]);
    if (kind != Piece::TypeNone) {
        ++rest;
        --length;
    }

    // -1: open, to be searched over 0..7.
    int fromX = -1;
    int fromY = -1;
    int toX = -1;
    int toY = -1;
    switch (length) {
    case 2:
        if (!is_file(rest[0]))
            SAN_ERROR();
        if (is_rank(rest[1])) {
            toX = rest[0] - 'a';
            toY = rest[1] - '1';
        } else if (is_file(rest[1])) {
            fromX = rest[0] - 'a';
            toX = rest[1] - 'a';
        } else {
            SAN_ERROR();
        }
        if (kind == Piece::TypeNone)
            kind = Piece::TypePawn;
        break;
    case 3:
        if (is_file(rest[0]))
            fromX = rest[0] - 'a';
        else if (is_rank(rest[0]))
            fromY = rest[0] - '1';
        else
            SAN_ERROR();
        if (!is_file(rest[1]) || !is_rank(rest[2]))
            SAN_ERROR();
        toX = rest[1] - 'a';
        toY = rest[2] - '1';
        if (kind == Piece::TypeNone)
            kind = Piece::TypePawn;
        break;
    case 4: {
        if (!is_file(rest[0]) || !is_rank(rest[1]) || !is_file(rest[2]) || !is_rank(rest[3]))
            SAN_ERROR();
        fromX = rest[0] - 'a';
        fromY = rest[1] - '1';
        toX = rest[2] - 'a';
        toY = rest[3] - '1';
        const uint8_t piece = board.squares[fromY * 8 + fromX];
        if (!piece)
            SAN_ERROR();
        if (kind == Piece::TypeNone)
            kind = Piece::code_type(piece);
        break;
    }
    default:
        SAN_ERROR();
    }

    // Every to-square the text leaves open; a from-square counts when the
    // generator has its move there and it fits what the text fixes.
    const uint8_t wanted = Piece::code(kind, color);
    const int last = color == White ? 7 : 0;
    uint64_t allowed = ~uint64_t(0);
    if (fromX >= 0)
        allowed &= 0x0101010101010101ULL << fromX;
    if (fromY >= 0)
        allowed &= 0xFFULL << (fromY * 8);
    Move found;
    bool haveFound = false;
    for (int ty = toY < 0 ? 0 : toY; ty <= (toY < 0 ? 7 : toY); ++ty) {
        // A promotion needs its piece, and only a promotion takes one.
        const bool promotes = kind == Piece::TypePawn && ty == last;
        if (promotes != (promotion != Piece::TypeNone))
            continue;
        int sources[16];
        const int count = generator.sourcesOf(wanted, ty * 8 + toX, allowed, sources);
        for (int i = 0; i < count; ++i) {
            const int fx = sources[i] & 7;
            const int fy = sources[i] >> 3;
            if (haveFound)
                SAN_ERROR(); // ambiguous
            found = Move(fx, fy, toX, ty, promotion);
            haveFound = true;
        }
    }
    if (!haveFound)
        SAN_ERROR();
    return found;
}
