#pragma once

#include <vector>

// A Glicko-2 rating (Glickman's scale: 1500, deviation 350 at the start),
// updated after each puzzle as one game against the puzzle's rating.
struct PuzzleRating {
    double rating = 1500.0;
    double deviation = 350.0;
    double volatility = 0.06;

    // The rating after a win or a loss against a puzzle of that rating
    // (its deviation as given by the source, else 75).
    PuzzleRating after(bool win, double puzzleRating, double puzzleDeviation = 75.0) const;

    // One result of a rating period.
    struct Result {
        double score; // 1 win, 0 loss
        double rating;
        double deviation;
    };
    // The rating after the games of one period.
    PuzzleRating after(const std::vector<Result>& results) const;
};
