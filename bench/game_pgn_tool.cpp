// The whole PGN round as processes, side by side with pgn-extract: the time of
// "inkmate-tool pgn FILE" (read, test every move, write every game back) and
// of "pgn-extract -s -o/dev/null FILE" (the same work), both writing to
// /dev/null, run in turns. Processor time (user + system) of each child; the
// best of the runs counts, since the machine may be shared.
// Usage: bench_game_pgn_tool [FILE [RUNS]] (default: masters-modern.pgn, 5 runs).

#include "benchcorpus.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Processor seconds of the child, -1 when it could not run or failed to start.
double run(const std::vector<std::string>& argv)
{
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) == 127)
        return -1;
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec * 1e-6;
}

std::string beside_this_program(const char* name)
{
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return name;
    std::string path(self, static_cast<size_t>(n));
    return path.substr(0, path.find_last_of('/') + 1) + name;
}

void report(const char* name, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    printf("%-12s best %6.2f s  median %6.2f s  (%zu runs)\n", name, times.front(),
           times[times.size() / 2], times.size());
}

} // namespace

int main(int argc, char** argv)
{
    const std::string file =
        argc > 1 ? argv[1] : corpus_or_slice("masters-modern.pgn", "masters-slice.pgn");
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    const std::string tool = beside_this_program("inkmate-tool");
    const std::string extract = find_pgn_extract();
    printf("%s\n", file.c_str());
    std::vector<double> ours;
    std::vector<double> theirs;
    for (int i = 0; i < runs; ++i) {
        const double t = run({tool, "pgn", file});
        if (t < 0) {
            fprintf(stderr, "cannot run %s\n", tool.c_str());
            return 2;
        }
        ours.push_back(t);
        if (!extract.empty())
            theirs.push_back(run({extract, "-s", "-o/dev/null", file}));
    }
    report("inkmate-tool", ours);
    if (extract.empty()) {
        printf("pgn-extract not found (Debian package pgn-extract)\n");
        return 0;
    }
    report("pgn-extract", theirs);
    const double best = *std::min_element(ours.begin(), ours.end());
    const double peer = *std::min_element(theirs.begin(), theirs.end());
    printf("pgn-extract / inkmate-tool: %.2fx (best against best)\n", peer / best);
    return 0;
}
