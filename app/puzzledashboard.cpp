#include "app/puzzledashboard.h"

#include "core/trans.h"
#include "views/puzzlethemes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

struct Sum {
    int wins = 0;
    int games = 0;
    double ratings = 0;
};

void add(Sum& sum, const PuzzleTables::Attempt& attempt)
{
    sum.wins += attempt.win ? 1 : 0;
    ++sum.games;
    sum.ratings += attempt.puzzleRating;
}

PuzzleDashboard::Row row_of(const std::string& theme, const Sum& sum)
{
    PuzzleDashboard::Row row;
    row.theme = theme;
    row.solved = sum.wins;
    row.missed = sum.games - sum.wins;
    if (sum.games > 0)
        row.performance = static_cast<int>(
            std::lround(sum.ratings / sum.games - 500.0 + 1000.0 * sum.wins / sum.games));
    return row;
}

} // namespace

PuzzleDashboard PuzzleDashboard::of(const std::vector<PuzzleTables::Attempt>& attempts,
                                    int bestStreak)
{
    PuzzleDashboard out;
    out.bestStreak = bestStreak;
    Sum total;
    std::map<std::string, Sum> themes;
    for (const PuzzleTables::Attempt& attempt : attempts) {
        add(total, attempt);
        out.ratings.push_back(attempt.rating);
        size_t start = 0;
        while (start < attempt.themes.size()) {
            size_t end = attempt.themes.find(' ', start);
            if (end == std::string::npos)
                end = attempt.themes.size();
            if (end > start)
                add(themes[attempt.themes.substr(start, end - start)], attempt);
            start = end + 1;
        }
    }
    out.total = row_of("", total);
    for (const auto& [theme, sum] : themes)
        out.themes.push_back(row_of(theme, sum));
    std::stable_sort(out.themes.begin(), out.themes.end(), [](const Row& a, const Row& b) {
        return a.solved + a.missed > b.solved + b.missed;
    });
    return out;
}

std::string PuzzleDashboard::text() const
{
    char line[256];
    std::string out;
    std::snprintf(line, sizeof line, translated("Solved %d, missed %d, performance %d"),
                  total.solved, total.missed, total.performance);
    out += line;
    out += '\n';
    if (!ratings.empty()) {
        std::snprintf(line, sizeof line, translated("rating %d"),
                      static_cast<int>(std::lround(ratings.back())));
        out += line;
        out += '\n';
    }
    std::snprintf(line, sizeof line, translated("Best streak %d"), bestStreak);
    out += line;
    out += '\n';
    for (const Row& row : themes) {
        std::snprintf(line, sizeof line, "%s: %d / %d \u00b7 %d",
                      translated(puzzlethemes::words(row.theme).c_str()), row.solved, row.missed,
                      row.performance);
        out += '\n';
        out += line;
    }
    return out;
}
