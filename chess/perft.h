#pragma once

#include "chess/board.h"

#include <cstdint>

// Leaf nodes of the legal move tree of the side to move, depth plies deep.
// Promotions count four moves, as MoveGenerator counts them. Depth 0
// gives 1. Allocates nothing per node.
uint64_t perft(const Board& board, int depth);
