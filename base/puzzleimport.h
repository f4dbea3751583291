#pragma once

#include "base/textsource.h"
#include "core/gameresult.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Builds a puzzle base from the public puzzle CSV file
// (PuzzleId,FEN,Moves,Rating,RatingDeviation,Popularity,NbPlays,Themes,GameUrl,OpeningTags).
// The FEN is the position before the opponent's move, the first of Moves; the
// solver is the side not to move in the FEN. Each kept row becomes a puzzle
// game whose move text shows the opponent's move with "$500" after it, so the
// puzzle opens at the solver's turn. Games are stored by ascending rating
// (ties in file order) with a contents heading for each band of 200 points.
class PuzzleImport {
public:
    struct Filter {
        int minRating = INT_MIN;
        int maxRating = INT_MAX;
        // Rows with every theme of one of the groups (any row when there are
        // none) and none of the excluded themes; names match whatever their case.
        std::vector<std::vector<std::string>> themeGroups;
        std::vector<std::string> excludedThemes;
        int minPopularity = INT_MIN;
        // Keep the first rows that match, in file order; negative: all.
        int64_t limit = -1;
    };

    struct Report {
        int64_t read = 0;
        int64_t kept = 0;
        int64_t malformed = 0;
        // "line N: MESSAGE" for the first malformed rows.
        std::vector<std::string> messages;
        // Rows whose puzzle id came before: only the first is stored.
        int64_t duplicates = 0;
        std::vector<std::string> duplicateMessages;
        // False when no row was kept: the base was left as it was.
        bool written = false;
        // The filter's theme names that no row of the file has.
        std::vector<std::string> absentThemes;
    };

    struct Progress {
        uint64_t bytesDone = 0;
        uint64_t bytesTotal = 0; // 0 when unknown
        int64_t read = 0;
        int64_t kept = 0;
        int64_t stored = 0; // games written in rating order so far
    };
    using ProgressFunction = std::function<void(const Progress&)>;

    // One row turned into a puzzle game.
    struct Puzzle {
        int rating = 0;
        // The line of the file it was read from.
        int64_t line = 0;
        int deviation = 0;
        int popularity = 0;
        int plays = 0;
        uint64_t themeLo = 0;
        uint64_t themeHi = 0;
        std::string event;
        std::string site;
        std::string round;
        std::string fen;
        GameResult result = ResultInProgress;
        unsigned flags = 0;
        std::string moveText;
        // The source's theme names and opening tags, space separated.
        std::string themes;
        std::string opening;
    };

    // The columns of a row, in the order of the header line.
    enum Column : size_t {
        ColId,
        ColFen,
        ColMoves,
        ColRating,
        ColDeviation,
        ColPopularity,
        ColPlays,
        ColThemes,
        ColUrl,
        ColOpenings,
        ColCount
    };

    static const char* const kHeader;
    static constexpr size_t kReportedMessages = 20;

    // Opens the CSV (plain, zstd-compressed, or "-" for standard input) and
    // reads its header line. False with error() set when the file cannot be
    // read or is not the puzzle CSV; nothing has been written then.
    bool open(const std::string& path);
    const std::string& error() const { return m_error; }

    // Builds basePath in a temporary file and renames it over basePath (or
    // the file a link there names) when complete and not empty. Malformed
    // rows are skipped and reported, as are repeated puzzle ids. Throws Exception when the base
    // cannot be written; any file at basePath then stays as it was.
    Report run(const std::string& basePath, const Filter& filter,
               const ProgressFunction& progress = nullptr);

    // A decimal integer filling the whole text.
    static bool readInt(const std::string& text, int* out);
    // Splits a data row into its ten columns; false when the count differs.
    static bool splitRow(const char* text, size_t length, std::vector<std::string>* columns);
    // Turns the ten columns into a puzzle; false with a message when they do
    // not make one (FEN, moves or a number).
    static bool convert(const std::vector<std::string>& columns, Puzzle* puzzle,
                        std::string* message);
    // Whether a row's columns, with its rating, pass the filter.
    static bool matches(const Filter& filter, const std::vector<std::string>& columns, int rating);
    // Whether the space-separated names include the name, whatever its case.
    static bool hasTheme(std::string_view themes, std::string_view name);
    // The Event text: "Black to move · mate in 2 · 1853".
    static std::string eventText(bool whiteSolves, const std::string& themes, int rating);
    // "1200-1399" for ratings 1200 to 1399; bandStart gives 1200.
    static std::string bandText(int rating);
    static long bandStart(int rating);

private:
    TextSource m_source;
    std::string m_path;
    std::string m_error;
    int64_t m_line = 0;
};
