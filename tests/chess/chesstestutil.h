#pragma once

#include "chess/board.h"
#include "chess/move.h"

#include <gtest/gtest.h>

// A position from FEN text.
inline Board fen(const char* text)
{
    Board b;
    b.importFromFEN(text);
    return b;
}

// A move in coordinates ("e2e4", "e7e8q"); a text that is no move fails the test.
inline Move mv(const char* text)
{
    Move m;
    EXPECT_TRUE(m.setFromString(text)) << text;
    return m;
}
