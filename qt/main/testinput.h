#pragma once

class ChessController;

// A hook for the tests that run the real program: with INKMATE_TEST_INPUT=1
// it reads commands from standard input, one a line, as they arrive:
//   move e2e4   the move entered as with the keys (piece, then target, OK)
//   fen         writes the position on screen as FEN to standard output
// Without the variable it does nothing.
void install_test_input(ChessController& controller);
