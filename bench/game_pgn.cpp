// Reads every game of the PGN corpus (load, open, close with store) and prints
// games and plies per second, next to pgn-extract parsing the same files in the
// same run, both in processor time. Usage: bench_game_pgn [FILE...] (default: the four corpus
// files).

#include "benchcorpus.h"
#include "core/exception.h"
#include "game/game.h"
#include "game/pgnmove.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

// Processor time: the machine may be shared, so wall time would flatter nobody.
struct Clock {
    using time_point = double;
    static double now()
    {
        timespec ts;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return ts.tv_sec + ts.tv_nsec * 1e-9;
    }
};

double seconds_since(double start)
{
    return Clock::now() - start;
}

// Processor time of the finished child processes.
double children_seconds()
{
    rusage usage;
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec * 1e-6;
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

struct Totals {
    size_t games = 0;
    size_t failed = 0;
    size_t plies = 0;
    size_t nodes = 0;
    double load = 0;
    double open = 0;
    double close = 0;
    double extract = 0;
};

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i)
        files.push_back(argv[i]);
    if (files.empty()) {
        for (const char* name :
             {"masters-historical.pgn", "masters-modern.pgn", "lichess.pgn", "eco-lines.pgn"}) {
            if (corpus_present(name))
                files.push_back(std::string(INKMATE_CORPUS_DIR) + "/" + name);
        }
        if (files.empty()) {
            fprintf(stderr, "corpus not found in %s: measured on tests/data instead\n",
                    INKMATE_CORPUS_DIR);
            for (const char* slice : {"masters-slice.pgn", "lichess-slice.pgn"})
                files.push_back(std::string(INKMATE_SOURCE_DIR) + "/tests/data/" + slice);
        }
    }
    const std::string pgnExtract = find_pgn_extract();

    printf("%-24s %7s %8s %8s | %9s %11s | %9s %11s\n", "file", "games", "plies", "failed",
           "games/s", "plies/s", "p-e s", "p-e plies/s");
    Totals all;
    for (const std::string& path : files) {
        const std::string text = read_file(path);
        if (text.empty()) {
            fprintf(stderr, "cannot read %s\n", path.c_str());
            return 2;
        }
        Totals t;
        std::istringstream in(text);
        Game game;
        for (;;) {
            Clock::time_point start = Clock::now();
            try {
                if (!game.load(in)) {
                    t.load += seconds_since(start);
                    break;
                }
            } catch (const Exception&) {
                t.load += seconds_since(start);
                ++t.games;
                ++t.failed;
                continue;
            }
            t.load += seconds_since(start);
            ++t.games;
            start = Clock::now();
            try {
                game.open();
            } catch (const Exception&) {
                ++t.failed;
                game.close(false);
                t.open += seconds_since(start);
                continue;
            }
            t.open += seconds_since(start);
            for (const PGNElement* e = game.root->next; e != nullptr; e = e->next) {
                if (e->getType() == PGNElement::TypeMove) {
                    ++t.nodes;
                    t.plies += e->depth == 0;
                }
            }
            start = Clock::now();
            game.close(true);
            t.close += seconds_since(start);
        }
        if (!pgnExtract.empty()) {
            const std::string command = pgnExtract + " -s -o/dev/null '" + path + "' 2>/dev/null";
            const double start = children_seconds();
            if (system(command.c_str()) != -1)
                t.extract = children_seconds() - start;
        }
        const double ours = t.load + t.open + t.close;
        const std::string name = path.substr(path.find_last_of('/') + 1);
        printf("%-24s %7zu %8zu %8zu | %9.0f %11.0f | %9.2f %11.0f\n", name.c_str(), t.games,
               t.plies, t.failed, t.games / ours, t.plies / ours, t.extract,
               t.extract > 0 ? t.plies / t.extract : 0.0);
        all.games += t.games;
        all.failed += t.failed;
        all.plies += t.plies;
        all.nodes += t.nodes;
        all.load += t.load;
        all.open += t.open;
        all.close += t.close;
        all.extract += t.extract;
    }
    const double ours = all.load + all.open + all.close;
    printf("%-24s %7zu %8zu %8zu | %9.0f %11.0f | %9.2f %11.0f\n", "all", all.games, all.plies,
           all.failed, all.games / ours, all.plies / ours, all.extract,
           all.extract > 0 ? all.plies / all.extract : 0.0);
    printf("\ninkmate: %.2f s (load %.2f, open %.2f, close %.2f)", ours, all.load, all.open,
           all.close);
    if (all.extract > 0)
        printf("; pgn-extract: %.2f s; ratio %.2fx", all.extract, all.extract / ours);
    printf("\nmove node: %zu bytes (%zu with the allocator's header); %zu nodes opened\n",
           sizeof(PGNMove), (sizeof(PGNMove) + 8 + 15) / 16 * 16, all.nodes);
    return 0;
}
