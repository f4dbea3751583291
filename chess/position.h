#pragma once

#include <cstdint>

// A square: file x 0..7 (a..h), rank y 0..7 (1..8); (-1, -1) is no square.
struct Position {
    int32_t x = -1;
    int32_t y = -1;

    Position() = default;
    Position(int32_t px, int32_t py) : x(px), y(py) {}

    bool isValid() const { return x >= 0 && x < 8 && y >= 0 && y < 8; }
    // Square index y * 8 + x; only meaningful when isValid().
    int index() const { return y * 8 + x; }

    bool operator==(const Position& other) const { return x == other.x && y == other.y; }
    bool operator!=(const Position& other) const { return !(*this == other); }
};
