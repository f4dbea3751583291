#include "chess/san.h"

#include "chess/piece.h"
#include "core/exception.h"

#include <cstring>

namespace {
const char* source_name(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

[[noreturn]] void san_error(const Board& board, const std::string& san, int line)
{
    throw Exception(false, "Error parsing SAN: %s in position: %s [File: %s, Line: %d]",
                    san.c_str(), board.exportToFEN().c_str(), source_name(__FILE__), line);
}

#define SAN_ERROR() san_error(board, san, __LINE__)

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
    const Piece* king = board.getPiece(4, home);
    const Piece* rook = board.getPiece(shortSide ? 7 : 0, home);
    if (!king || king->type != Piece::TypeKing || king->color != color)
        return false;
    if (!rook || rook->type != Piece::TypeRook || rook->color != color)
        return false;
    const int right = shortSide
                          ? (color == White ? Board::WhiteShortCastle : Board::BlackShortCastle)
                          : (color == White ? Board::WhiteLongCastle : Board::BlackLongCastle);
    if (!(board.flags & right))
        return false;
    const int first = shortSide ? 5 : 1;
    const int last = shortSide ? 6 : 3;
    for (int x = first; x <= last; ++x) {
        if (board.getPiece(x, home))
            return false;
    }
    return true;
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

Move move_from_san(const Board& board, Color color, const std::string& san)
{
    std::string s;
    s.reserve(san.size());
    char previous = '\0';
    for (const char c : san) {
        if (!c || !strchr("/=+#x!?", c))
            s += san_reader_char(c, previous);
        previous = c;
    }
    if (s == "--")
        return Move();
    const int home = color == White ? 0 : 7;
    if (s == "O-O" || s == "0-0") {
        if (!castling_playable(board, color, true))
            SAN_ERROR();
        return Move(4, home, 6, home, 0);
    }
    if (s == "O-O-O" || s == "0-0-0") {
        if (!castling_playable(board, color, false))
            SAN_ERROR();
        return Move(4, home, 2, home, 0);
    }
    if (s.empty())
        SAN_ERROR();
    int promotion = Piece::char_to_piece_type(s.back());
    if (promotion != Piece::TypeNone) {
        // Only a knight, bishop, rook or queen can be chosen.
        if (promotion == Piece::TypePawn || promotion == Piece::TypeKing)
            SAN_ERROR();
        s.pop_back();
        if (s.empty())
            SAN_ERROR();
    }
    int kind = s.empty() ? Piece::TypeNone : Piece::char_to_piece_type(s[0]);
    if (kind != Piece::TypeNone)
        s.erase(0, 1);

    // -1: open, to be searched over 0..7.
    int fromX = -1;
    int fromY = -1;
    int toX = -1;
    int toY = -1;
    switch (s.size()) {
    case 2:
        if (!is_file(s[0]))
            SAN_ERROR();
        if (is_rank(s[1])) {
            toX = s[0] - 'a';
            toY = s[1] - '1';
        } else if (is_file(s[1])) {
            fromX = s[0] - 'a';
            toX = s[1] - 'a';
        } else {
            SAN_ERROR();
        }
        if (kind == Piece::TypeNone)
            kind = Piece::TypePawn;
        break;
    case 3:
        if (is_file(s[0]))
            fromX = s[0] - 'a';
        else if (is_rank(s[0]))
            fromY = s[0] - '1';
        else
            SAN_ERROR();
        if (!is_file(s[1]) || !is_rank(s[2]))
            SAN_ERROR();
        toX = s[1] - 'a';
        toY = s[2] - '1';
        if (kind == Piece::TypeNone)
            kind = Piece::TypePawn;
        break;
    case 4: {
        if (!is_file(s[0]) || !is_rank(s[1]) || !is_file(s[2]) || !is_rank(s[3]))
            SAN_ERROR();
        fromX = s[0] - 'a';
        fromY = s[1] - '1';
        toX = s[2] - 'a';
        toY = s[3] - '1';
        const Piece* piece = board.getPiece(fromX, fromY);
        if (!piece)
            SAN_ERROR();
        if (kind == Piece::TypeNone)
            kind = piece->type;
        break;
    }
    default:
        SAN_ERROR();
    }

    Move found;
    bool haveFound = false;
    for (int fx = fromX < 0 ? 0 : fromX; fx <= (fromX < 0 ? 7 : fromX); ++fx) {
        for (int fy = fromY < 0 ? 0 : fromY; fy <= (fromY < 0 ? 7 : fromY); ++fy) {
            const Piece* piece = board.squares[fy * 8 + fx];
            if (!piece || piece->color != color || piece->type != kind)
                continue;
            for (int tx = toX < 0 ? 0 : toX; tx <= (toX < 0 ? 7 : toX); ++tx) {
                for (int ty = toY < 0 ? 0 : toY; ty <= (toY < 0 ? 7 : toY); ++ty) {
                    const Move candidate(fx, fy, tx, ty, promotion);
                    const int result = piece->validateMove(board, candidate, false);
                    if (result & Piece::MoveInvalid)
                        continue;
                    // A promotion needs its piece, and only a promotion takes one.
                    if (((result & Piece::MovePromotion) != 0) != (promotion != Piece::TypeNone))
                        continue;
                    if (haveFound)
                        SAN_ERROR(); // ambiguous
                    found = candidate;
                    haveFound = true;
                }
            }
        }
    }
    if (!haveFound)
        SAN_ERROR();
    return found;
}
