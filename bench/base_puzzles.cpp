// Puzzle CSV import against the sqlite3 shell's ".import --csv" of the same
// file, storing every row and with a filter that keeps a tenth, the peak
// memory of the import, and the choice of a puzzle near a rating with a theme
// on a big base.
//
//   bench_base_puzzles [--repeat N] [--choose ROWS] [ROWS...]
//   (default: 3, --choose 0, 300000)
//
// --choose builds a base of ROWS puzzles once in bench-scratch/ beside bin/
// (kept for the next run) and times the choice there.
//
// Each step runs N times, the steps taking turns, and the fastest run of
// each counts: on a shared machine the other runs measure the neighbours.
// The last line of each size is the import's speed as a share of the
// shell's, by wall and by CPU time.
//
// The input repeats the rows of assets/chess/puzzles.csv with new ids and
// ratings moved by up to 100 points, so that the sort has work to do. Each
// measurement runs in a child process: its peak memory is its own.
#include "base/chessbase.h"
#include "base/puzzleimport.h"
#include "base/sqlitestatement.h"
#include "base/textsource.h"
#include "core/exception.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double seconds = 0;
    double cpu = 0;
    long peakKb = 0;
    bool ok = false;
};

// Runs body in a child process; its time and peak resident memory.
template <typename Body> Run in_child(Body body)
{
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0)
        _exit(body() ? 0 : 1);
    int status = 0;
    struct rusage usage;
    Run run;
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.peakKb = usage.ru_maxrss;
    run.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

std::vector<std::string> sample_rows()
{
    std::ifstream in(INKMATE_SOURCE_DIR "/assets/chess/puzzles.csv");
    std::vector<std::string> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        if (!line.empty())
            rows.push_back(line);
    }
    return rows;
}

// The sample repeated to rows lines, each with a new id and a moved rating.
// With spread, the ratings are drawn from 400..3199 whatever the row, so that
// each theme is found at every rating, as in the real file.
bool write_input(const std::string& path, const std::vector<std::string>& sample, long rows,
                 std::vector<int>* ratings = nullptr, bool spread = false)
{
    FILE* out = fopen(path.c_str(), "wb");
    if (!out)
        return false;
    fprintf(out, "%s\n", PuzzleImport::kHeader);
    std::vector<std::string> columns;
    for (long i = 0; i < rows; ++i) {
        const std::string& row = sample[static_cast<size_t>(i) % sample.size()];
        PuzzleImport::splitRow(row.c_str(), row.size(), &columns);
        const uint64_t mixed = static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ull;
        const int rating = spread ? 400 + static_cast<int>((mixed >> 32) % 2800)
                                  : atoi(columns[PuzzleImport::ColRating].c_str()) +
                                        static_cast<int>((i * 7919) % 201) - 100;
        if (ratings)
            ratings->push_back(rating);
        fprintf(out, "r%07lx", static_cast<unsigned long>(i));
        for (size_t c = 1; c < columns.size(); ++c) {
            if (c == PuzzleImport::ColRating)
                fprintf(out, ",%d", rating);
            else
                fprintf(out, ",%s", columns[c].c_str());
        }
        fputc('\n', out);
    }
    return fclose(out) == 0;
}

// Reading and filtering only: every row split, its rating read and matched.
bool read_and_filter(const std::string& path, long* kept)
{
    TextSource source;
    if (!source.open(path))
        return false;
    PuzzleImport::Filter filter;
    filter.minPopularity = -100;
    std::vector<std::string> columns;
    const char* text = nullptr;
    size_t length = 0;
    source.readLine(&text, &length);
    *kept = 0;
    while (source.readLine(&text, &length)) {
        if (!PuzzleImport::splitRow(text, length, &columns))
            continue;
        *kept +=
            PuzzleImport::matches(filter, columns, atoi(columns[PuzzleImport::ColRating].c_str()))
                ? 1
                : 0;
    }
    return true;
}

