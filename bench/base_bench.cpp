// Game base benchmarks: PGN import of the corpus against the sqlite3 shell
// inserting the same rows, export, and a generated base of 200,000 games
// (opening, navigation, next unsolved puzzle, contents look-up, memory).
//
//   bench_base_bench [GAMES]    (GAMES of the generated base, default 200000)
#include "base/baseexporter.h"
#include "base/chessbase.h"
#include "benchcorpus.h"
#include "core/exception.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double file_mb(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? static_cast<double>(info.st_size) / 1e6 : 0.0;
}

long peak_rss_kb()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const char* const kCorpus[] = {"masters-historical.pgn", "masters-modern.pgn", "lichess.pgn",
                               "eco-lines.pgn"};

std::string corpus(const char* name)
{
    return std::string(INKMATE_CORPUS_DIR) + "/" + name;
}

// Runs a shell command, returning its wall time in seconds (negative on failure).
double timed_system(const std::string& command)
{
    const Clock::time_point start = Clock::now();
    const int status = system(command.c_str());
    const double elapsed = seconds_since(start);
    return status == 0 ? elapsed : -1.0;
}

// Every game of the corpus (else of the test slices) as PGN text, read once.
std::vector<std::string> corpus_games()
{
    std::vector<std::string> paths;
    for (const char* name : kCorpus) {
        if (corpus_present(name))
            paths.push_back(corpus(name));
    }
    if (paths.empty()) {
        fprintf(stderr, "corpus not found in %s: games taken from tests/data\n",
                INKMATE_CORPUS_DIR);
        for (const char* slice : {"masters-slice.pgn", "lichess-slice.pgn"})
            paths.push_back(std::string(INKMATE_SOURCE_DIR) + "/tests/data/" + slice);
    }
    std::vector<std::string> games;
    for (const std::string& path : paths) {
        std::ifstream in(path, std::ios::binary);
        Game game;
        for (;;) {
            try {
                if (!game.load(in))
                    break;
            } catch (const Exception&) {
                continue;
            }
            game.flags &= ~static_cast<unsigned>(Game::FlagViewAsBlack);
            std::ostringstream out;
            game.writePGN(out);
            games.push_back(out.str());
        }
    }
    return games;
}

void bench_corpus_import(const QTemporaryDir& dir)
{
    printf("== Import of the corpus (moves are not parsed; one transaction)\n");
    for (const char* name : kCorpus) {
        if (!corpus_present(name)) {
            printf("  skipped: corpus file %s not found in %s\n", name, INKMATE_CORPUS_DIR);
            return;
        }
    }
    const std::string folder = dir.path().toStdString();
    const std::string all = folder + "/corpus.pgn";
    {
        std::ofstream out(all, std::ios::binary);
        for (const char* name : kCorpus) {
            std::ifstream in(corpus(name), std::ios::binary);
            out << in.rdbuf() << "\n";
        }
    }
    for (const char* name : kCorpus) {
        const std::string base = folder + "/" + name + ".cdb";
        const Clock::time_point start = Clock::now();
        const ChessBase::ImportReport report = ChessBase::importPgn(base, corpus(name));
        const double time = seconds_since(start);
        printf("  %-24s %7d games  %6.3f s  %7.1f MB/s  %8.0f games/s  (%d skipped)\n", name,
               report.games, time, file_mb(corpus(name)) / time, report.games / time,
               report.skipped);
    }
    const std::string base = folder + "/corpus.cdb";
    const Clock::time_point start = Clock::now();
    const ChessBase::ImportReport report = ChessBase::importPgn(base, all);
    const double ours = seconds_since(start);
    const double mb = file_mb(all);
    printf("  %-24s %7d games  %6.3f s  %7.1f MB/s  %8.0f games/s\n", "whole corpus", report.games,
           ours, mb / ours, report.games / ours);

    // The same rows, inserted by the sqlite3 shell from SQL text in one transaction.
    const std::string dump = folder + "/corpus.sql";
    const std::string shellBase = folder + "/shell.cdb";
    if (timed_system("sqlite3 '" + base + "' .dump > '" + dump + "'") < 0) {
        printf("  sqlite3 shell not available\n");
        return;
    }
    const double shell = timed_system("sqlite3 '" + shellBase + "' < '" + dump + "'");
    printf("  sqlite3 shell, same rows   %7d games  %6.3f s  %7.1f MB/s of PGN  %8.0f games/s"
           "  (SQL text %.1f MB)\n",
           report.games, shell, mb / shell, report.games / shell, file_mb(dump));
    printf("  import / shell speed: %.2f\n", shell / ours);

    // Export of the same base.
    ChessBase opened;
    opened.open(base, ChessBase::ReadOnly);
    const std::string exported = folder + "/exported.pgn";
    const Clock::time_point exportStart = Clock::now();
    {
        std::ofstream out(exported, std::ios::binary);
        BaseExporter::write(opened, out);
    }
    const double exportTime = seconds_since(exportStart);
    printf("== Export\n  %d games  %6.3f s  %8.0f games/s  %7.1f MB/s\n", report.games, exportTime,
           report.games / exportTime, file_mb(exported) / exportTime);
}

