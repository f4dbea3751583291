#pragma once

#include "base/puzzletables.h"

#include <string>
#include <vector>

// What the player did in the puzzles of a base: solved and missed, and the
// performance (average puzzle rating - 500 + 1000 x wins / puzzles), in all
// and per theme; the rating after each scored puzzle; the best streak.
struct PuzzleDashboard {
    struct Row {
        std::string theme; // raw name; "" for all puzzles
        int solved = 0;
        int missed = 0;
        int performance = 0;
    };

    static PuzzleDashboard of(const std::vector<PuzzleTables::Attempt>& attempts, int bestStreak);
    // The page's text, translated: the totals, the best streak, a line per
    // theme, most played first.
    std::string text() const;

    Row total;
    std::vector<Row> themes;
    std::vector<double> ratings;
    int bestStreak = 0;
};