// Reading and turning every row into a puzzle game (FEN, every move's
// legality, SAN, check and mate), storing nothing: the chess part of the import.
bool read_and_convert(const std::string& path)
{
    TextSource source;
    if (!source.open(path))
        return false;
    std::vector<std::string> columns;
    PuzzleImport::Puzzle puzzle;
    std::string message;
    const char* text = nullptr;
    size_t length = 0;
    source.readLine(&text, &length);
    long kept = 0;
    while (source.readLine(&text, &length)) {
        if (PuzzleImport::splitRow(text, length, &columns) &&
            PuzzleImport::convert(columns, &puzzle, &message))
            ++kept;
    }
    return kept > 0;
}

bool import(const std::string& csv, const std::string& cdb,
            const PuzzleImport::Filter& filter = PuzzleImport::Filter())
{
    try {
        PuzzleImport puzzles;
        if (!puzzles.open(csv))
            return false;
        return puzzles.run(cdb, filter).kept > 0;
    } catch (const Exception& e) {
        fprintf(stderr, "%s\n", e.what());
        return false;
    }
}

bool sqlite_shell(const std::string& csv, const std::string& db)
{
    unlink(db.c_str());
    const std::string command = "sqlite3 '" + db + "' \".import --csv '" + csv + "' puzzles\"";
    return system(command.c_str()) == 0;
}

// Milliseconds of the counts the puzzle header shows (the base and the
// heading of a middle row) and of the search for a failed puzzle, on a base
// where one late puzzle failed.
void time_counts(const std::string& cdb, const char* label)
{
    ChessBase base;
    base.open(cdb);
    const int rows = base.gameCount();
    const ChessBase::HeaderItem* header = base.getHeader(rows / 2);
    int first = 1, last = rows;
    base.headingRange(header, &first, &last);
    const Clock::time_point start = Clock::now();
    const ChessBase::PuzzleCount all = base.countPuzzles();
    const Clock::time_point counted = Clock::now();
    const ChessBase::PuzzleCount band = base.countPuzzles(first, last);
    const Clock::time_point banded = Clock::now();
    const int failed = base.getNextFailedPuzzleRowID(0);
    const Clock::time_point found = Clock::now();
    auto ms = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
    };
    printf("%9s %8s | %-30s | base %d/%d in %.1f ms, heading %d/%d in %.1f ms, failed row %d in "
           "%.1f ms\n",
           "", "", label, all.solved, all.total, ms(start, counted), band.solved, band.total,
           ms(counted, banded), failed, ms(banded, found));
}

// One puzzle near the end solved, one failed, as the program stores them.
void mark_progress(const std::string& cdb)
{
    ChessBase base;
    base.open(cdb);
    const int rows = base.gameCount();
    base.openGame(rows - 2);
    base.setPuzzleFlags(Game::FlagSolved);
    base.openGame(rows - 1);
    base.setPuzzleFlags(Game::FlagFailed);
    base.openGame(1);
}

double mb(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? static_cast<double>(info.st_size) / 1e6 : 0;
}

// The folder bench-scratch beside the program's bin folder.
std::string scratch_folder()
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path = length > 0 ? std::string(self, static_cast<size_t>(length)) : ".";
    for (int up = 0; up < 2; ++up) {
        const size_t slash = path.rfind('/');
        path = slash == std::string::npos ? "." : path.substr(0, slash);
    }
    path += "/bench-scratch";
    mkdir(path.c_str(), 0755);
    return path;
}

// A base of rows puzzles, built once; empty on failure.
std::string big_base(const std::vector<std::string>& sample, long rows)
{
    const std::string dir = scratch_folder();
    const std::string cdb = dir + "/spread-" + std::to_string(rows) + ".cdb";
    struct stat info;
    if (stat(cdb.c_str(), &info) == 0)
        return cdb;
    const std::string csv = dir + "/puzzles.csv";
    printf("building %s (once)...\n", cdb.c_str());
    fflush(stdout);
    const Clock::time_point start = Clock::now();
    const bool ok = write_input(csv, sample, rows, nullptr, true) &&
                    in_child([&] { return import(csv, cdb); }).ok;
    unlink(csv.c_str());
    if (!ok)
        return std::string();
    printf("built in %.0f s\n", std::chrono::duration<double>(Clock::now() - start).count());
    return cdb;
}

