// Puzzle progress in a game base: counts, the failed puzzles to retry, and
// flags stored as soon as they change.
#include "base/chessbase.h"

#include "core/exception.h"
#include "game/game.h"

#include <climits>
#include <string>

namespace {

int to_count(int64_t value)
{
    return value < 0 ? 0 : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

// "Flags in (6,7,...)": every value of the known flag bits with puzzle and
// solved set. Each is a seek into the Flags index, which reaches the solved
// rows alone, past the many unsolved ones (2, or 34 when shown from Black).
const std::string& solved_flags_sql()
{
    static const std::string sql = [] {
        std::string text = "Flags in (";
        const char* separator = "";
        for (unsigned flags = 0; flags < 2 * Game::FlagHelped; ++flags) {
            if ((flags & 6) == 6) {
                text += separator + std::to_string(flags);
                separator = ",";
            }
        }
        return text + ")";
    }();
    return sql;
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
    // "+rowid" keeps SQLite off the rows' range: the total is counted by a
    // scan of the Flags index.
    SQLiteStatement total(m_db, "select count(1) from games where Flags & 2 = 2 and "
                                "+rowid between ? and ?");
    total.bind(1, first);
    total.bind(2, last);
    count.total = total.step() ? to_count(total.columnInt64(0)) : 0;
    count.solved = countSolvedPuzzles(first, last);
    return count;
}

int ChessBase::countSolvedPuzzles(int first, int last)
{
    if (!m_db)
        return 0;
    static const std::string sql =
        "select count(1) from games where " + solved_flags_sql() + " and +rowid between ? and ?";
    SQLiteStatement solved(m_db, sql.c_str());
    solved.bind(1, first);
    solved.bind(2, last);
    return solved.step() ? to_count(solved.columnInt64(0)) : 0;
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
    // Failed rows have Flags of 128 and above: a seek into the Flags index
    // past the unsolved ones.
    SQLiteStatement statement(m_db, "select min(+rowid) from games where Flags >= 128 and "
                                    "Flags & 134 = 130 and +rowid > ?");
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
    // A plain index: bases stay readable by SQLite versions without partial
    // or expression indexes.
    if (!execute("create index if not exists flags on games(Flags)"))
        throw Exception(false, "%s", m_lastError.c_str());
}
