#pragma once

#include "chess/color.h"
#include "chess/move.h"

#include <cstdint>

// A kind of chess piece of one colour, as plain data. A board keeps each
// square's piece as its code: the type, plus 8 for Black, 0 for an empty
// square. Piece::of() gives the one constant Piece of each code, so two
// squares hold the same kind and colour exactly when those pointers are equal.
// The rules of the pieces live in MoveGenerator and Board::doMove.
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

    // Result bits of Board::validateMove and Board::moveBits.
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

    // The square code of a piece; 0 for TypeNone or a type out of range.
    static uint8_t code(Type type, Color color)
    {
        return type >= TypePawn && type <= TypeKing
                   ? static_cast<uint8_t>(type | (color == Black ? 8 : 0))
                   : 0;
    }
    static Type code_type(uint8_t code) { return static_cast<Type>(code & 7); }
    static Color code_color(uint8_t code) { return (code & 8) ? Black : White; }
    // The constant piece of a square code; nullptr for an empty square.
    static const Piece* of(uint8_t code);
    // The constant piece of that kind and colour; nullptr for TypeNone or a
    // value out of range.
    static const Piece* get(Type type, Color color);

    // index 0..3: light-square glyph, dark-square glyph, upper-case, lower-case.
    char getSymbol(int index) const;
    // The letter of "-PNBRQK" at the type's index; "-" for 7 or more.
    static char piece_type_to_char(int type);
    // The type of a letter of "PNBRQK"; TypeNone for any other character.
    static Type char_to_piece_type(char c);

    Color getColor() const { return color; }
    Type getType() const { return type; }
    uint8_t getCode() const { return code(type, color); }

    constexpr Piece(Type t, Color c, const char* s)
        : color(c), type(t), m_symbols{s[0], s[1], s[2], s[3]}
    {
    }

    const Color color;
    const Type type;

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
