#pragma once

#include "chess/board.h"
#include "chess/move.h"

// Whether an engine's answer is a legal move of the side to move in board; a
// promotion without a letter becomes a queen's, a letter on any other move
// makes the answer illegal.
bool legal_engine_answer(const Board& board, Move& move);
