// The store of one move of the game being played: ChessBase::saveGame after
// each move of an 80-ply game, in a base that already holds GAMES games (one
// transaction each, synced by SQLite). Prints the median, 90th percentile and
// worst time per store.
//
//   bench_base_store [GAMES [DIR]]   (default 200 games, base in a temporary
//                                     folder, or in DIR: e.g. the reader's card)
#include "base/chessbase.h"
#include "core/exception.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Knights out and back after a first pawn move, Black first.
const char* const kShuffle[] = {"Nc6", "Nf3", "Nf6", "Nc3", "Nb8", "Nb1", "Ng8", "Ng1"};

Board start_board()
{
    Board board;
    board.create_classic_board();
    return board;
}

} // namespace

int main(int argc, char** argv)
{
    const int games = argc > 1 ? std::atoi(argv[1]) : 200;
    QTemporaryDir temporary;
    const std::string dir = argc > 2 ? argv[2] : temporary.path().toStdString();
    const std::string path = dir + "/store-bench.cdb";
    std::remove(path.c_str());
    try {
        ChessBase base;
        base.open(path);
        // The games already kept: 40 moves each.
        for (int g = 0; g < games; ++g) {
            base.newGame(start_board());
            base.game.addMove(std::string("e4"));
            for (int ply = 0; ply < 79; ++ply)
                base.game.addMove(std::string(kShuffle[ply % 8]));
            base.closeGame();
        }
        base.newGame(start_board());
        std::vector<double> ms;
        for (int ply = 0; ply < 80; ++ply) {
            base.game.addMove(std::string(ply == 0 ? "d4" : kShuffle[(ply - 1) % 8]));
            const Clock::time_point start = Clock::now();
            base.saveGame();
            ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        base.close();
        std::sort(ms.begin(), ms.end());
        std::printf("store of one move (%d games in the base, %zu stores): median %.2f ms, "
                    "90%% %.2f ms, worst %.2f ms\n",
                    games, ms.size(), ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back());
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::remove(path.c_str());
    return 0;
}
