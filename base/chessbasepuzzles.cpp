// Puzzle progress in a game base: counts, the failed puzzles to retry, and
// flags stored as soon as they change.
#include "base/chessbase.h"

#include "core/exception.h"

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
    // Each term as the partial index "puzzles" is written, so that SQLite
    // counts its entries instead of reading the rows.
    SQLiteStatement statement(m_db, "select count(1) from games where Flags & 2 = 2 and "
                                    "Flags & 6 = ? and rowid between ? and ?");
    for (int flags : {6, 2}) {
        statement.bind(1, flags);
        statement.bind(2, first);
        statement.bind(3, last);
        const int n = statement.step() ? to_count(statement.columnInt64(0)) : 0;
        statement.reset();
        if (flags == 6)
            count.solved = n;
        count.total += n;
    }
    return count;
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
    if (!m_db)
        return 0;
    SQLiteStatement statement(m_db,
                              "select min(rowid) from games where rowid>? and Flags & 134 = 130");
    statement.bind(1, id);
    return statement.step() ? to_count(statement.columnInt64(0)) : 0;
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
    SQLiteStatement statement(m_db, " update games set Flags=?  where rowid = ?");
    statement.bind(1, static_cast<int64_t>(game.flags));
    statement.bind(2, game.id);
    statement.step();
    if (m_haveStored && m_stored.id == game.id)
        m_stored.flags = game.flags;
}

void ChessBase::addPuzzleIndexes()
{
    static const char* const statements[] = {
        "create index if not exists puzzles on games(Flags & 6) where Flags & 2 = 2",
        "create index if not exists failed on games(Flags & 134) where Flags & 134 = 130"};
    for (const char* sql : statements) {
        if (!execute(sql))
            throw Exception(false, "%s", m_lastError.c_str());
    }
}
