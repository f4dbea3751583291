#include "base/puzzletables.h"

#include "base/sqlitestatement.h"
#include "core/exception.h"

#include <sqlite3.h>

#include <cstdlib>

namespace {

// Days a missed puzzle waits, by the number of misses.
constexpr int kRepeatDays[] = {1, 3, 7, 21};

// Flags of a puzzle that is neither solved nor failed (FlagPuzzle, FlagSolved, FlagFailed).
const char kFresh[] = "g.Flags & 134 = 2";
// Flags of a puzzle that is not solved.
const char kUnsolved[] = "g.Flags & 6 = 2";

bool table_exists(sqlite3* db, const char* name)
{
    SQLiteStatement statement(db, "select 1 from sqlite_master where type='table' and name=?");
    statement.bind(1, std::string_view(name));
    return statement.step();
}

} // namespace

bool PuzzleTables::hasInfo() const
{
    return m_db && table_exists(m_db, "puzzle_info");
}

bool PuzzleTables::info(int game, Info* out) const
{
    if (!hasInfo())
        return false;
    SQLiteStatement statement(m_db, "select rating, themes from puzzle_info where game=?");
    statement.bind(1, game);
    if (!statement.step())
        return false;
    out->rating = static_cast<int>(statement.columnInt64(0));
    out->themes = statement.columnText(1);
    return true;
}

std::vector<std::string> PuzzleTables::themeNames() const
{
    std::vector<std::string> names;
    if (!m_db || !table_exists(m_db, "puzzle_themes"))
        return names;
    SQLiteStatement statement(m_db, "select name from puzzle_themes order by bit");
    while (statement.step())
        names.push_back(statement.columnText(0));
    return names;
}

int PuzzleTables::themeBit(const std::string& name) const
{
    if (name.empty() || !m_db || !table_exists(m_db, "puzzle_themes"))
        return -1;
    SQLiteStatement statement(m_db, "select bit from puzzle_themes where name=?");
    statement.bind(1, std::string_view(name));
    return statement.step() ? static_cast<int>(statement.columnInt64(0)) : -1;
}

bool PuzzleTables::create()
{
    if (!m_db || sqlite3_db_readonly(m_db, "main") != 0)
        return false;
    try {
        SQLiteStatement(m_db, "create table if not exists trainer_attempt(at integer not null,"
                              " game integer not null, win integer not null,"
                              " puzzle_rating integer not null, rating real not null,"
                              " deviation real not null, volatility real not null)")
            .step();
        SQLiteStatement(m_db, "create table if not exists trainer_repeat("
                              "game integer primary key, misses integer not null,"
                              " due integer not null)")
            .step();
        SQLiteStatement(m_db, "create index if not exists trainer_repeat_due"
                              " on trainer_repeat(due)")
            .step();
    } catch (const Exception&) {
        // A read-only file: the trainer keeps its state in memory.
        return false;
    }
    return true;
}

std::vector<PuzzleTables::Attempt> PuzzleTables::attempts() const
{
    std::vector<Attempt> out;
    if (!m_db || !table_exists(m_db, "trainer_attempt"))
        return out;
    const bool info = hasInfo();
    SQLiteStatement statement(
        m_db, info ? "select a.at, a.game, a.win, a.puzzle_rating, a.rating, a.deviation,"
                     " a.volatility, coalesce(i.themes, '') from trainer_attempt a"
                     " left join puzzle_info i on i.game = a.game order by a.rowid"
                   : "select at, game, win, puzzle_rating, rating, deviation, volatility, ''"
                     " from trainer_attempt order by rowid");
    while (statement.step()) {
        Attempt a;
        a.at = statement.columnInt64(0);
        a.game = static_cast<int>(statement.columnInt64(1));
        a.win = statement.columnInt64(2) != 0;
        a.puzzleRating = static_cast<int>(statement.columnInt64(3));
        a.rating = std::strtod(statement.columnText(4).c_str(), nullptr);
        a.deviation = std::strtod(statement.columnText(5).c_str(), nullptr);
        a.volatility = std::strtod(statement.columnText(6).c_str(), nullptr);
        a.themes = statement.columnText(7);
        out.push_back(std::move(a));
    }
    return out;
}

