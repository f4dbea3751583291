#include "chess/perft.h"

#include "chess/movegenerator.h"

#include <vector>

namespace {
// One move list per remaining depth, reused for every node at that depth.
uint64_t perft_node(const Board& board, int depth, std::vector<Moves>& lists)
{
    MoveGenerator generator(board);
    const Color color = board.getColorToMove();
    if (depth == 1)
        return static_cast<uint64_t>(generator.generateAll(color, nullptr, false));
    Moves& moves = lists[static_cast<size_t>(depth)];
    moves.clear();
    generator.generateAll(color, &moves, false);
    uint64_t total = 0;
    for (const Move& move : moves) {
        Board child = board;
        child.doMove(move);
        total += perft_node(child, depth - 1, lists);
    }
    return total;
}
} // namespace

uint64_t perft(const Board& board, int depth)
{
    if (depth <= 0)
        return 1;
    std::vector<Moves> lists(static_cast<size_t>(depth) + 1);
    for (Moves& moves : lists)
        moves.reserve(256);
    return perft_node(board, depth, lists);
}
