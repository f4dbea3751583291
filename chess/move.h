#pragma once

#include "chess/position.h"

#include <cstdint>
#include <string>
#include <vector>

// A move from one square to another with the piece type a pawn promotes to
// (a Piece::Type value, 0 = none). Four -1 coordinates make the null move.
struct Move {
    int32_t fromX = -1;
    int32_t fromY = -1;
    int32_t toX = -1;
    int32_t toY = -1;
    int32_t promotion = 0;

    // The null move.
    Move() = default;
    Move(int32_t fx, int32_t fy, int32_t tx, int32_t ty, int32_t promo = 0)
        : fromX(fx), fromY(fy), toX(tx), toY(ty), promotion(promo)
    {
    }
    Move(const Position& from, const Position& to, int32_t promo = 0)
        : fromX(from.x), fromY(from.y), toX(to.x), toY(to.y), promotion(promo)
    {
    }

    bool isNull() const { return fromX == -1 && fromY == -1 && toX == -1 && toY == -1; }
    Position getFrom() const { return Position(fromX, fromY); }
    Position getTo() const { return Position(toX, toY); }

    // Coordinate form "e2e4", "e7e8q" (promotion letter n, b, r, q only).
    std::string getAsString() const;
    // Reads the coordinate form; false unless 4 or 5 characters with a valid
    // promotion letter. Coordinates are stored without a range test.
    bool setFromString(const std::string& text);

    bool operator==(const Move& other) const
    {
        return fromX == other.fromX && fromY == other.fromY && toX == other.toX &&
               toY == other.toY && promotion == other.promotion;
    }
    bool operator!=(const Move& other) const { return !(*this == other); }
};

using Moves = std::vector<Move>;