void PuzzleTables::addAttempt(const Attempt& a)
{
    SQLiteStatement statement(m_db, "insert into trainer_attempt values(?,?,?,?,?,?,?)");
    statement.bind(1, a.at);
    statement.bind(2, a.game);
    statement.bind(3, a.win ? 1 : 0);
    statement.bind(4, a.puzzleRating);
    statement.bind(5, std::to_string(a.rating), true);
    statement.bind(6, std::to_string(a.deviation), true);
    statement.bind(7, std::to_string(a.volatility), true);
    statement.step();
}

void PuzzleTables::scheduleMiss(int game, int64_t today)
{
    int misses = 0;
    {
        SQLiteStatement read(m_db, "select misses from trainer_repeat where game=?");
        read.bind(1, game);
        if (read.step())
            misses = static_cast<int>(read.columnInt64(0));
    }
    const int last = static_cast<int>(sizeof kRepeatDays / sizeof kRepeatDays[0]) - 1;
    const int64_t due = today + kRepeatDays[misses < last ? misses : last];
    SQLiteStatement write(m_db, "insert or replace into trainer_repeat values(?,?,?)");
    write.bind(1, game);
    write.bind(2, misses + 1);
    write.bind(3, due);
    write.step();
}

void PuzzleTables::clearRepeat(int game)
{
    SQLiteStatement statement(m_db, "delete from trainer_repeat where game=?");
    statement.bind(1, game);
    statement.step();
}

int64_t PuzzleTables::dueDay(int game) const
{
    if (!m_db || !table_exists(m_db, "trainer_repeat"))
        return 0;
    SQLiteStatement statement(m_db, "select due from trainer_repeat where game=?");
    statement.bind(1, game);
    return statement.step() ? statement.columnInt64(0) : 0;
}

int PuzzleTables::firstDue(int64_t today, int exclude) const
{
    if (!m_db || !table_exists(m_db, "trainer_repeat"))
        return 0;
    const std::string sql = std::string("select r.game from trainer_repeat r cross join games g"
                                        " on g.rowid = r.game where r.due <= ? and r.game <> ?"
                                        " and ") +
                            kUnsolved + " order by r.due, r.game limit 1";
    SQLiteStatement statement(m_db, sql.c_str());
    statement.bind(1, today);
    statement.bind(2, exclude);
    return statement.step() ? static_cast<int>(statement.columnInt64(0)) : 0;
}

int PuzzleTables::walk(int rating, int themeBit, int exclude, bool up, int* found) const
{
    // The covering index gives rating and theme bits; only a candidate's
    // games row is read for its flags.
    const std::string sql =
        std::string("select i.game, i.rating from puzzle_info i cross join games g"
                    " on g.rowid = i.game where ") +
        (up ? "i.rating >= ?1" : "i.rating < ?1") +
        " and i.game <> ?2 and (?3 < 0 or (case when ?3 < 64 then i.theme_lo >> ?3"
        " else i.theme_hi >> (?3 - 64) end) & 1) and " +
        kFresh + (up ? " order by i.rating limit 1" : " order by i.rating desc limit 1");
    SQLiteStatement statement(m_db, sql.c_str());
    statement.bind(1, rating);
    statement.bind(2, exclude);
    statement.bind(3, themeBit);
    if (!statement.step())
        return 0;
    *found = static_cast<int>(statement.columnInt64(1));
    return static_cast<int>(statement.columnInt64(0));
}

int PuzzleTables::nearRating(int rating, int themeBit, int exclude) const
{
    if (!hasInfo())
        return 0;
    int upRating = 0;
    int downRating = 0;
    const int up = walk(rating, themeBit, exclude, true, &upRating);
    const int down = walk(rating, themeBit, exclude, false, &downRating);
    if (!up || !down)
        return up ? up : down;
    return upRating - rating <= rating - downRating ? up : down;
}

int PuzzleTables::above(int rating, int themeBit, int exclude) const
{
    int found = 0;
    return hasInfo() ? walk(rating + 1, themeBit, exclude, true, &found) : 0;
}
