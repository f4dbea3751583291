#pragma once

#include "chess/color.h"
#include "chess/move.h"
#include "chess/position.h"

class Board;

// One kind of chess piece of one colour. The twelve pieces are shared,
// immutable objects owned by PiecesSet; boards hold pointers to them, so two
// squares hold the same kind and colour exactly when the pointers are equal.
class Piece {
public:
    enum Type {
        TypeNone = 0,
        TypePawn = 1,
        TypeKnight = 2,
        TypeBishop = 3,
        TypeRook = 4,
        TypeQueen = 5,
        TypeKing = 6
    };

    // Result bits of validateMove.
    enum ValidationBits {
        MoveInvalid = 0x01,
        MoveCapture = 0x02,
        MoveShortCastle = 0x04,
        MoveLongCastle = 0x08,
        MovePromotion = 0x10,
        MoveCheck = 0x20,     // set by Board::validateMove only
        MoveCheckmate = 0x40, // set by Board::validateMove only
        MoveStalemate = 0x80  // set by Board::validateMove only
    };

    // symbols: glyph on a light square, glyph on a dark square, upper-case
    // letter, lower-case letter.
    Piece(Color color, Type type, const char symbols[4]);
    virtual ~Piece();
    Piece(const Piece&) = delete;
    Piece& operator=(const Piece&) = delete;

    // Result bits for moving this piece (which must stand on the from-square).
    // Without ignoreCheck a move leaving the own king attacked is invalid.
    virtual int validateMove(const Board& board, const Move& move, bool ignoreCheck) const;
    // Applies the move's effect on the squares (no legality test).
    virtual void doMove(Board& board, const Move& move) const;
    // Number of legal moves from the square (a promotion counts four); the
    // moves are appended to the list when one is given.
    virtual int generateMoves(const Board& board, const Position& position, Moves* moves) const = 0;

    bool isMyKingUnderCheckAfterMyMove(const Board& board, const Move& move) const;
    // index 0..3: light-square glyph, dark-square glyph, upper-case, lower-case.
    char getSymbol(int index) const;
    // The letter of "-PNBRQK" at the type's index; "-" for 7 or more.
    static char piece_type_to_char(int type);
    // The type of a letter of "PNBRQK"; TypeNone for any other character.
    static Type char_to_piece_type(char c);

    Color getColor() const { return color; }
    Type getType() const { return type; }

    const Color color;
    const Type type;

protected:
    // The base test without the own-king test: coordinates, this piece on the
    // from-square, target empty (0) or an opponent's (MoveCapture).
    int validateBase(const Board& board, const Move& move) const;
    // Adds the own-king test to a result that passed the geometry.
    int validateOwnKing(const Board& board, const Move& move, bool ignoreCheck, int result) const;

private:
    char m_symbols[4];
};

inline Piece::Type Piece::char_to_piece_type(char c)
{
    switch (c) {
    case 'P':
        return TypePawn;
    case 'N':
        return TypeKnight;
    case 'B':
        return TypeBishop;
    case 'R':
        return TypeRook;
    case 'Q':
        return TypeQueen;
    case 'K':
        return TypeKing;
    default:
        return TypeNone;
    }
}
