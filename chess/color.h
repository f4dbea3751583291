#pragma once

// Side of a piece or of the player to move.
enum Color { White = 0, Black = 1 };

// The other side; any value other than White and Black gives White.
inline Color opposite_color(Color color)
{
    return static_cast<int>(color) < 2 ? static_cast<Color>(1 - static_cast<int>(color)) : White;
}
