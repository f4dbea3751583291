#pragma once

#include "app/puzzledashboard.h"
#include "app/puzzlerating.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ChessController;
class PGNMove;
class PGNCommentElement;
struct Move;

// Puzzle training: hints, shown solutions stepped by OK, the retry of failed
// puzzles, the puzzle flags stored as they change and the solved/total counts
// the header shows (ViewState::progress, refreshed on a new base, heading or
// solved bit; painting never counts).
//
// Each shown puzzle is scored once, at its first outcome: a clean solve is a
// win, a wrong move, a hint or a shown solution a loss. A score moves the
// player's Glicko-2 rating against the puzzle's, the streak of wins, and
// the repetition dates of a missed puzzle (PuzzleTables, in the base).
class PuzzleTrainer {
public:
    explicit PuzzleTrainer(ChessController& controller);
    PuzzleTrainer(const PuzzleTrainer&) = delete;
    PuzzleTrainer& operator=(const PuzzleTrainer&) = delete;

    // A new game is shown: no hint marked, no solution shown, not scored;
    // the themes comment of an unsolved puzzle hidden.
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
    // Opens the puzzle due for repetition longest, else the next failed
    // puzzle (or one solved with help), from the first after the last.
    void retryFailedPuzzles();
    // Opens the next puzzle as puzzle.order says: by rating after the
    // shown one, the unsolved one nearest to the player's rating (moved by
    // puzzle.difficulty, with puzzle.theme), or for a streak the next
    // above the last one solved.
    void nextPuzzle();
    // A move other than the stored one at a hidden move: played beside it
    // when it reaches the same position, or mates on the solver's last
    // move. False, and nothing played, otherwise.
    bool playOtherSolution(PGNMove* stored, const Move& move);
    // A wrong move: failed, and scored as a miss.
    void missed();
    // After a move in a puzzle: a puzzle solved now (not by a shown solution)
    // is stored as solved, and the next one follows after the
    // "next_puzzle" seconds (0: never).
    void checkSolved();
    // Stores flags of the shown puzzle (where the base can) and counts again
    // when the solved bit changed.
    void setPuzzleFlags(unsigned set, unsigned clear = 0);
    // The solved/total counts of the shown puzzle's heading and base: all
    // counted when the base was opened since or the heading differs, the
    // solved ones alone when solvedChanged is set.
    void refreshPuzzleProgress(bool solvedChanged);

    // The clock of the scores and the repetition dates, seconds since the epoch.
    void setClock(std::function<int64_t()> now) { m_now = std::move(now); }
    const PuzzleRating& rating() const { return m_rating; }
    int streak() const { return m_streak; }
    int bestStreak() const { return m_bestStreak; }
    // The player's puzzles of the shown base so far.
    PuzzleDashboard dashboard();

    // The difficulty offsets of puzzle.difficulty, easiest to hardest.
    static const int kDifficultyOffsets[5];

private:
    void syncBase();
    void score(bool win);
    // The puzzle's rating and raw themes; false when the base does not tell
    // the rating.
    bool puzzleRating(int* rating, std::string* themes) const;
    void hideThemes();
    void showThemes();
    int64_t today() const;

    ChessController& m_controller;
    // The position a hint marked its piece in; a hint there plays the move.
    const PGNMove* m_hintAt = nullptr;
    // OK steps through the solution of the shown puzzle.
    bool m_showingSolution = false;
    // The shown puzzle was scored.
    bool m_scored = false;
    // The first word of the themes comment and the raw names it held.
    PGNCommentElement* m_themesAt = nullptr;
    std::string m_themes;

    // The base the rating and streaks were read from.
    std::string m_basePath;
    const void* m_baseHandle = nullptr;
    bool m_baseReadOnly = false;
    bool m_writable = false;
    PuzzleRating m_rating;
    // Every scored try in the base, also where it cannot be stored.
    std::vector<PuzzleTables::Attempt> m_attempts;
    int m_streak = 0;
    int m_bestStreak = 0;
    // The rating of the last puzzle of the streak.
    int m_streakRating = 0;
    std::function<int64_t()> m_now;
};
