#pragma once

#include "chess/board.h"
#include "chess/color.h"
#include "chess/move.h"
#include "chess/piece.h"

#include <string>

// Standard Algebraic Notation. Promotions are written with "/" ("e8/Q").

// The SAN of the move in the position; "" when the move is not legal there.
std::string move_to_san(const Board& board, const Move& move);

// Writes the SAN of a legal move other than the null move, without its check
// or mate mark, to out (8 characters at most) and returns the end. bits are
// the move's Piece::validateMove bits; MoveCapture, MoveShortCastle,
// MoveLongCastle and MovePromotion are the ones read. Inline: reading a game
// writes one per move.
inline char* write_san(char* out, const Board& board, const Move& move, int bits)
{
    if (bits & (Piece::MoveShortCastle | Piece::MoveLongCastle)) {
        for (const char* c = (bits & Piece::MoveShortCastle) ? "O-O" : "O-O-O"; *c != '\0'; ++c)
            *out++ = *c;
        return out;
    }
    const Piece* piece = board.getPiece(move.fromX, move.fromY);
    bool needFile = false;
    bool needRank = false;
    if (piece->type == Piece::TypePawn)
        needFile = (bits & Piece::MoveCapture) != 0;
    else
        *out++ = piece->getSymbol(2);
    for (int square = 0; square < 64; ++square) {
        const int x = square & 7;
        const int y = square >> 3;
        if (board.squares[square] != piece || (x == move.fromX && y == move.fromY))
            continue;
        // The piece's own test gives the same invalid bit as the board's; the
        // test without the own king is cheaper and rejects most rivals.
        const Move rival(x, y, move.toX, move.toY, 0);
        if ((piece->validateMove(board, rival, true) & Piece::MoveInvalid) != 0 ||
            (piece->validateMove(board, rival, false) & Piece::MoveInvalid) != 0)
            continue;
        if (x == move.fromX)
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

// A character of SAN text as the reader takes it: a lower-case promotion
// letter after "=" ("a8=q", as files written by hand have it) is upper case.
inline char san_reader_char(char c, char previous)
{
    return previous == '=' && (c == 'n' || c == 'b' || c == 'r' || c == 'q')
               ? static_cast<char>(c - 'a' + 'A')
               : c;
}

// The unique legal move of the colour that the text denotes; throws Exception
// "Error parsing SAN: ..." otherwise. Annotation characters "/=+#x!?" are
// ignored; "O-O", "0-0", long forms "e2e4" and short pawn captures "ed5", "ed"
// are accepted.
Move move_from_san(const Board& board, Color color, const std::string& san);