// Median of repeated timings of one operation, in milliseconds.
template <typename F> double median_ms(int times, F operation)
{
    std::vector<double> samples;
    for (int i = 0; i < times; ++i) {
        const Clock::time_point start = Clock::now();
        operation();
        samples.push_back(seconds_since(start) * 1000.0);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

void bench_generated(const QTemporaryDir& dir, int count)
{
    const std::vector<std::string> games = corpus_games();
    const std::string folder = dir.path().toStdString();
    // Every 50th game is an unsolved puzzle, every 20th starts a contents entry.
    const auto write = [&](const std::string& path, int n) {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < n; ++i) {
            if (i % 20 == 0)
                out << "[Header \"" << (i % 100 == 0 ? 1 : 2) << "Section " << i << "\"]\n\n*\n\n";
            const std::string& game = games[static_cast<size_t>(i) % games.size()];
            if (i % 50 == 25)
                out << "[Flags \"2\"]\n";
            out << game;
        }
    };
    const std::string small = folder + "/small.pgn";
    const std::string large = folder + "/large.pgn";
    write(small, count / 10);
    write(large, count);

    printf("== Generated bases (every 50th game a puzzle, a heading every 20 games)\n");
    const long rssBefore = peak_rss_kb();
    Clock::time_point start = Clock::now();
    ChessBase::importPgn(folder + "/small.cdb", small);
    double time = seconds_since(start);
    const long rssSmall = peak_rss_kb();
    printf("  import %7d games: %6.2f s  %7.1f MB/s  peak RSS %ld kB\n", count / 10, time,
           file_mb(small) / time, rssSmall);
    start = Clock::now();
    const ChessBase::ImportReport report = ChessBase::importPgn(folder + "/large.cdb", large);
    time = seconds_since(start);
    const long rssLarge = peak_rss_kb();
    printf("  import %7d games: %6.2f s  %7.1f MB/s  peak RSS %ld kB (+%ld kB for 10x the games;"
           " %ld kB before the imports)\n",
           report.games, time, file_mb(large) / time, rssLarge, rssLarge - rssSmall, rssBefore);

    const std::string path = folder + "/large.cdb";
    ChessBase base;
    const double openMs = median_ms(7, [&] {
        base.open(path);
        base.close();
    });
    base.open(path);
    printf("  open + close of the %d-game base: %.2f ms (median of 7), %zu contents entries\n",
           report.games, openMs, base.items.size());
    printf("  firstGame %.3f ms, lastGame %.3f ms, prevGame %.3f ms, nextGame %.3f ms\n",
           median_ms(5, [&] { base.firstGame(); }), median_ms(5, [&] { base.lastGame(); }),
           median_ms(5, [&] { base.prevGame(); }), median_ms(5, [&] { base.nextGame(); }));

    base.firstGame();
    int puzzles = 0;
    double worst = 0;
    double last = 0;
    start = Clock::now();
    for (;;) {
        const Clock::time_point step = Clock::now();
        const bool found = base.nextUnsolvedPuzzle();
        last = seconds_since(step) * 1000.0;
        worst = std::max(worst, last);
        if (!found)
            break;
        ++puzzles;
    }
    time = seconds_since(start);
    printf("  nextUnsolvedPuzzle first to last: %d puzzles in %.3f s, %.3f ms per step, worst "
           "step %.3f ms, past the last puzzle %.3f ms\n",
           puzzles, time, time * 1000.0 / (puzzles + 1), worst, last);
    base.close();

    // The same steps without write-back: what parsing the game costs.
    base.open(path, ChessBase::ReadOnly);
    base.firstGame();
    worst = 0;
    start = Clock::now();
    const int steps = 2000;
    for (int i = 0; i < steps; ++i) {
        const Clock::time_point step = Clock::now();
        base.nextGame();
        worst = std::max(worst, seconds_since(step) * 1000.0);
    }
    time = seconds_since(start);
    printf("  nextGame read-only (parse only, no write-back): %.3f ms per step, worst %.3f ms\n",
           time * 1000.0 / steps, worst);

    const int lookups = 1000000;
    long sum = 0;
    start = Clock::now();
    for (int i = 0; i < lookups; ++i) {
        const ChessBase::HeaderItem* item = base.getHeader(1 + i % report.games);
        sum += item ? item->id : 0;
    }
    time = seconds_since(start);
    printf("  getHeader over %zu entries: %.0f ns per call (checksum %ld)\n", base.items.size(),
           time * 1e9 / lookups, sum);
    const double contentsMs = median_ms(5, [&] { base.readContents(); });
    printf("  readContents of %zu entries: %.2f ms\n", base.items.size(), contentsMs);
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? atoi(argv[1]) : 200000;
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/inkmate-bench-XXXXXX"));
    if (!dir.isValid()) {
        fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    try {
        bench_corpus_import(dir);
        bench_generated(dir, count);
    } catch (const Exception& e) {
        fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
