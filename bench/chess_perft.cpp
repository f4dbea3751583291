// Perft speed: start position to depth 5 and Kiwipete to depth 4, best of
// several runs, with the heap allocations made during one run.
#include "chess/board.h"
#include "chess/perft.h"

#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>

namespace {
std::atomic<uint64_t> g_allocations{0};
}

void* operator new(size_t size)
{
    ++g_allocations;
    if (void* p = malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    free(p);
}

void operator delete(void* p, size_t) noexcept
{
    free(p);
}

namespace {
struct Case {
    const char* name;
    const char* fen;
    int depth;
    uint64_t nodes;
};

const Case kCases[] = {
    {"start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 5, 4865609},
    {"kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 4,
     4085603},
};
} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? atoi(argv[1]) : 5;
    int status = 0;
    for (const Case& c : kCases) {
        Board board;
        board.importFromFEN(c.fen);
        double best = 1e9;
        double bestCpu = 1e9;
        uint64_t nodes = 0;
        uint64_t allocations = 0;
        for (int i = 0; i < (runs > 0 ? runs : 1); ++i) {
            const uint64_t before = g_allocations;
            const auto start = std::chrono::steady_clock::now();
            const clock_t cpuStart = clock();
            nodes = perft(board, c.depth);
            const double cpu = static_cast<double>(clock() - cpuStart) / CLOCKS_PER_SEC;
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            if (cpu < bestCpu)
                bestCpu = cpu;
            allocations = g_allocations - before;
            if (took.count() < best)
                best = took.count();
        }
        // Wall time counts waiting for a busy machine; CPU time does not.
        printf("perft %-8s depth %d: %10" PRIu64 " nodes in %.3f s wall = %6.2f Mnodes/s, "
               "%.3f s CPU = %6.2f Mnodes/s, %" PRIu64 " heap allocations%s\n",
               c.name, c.depth, nodes, best, static_cast<double>(nodes) / best / 1e6, bestCpu,
               static_cast<double>(nodes) / bestCpu / 1e6, allocations,
               nodes == c.nodes ? "" : "  WRONG COUNT");
        if (nodes != c.nodes)
            status = 1;
    }
    return status;
}
