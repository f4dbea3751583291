// Puzzle progress in a game base: counts, the failed puzzles to retry, and
// flags stored as soon as they change.
#include "base/chessbase.h"

#include "core/exception.h"
#include "game/game.h"

#include <climits>

namespace {

int to_count(int64_t value)
{
    return value < 0 ? 0 : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

} // namespace

ChessBase::PuzzleCount ChessBase::countPuzzles()
{
    return countPuzzles(1, INT_MAX);
}

ChessBase::PuzzleCount ChessBase::countPuzzles(int first, int last)
{
    PuzzleCount count;
    if (!m_db)
        return count;
    count.total = to_count(m_games.countPuzzles(first, last));
    count.solved = countSolvedPuzzles(first, last);
    return count;
}

int ChessBase::countSolvedPuzzles(int first, int last)
{
    return m_db ? to_count(m_games.countSolvedPuzzles(first, last)) : 0;
}

void ChessBase::headingRange(const HeaderItem* item, int* first, int* last)
{
    *first = item && item->parent ? item->gameId : 1;
    *last = INT_MAX;
    for (const HeaderItem* at = item; at && at->parent; at = at->parent) {
        const std::vector<HeaderItem*>& siblings = at->parent->children;
        if (static_cast<size_t>(at->row) + 1 < siblings.size()) {
            *last = siblings[static_cast<size_t>(at->row) + 1]->gameId - 1;
            return;
        }
    }
}

int ChessBase::getNextFailedPuzzleRowID(int id)
{
    return m_db ? to_count(m_games.nextPuzzleToRetry(id)) : 0;
}

bool ChessBase::nextFailedPuzzle()
{
    const int target = getNextFailedPuzzleRowID(game.id > 0 ? game.id : game.parent);
    if (target != 0)
        openGame(target);
    return target != 0;
}

void ChessBase::setPuzzleFlags(unsigned set, unsigned clear)
{
    game.flags = (game.flags | set) & ~clear;
    if (!m_db || m_readOnly || game.id <= 0 || !(game.flags & Game::FlagPuzzle) ||
        (game.flags & (Game::FlagReadOnly | Game::FlagNotStored)))
        return;
    m_games.updateFlags(game.id, game.flags);
    if (m_haveStored && m_stored.id == game.id)
        m_stored.flags = game.flags;
}

void ChessBase::addPuzzleIndexes()
{
    m_games.addFlagsIndex();
}
