#pragma once

class ChessController;
class PGNMove;

// Puzzle training: hints, shown solutions stepped by OK, the retry of failed
// puzzles, the puzzle flags stored as they change and the solved/total counts
// the header shows (ViewState::progress, refreshed on a new base, heading or
// solved bit; painting never counts).
class PuzzleTrainer {
public:
    explicit PuzzleTrainer(ChessController& controller);
    PuzzleTrainer(const PuzzleTrainer&) = delete;
    PuzzleTrainer& operator=(const PuzzleTrainer&) = delete;

    // A new game is shown: no hint marked, no solution shown.
    void reset();
    // In an unsolved puzzle at the solver's turn: the first use marks the
    // square of the piece to move, the second plays the hidden move. The
    // puzzle counts as helped.
    void puzzleHint();
    // Plays out the hidden line, one move now and one for each OK; the
    // puzzle counts as failed and helped, and stays unsolved.
    void showSolution();
    bool isShowingSolution() const { return m_showingSolution; }
    // The next move of a shown solution; false at its end.
    bool stepSolution();
    // Opens the next failed, unsolved puzzle, from the first after the last.
    void retryFailedPuzzles();
    // After a move in a puzzle: a puzzle solved now (not by a shown solution)
    // is stored as solved, and the next unsolved one follows after the
    // "next_puzzle" seconds (0: never).
    void checkSolved();
    // Stores flags of the shown puzzle (where the base can) and counts again
    // when the solved bit changed.
    void setPuzzleFlags(unsigned set, unsigned clear = 0);
    // The solved/total counts of the shown puzzle's heading and base: all
    // counted when the base was opened since or the heading differs, the
    // solved ones alone when solvedChanged is set.
    void refreshPuzzleProgress(bool solvedChanged);

private:
    ChessController& m_controller;
    // The position a hint marked its piece in; a hint there plays the move.
    const PGNMove* m_hintAt = nullptr;
    // OK steps through the solution of the shown puzzle.
    bool m_showingSolution = false;
};