// The puzzle with the theme nearest to the rating, as the trainer looks for
// it: the rating index walked up and down from the rating, the theme bit
// tested in the index itself. Milliseconds, the game row in *found.
double choose(sqlite3* db, int rating, int bit, int64_t* found)
{
    const Clock::time_point start = Clock::now();
    const int64_t lo = bit < 64 ? int64_t(uint64_t(1) << bit) : 0;
    const int64_t hi = bit >= 64 ? int64_t(uint64_t(1) << (bit - 64)) : 0;
    SQLiteStatement up(db, R"(select game, rating from puzzle_info where rating >= ?1
                              and (theme_lo & ?2 != 0 or theme_hi & ?3 != 0)
                              order by rating limit 1)");
    SQLiteStatement down(db, R"(select game, rating from puzzle_info where rating < ?1
                                and (theme_lo & ?2 != 0 or theme_hi & ?3 != 0)
                                order by rating desc limit 1)");
    int64_t best = 0;
    int64_t distance = INT64_MAX;
    for (SQLiteStatement* walk : {&up, &down}) {
        walk->bind(1, rating);
        walk->bind(2, lo);
        walk->bind(3, hi);
        if (walk->step() && std::llabs(walk->columnInt64(1) - rating) < distance) {
            distance = std::llabs(walk->columnInt64(1) - rating);
            best = walk->columnInt64(0);
        }
    }
    *found = best;
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int time_choice(const std::vector<std::string>& sample, long rows)
{
    const std::string cdb = big_base(sample, rows);
    if (cdb.empty())
        return 1;
    ChessBase base;
    base.open(cdb, ChessBase::ReadOnly);
    sqlite3* db = base.games().database();
    SQLiteStatement themes(db, R"(select t.bit, t.name, (select count(1) from puzzle_info
        where (case when t.bit < 64 then theme_lo >> t.bit else theme_hi >> (t.bit - 64) end) & 1)
        from puzzle_themes t order by bit)");
    printf("\nchoice of a puzzle near a rating with a theme, %ld puzzles (%.0f MB):\n", rows,
           mb(cdb));
    printf("%-22s %9s | %s\n", "theme", "puzzles", "ms at rating 600 / 1500 / 2400 / 3200");
    double worst = 0;
    while (themes.step()) {
        const int bit = static_cast<int>(themes.columnInt64(0));
        printf("%-22s %9lld |", themes.columnText(1).c_str(),
               static_cast<long long>(themes.columnInt64(2)));
        for (int rating : {600, 1500, 2400, 3200}) {
            int64_t found = 0;
            const double ms = choose(db, rating, bit, &found);
            worst = std::max(worst, ms);
            printf(" %7.2f", ms);
        }
        printf("\n");
    }
    printf("slowest choice: %.2f ms\n", worst);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<long> sizes;
    int repeat = 3;
    long choiceRows = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--repeat" && i + 1 < argc)
            repeat = std::max(1, atoi(argv[++i]));
        else if (std::string(argv[i]) == "--choose" && i + 1 < argc)
            choiceRows = atol(argv[++i]);
        else
            sizes.push_back(atol(argv[i]));
    }
    if (sizes.empty())
        sizes = {300000};
    const std::vector<std::string> sample = sample_rows();
    if (sample.empty()) {
        fprintf(stderr, "no sample rows in assets/chess/puzzles.csv\n");
        return 1;
    }
    char folder[] = "/tmp/inkmate-puzzles-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    const std::string dir = folder;
    printf("sample: %zu rows of assets/chess/puzzles.csv, repeated with new ids\n\n",
           sample.size());
    // The machine may be shared: rows per CPU second are the steadier figure.
    printf("%9s %8s | %-30s | %11s | %11s | %8s | %7s | %s\n", "rows", "CSV MB", "step", "rows/s",
           "rows/cpu-s", "peak MB", "wall s", "cpu s");
    int failures = 0;
    for (long rows : sizes) {
        const std::string csv = dir + "/puzzles.csv";
        std::vector<int> ratings;
        if (!write_input(csv, sample, rows, &ratings))
            return 1;
        // The best tenth by rating.
        std::sort(ratings.begin(), ratings.end());
        PuzzleImport::Filter tenth;
        tenth.minRating = ratings[ratings.size() * 9 / 10];
        long kept = 0;
        const std::string cdb = dir + "/puzzles.cdb";
        const std::string db = dir + "/shell.db";
        struct Step {
            const char* name;
            std::function<bool()> body;
            Run run;
        } steps[] = {
            {"read + filter", [&] { return read_and_filter(csv, &kept); }, Run()},
            {"read + convert (no base)", [&] { return read_and_convert(csv); }, Run()},
            {"inkmate-tool puzzles (all)", [&] { return import(csv, cdb); }, Run()},
            {"inkmate-tool puzzles (a tenth)", [&] { return import(csv, cdb + "10", tenth); },
             Run()},
            {"sqlite3 .import --csv", [&] { return sqlite_shell(csv, db); }, Run()},
        };
        for (int round = 0; round < repeat; ++round) {
            for (Step& step : steps) {
                const Run run = in_child(step.body);
                if (round == 0) {
                    step.run = run;
                    continue;
                }
                step.run.ok = step.run.ok && run.ok;
                step.run.seconds = std::min(step.run.seconds, run.seconds);
                step.run.cpu = std::min(step.run.cpu, run.cpu);
                step.run.peakKb = std::max(step.run.peakKb, run.peakKb);
            }
        }
        for (const Step& step : steps) {
            failures += step.run.ok ? 0 : 1;
            printf("%9ld %8.1f | %-30s | %11.0f | %11.0f | %8.1f | %7.2f | %.2f%s\n", rows, mb(csv),
                   step.name, static_cast<double>(rows) / step.run.seconds,
                   static_cast<double>(rows) / step.run.cpu,
                   static_cast<double>(step.run.peakKb) / 1024.0, step.run.seconds, step.run.cpu,
                   step.run.ok ? "" : " FAILED");
        }
        printf("%9s %8s | base %.1f MB, shell table %.1f MB\n", "", "", mb(cdb), mb(db));
        printf("%9s %8s | import / sqlite3 shell speed: %.2f by wall time, %.2f by CPU time\n", "",
               "", steps[4].run.seconds / steps[2].run.seconds,
               steps[4].run.cpu / steps[2].run.cpu);
        printf("%9s %8s | a tenth / sqlite3 shell speed: %.2f by wall time, %.2f by CPU time\n", "",
               "", steps[4].run.seconds / steps[3].run.seconds,
               steps[4].run.cpu / steps[3].run.cpu);
        printf("%9s %8s | projected for 5.4 million rows: all %.0f s, shell %.0f s (by wall "
               "time)\n",
               "", "", steps[2].run.seconds * 5.4e6 / static_cast<double>(rows),
               steps[4].run.seconds * 5.4e6 / static_cast<double>(rows));
        try {
            mark_progress(cdb);
            time_counts(cdb, "counts, Flags index");
            const std::string drop = "sqlite3 '" + cdb + "' 'drop index flags'";
            if (system(drop.c_str()) == 0)
                time_counts(cdb, "counts, no index");
        } catch (const Exception& e) {
            fprintf(stderr, "%s\n", e.what());
            ++failures;
        }
        unlink(csv.c_str());
        unlink(cdb.c_str());
        unlink((cdb + "10").c_str());
        unlink(db.c_str());
    }
    rmdir(folder);
    if (choiceRows > 0)
        failures += time_choice(sample, choiceRows);
    printf("\n(the sqlite3 row is the shell run through system(): its peak and time are the "
           "shell's own)\n");
    return failures == 0 ? 0 : 1;
}
