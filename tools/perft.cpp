#include "chess/perft.h"
#include "chess/board.h"
#include "core/exception.h"
#include "tools/command.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace {
// perft DEPTH [FEN]: leaf nodes of the legal move tree, the number alone on one line.
int run_perft(const std::vector<std::string>& args)
{
    if (args.empty() || args.size() > 2) {
        fprintf(stderr, "usage: inkmate-tool perft DEPTH [FEN]\n");
        return 2;
    }
    const std::string& text = args[0];
    char* end = nullptr;
    errno = 0;
    const long depth = strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || depth < 0 || depth > 20) {
        fprintf(stderr, "perft: DEPTH must be a whole number from 0 to 20, not '%s'\n",
                text.c_str());
        return 2;
    }
    Board board;
    if (args.size() == 2) {
        try {
            board.importFromFEN(args[1]);
        } catch (const Exception& e) {
            fprintf(stderr, "%s\n", e.what());
            return 2;
        }
    } else {
        board.create_classic_board();
    }
    printf("%" PRIu64 "\n", perft(board, static_cast<int>(depth)));
    return 0;
}

ToolCommand g_perftCommand("perft", "DEPTH [FEN]",
                           "count the leaf nodes of the legal move tree (start position "
                           "without FEN)",
                           &run_perft);
} // namespace
