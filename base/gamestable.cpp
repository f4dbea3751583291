#include "base/gamestable.h"

#include "base/storedrow.h"
#include "core/exception.h"
#include "core/trans.h"

#include <sqlite3.h>

namespace {

struct ColumnSpec {
    const char* name;
    const char* type;
};

// The columns as every base stores them; the order is GamesTable::Column.
constexpr ColumnSpec kColumns[] = {
    {"Parent", "INTEGER"}, {"Event", "TEXT"},   {"Site", "TEXT"},
    {"Date", "TEXT"},      {"Round", "TEXT"},   {"White", "TEXT"},
    {"Black", "TEXT"},     {"FEN", "TEXT"},     {"Result", "INTEGER NOT NULL"},
    {"Flags", "INTEGER"},  {"MoveText", "TEXT"}};
static_assert(sizeof kColumns / sizeof kColumns[0] == GamesTable::ColumnCount,
              "one name per column");

// The masks have the values the files were always queried with.
static_assert(GamesTable::kPuzzleState == 6 && GamesTable::kUnsolved == 2 &&
                  GamesTable::kRetryState == 134 && GamesTable::kToRetry == 130,
              "stored flag values");

// "Parent,Event,...,MoveText".
const std::string& column_list()
{
    static const std::string list = [] {
        std::string text;
        for (const ColumnSpec& column : kColumns)
            text += std::string(text.empty() ? "" : ",") + column.name;
        return text;
    }();
    return list;
}

// "(?,?,...)": one row's values in an insert.
const std::string& row_placeholders()
{
    static const std::string text = [] {
        std::string marks = "(";
        for (int i = 0; i < GamesTable::ColumnCount; ++i)
            marks += i == 0 ? "?" : ",?";
        return marks + ")";
    }();
    return text;
}

// Binds a row's values to the parameters from first on.
void bind_row(SQLiteStatement& statement, int first, const GamesTable::NewRow& row)
{
    statement.bind(first + GamesTable::ColParent, row.parent);
    statement.bind(first + GamesTable::ColEvent, row.event);
    statement.bind(first + GamesTable::ColSite, row.site);
    statement.bind(first + GamesTable::ColDate, row.date);
    statement.bind(first + GamesTable::ColRound, row.round);
    statement.bind(first + GamesTable::ColWhite, row.white);
    statement.bind(first + GamesTable::ColBlack, row.black);
    if (row.hasFen)
        statement.bind(first + GamesTable::ColFen, row.fen);
    else
        statement.bindNull(first + GamesTable::ColFen);
    statement.bind(first + GamesTable::ColResult, row.result);
    statement.bind(first + GamesTable::ColFlags, static_cast<int64_t>(row.flags));
    statement.bind(first + GamesTable::ColMoveText, row.moveText);
}

std::string number(unsigned value)
{
    return std::to_string(value);
}

// "Flags in (6,7,...)": every value of the known flag bits that is a solved
// puzzle. Each is a seek into the Flags index, which reaches the solved rows
// alone, past the many unsolved ones.
std::string solved_flags()
{
    std::string text = "Flags in (";
    const char* separator = "";
    for (unsigned flags = 0; flags < 2 * Game::FlagHelped; ++flags) {
        // A puzzle solved with help is not counted.
        if ((flags & GamesTable::kPuzzleState) == GamesTable::kSolved &&
            !(flags & Game::FlagHelped)) {
            text += separator + number(flags);
            separator = ",";
        }
    }
    return text + ")";
}

// Rows in one statement of an Appender: 64 times 11 values stay below the
// 999 variables older SQLite versions allow.
constexpr size_t kBatchRows = 64;

int64_t column_or_zero(SQLiteStatement& statement)
{
    return statement.step() ? statement.columnInt64(0) : 0;
}

} // namespace

const std::string& GamesTable::createSql()
{
    // The names padded to five characters, as the first bases were made:
    // SQLite keeps the text in every file.
    static const std::string sql = [] {
        std::string text = " create table games (";
        const char* separator = "";
        for (const ColumnSpec& column : kColumns) {
            std::string name = column.name;
            if (name.size() < 5)
                name.resize(5, ' ');
            text += std::string(separator) + "      " + name + " " + column.type;
            separator = ",";
        }
        return text + " ) ";
    }();
    return sql;
}

void GamesTable::prepare(sqlite3* db)
{
    static const std::string select = " select " + column_list() + "  from games where rowid = ? ";
    static const std::string insert =
        " insert into games(" + column_list() + ")  values" + row_placeholders();
    static const std::string nextUnsolved =
        "select min(rowid) from games where rowid>? and Flags & " + number(kPuzzleState) + " = " +
        number(kUnsolved);
    m_db = db;
    m_select.prepare(db, select.c_str());
    m_insert.prepare(db, insert.c_str());
    m_update.prepare(db, " update games set Result=?,MoveText=?,Flags=?  where rowid = ?");
    m_updateFlags.prepare(db, " update games set Flags=?  where rowid = ?");
    m_nextUnsolved.prepare(db, nextUnsolved.c_str());
}

void GamesTable::finalize()
{
    m_select.finalize();
    m_insert.finalize();
    m_update.finalize();
    m_updateFlags.finalize();
    m_nextUnsolved.finalize();
    m_db = nullptr;
}

bool GamesTable::read(int64_t id, StoredRow* row)
{
    SQLiteStatement::Use use(m_select);
    m_select.bind(1, id);
    if (!m_select.step())
        return false;
    *row = StoredRow::read(m_select, 0);
    return true;
}

int64_t GamesTable::insert(const NewRow& row)
{
    SQLiteStatement::Use use(m_insert);
    bind_row(m_insert, 1, row);
    m_insert.step();
    return sqlite3_last_insert_rowid(m_db);
}

int64_t GamesTable::insert(const Game& game)
{
    const std::string fen = game.setUp ? game.startBoard.exportToFEN() : std::string();
    NewRow row;
    row.parent = game.parent;
    row.event = game.event;
    row.site = game.site;
    row.date = game.date;
    row.round = game.round;
    row.white = game.white;
    row.black = game.black;
    row.hasFen = game.setUp;
    row.fen = fen;
    row.result = static_cast<int>(game.result);
    row.flags = game.flags;
    row.moveText = game.moveText;
    return insert(row);
}

bool GamesTable::update(const Game& game)
{
    if (game.flags & Game::FlagPuzzle)
        return updateFlags(game.id, game.flags);
    SQLiteStatement::Use use(m_update);
    m_update.bind(1, static_cast<int>(game.result));
    m_update.bind(2, game.moveText);
    m_update.bind(3, static_cast<int64_t>(game.flags));
    m_update.bind(4, static_cast<int64_t>(game.id));
    m_update.step();
    return sqlite3_changes(m_db) == 1;
}

bool GamesTable::updateFlags(int64_t id, unsigned flags)
{
    SQLiteStatement::Use use(m_updateFlags);
    m_updateFlags.bind(1, static_cast<int64_t>(flags));
    m_updateFlags.bind(2, id);
    m_updateFlags.step();
    return sqlite3_changes(m_db) == 1;
}

int64_t GamesTable::readId(const char* sql, int64_t parameter, bool bound)
{
    SQLiteStatement statement(m_db, sql);
    if (bound)
        statement.bind(1, parameter);
    return column_or_zero(statement);
}

int64_t GamesTable::firstId()
{
    return readId("select min(rowid) from games where rowid between 1 and 2147483647", 0, false);
}

int64_t GamesTable::lastId()
{
    return readId("select max(rowid) from games where rowid between 1 and 2147483647", 0, false);
}

int64_t GamesTable::minId()
{
    return readId("select min(rowid) from games", 0, false);
}

int64_t GamesTable::count()
{
    return readId("select count(1) from games", 0, false);
}

std::vector<int64_t> GamesTable::ids()
{
    std::vector<int64_t> ids;
    SQLiteStatement statement(m_db, "select rowid from games order by rowid");
    while (statement.step())
        ids.push_back(statement.columnInt64(0));
    return ids;
}

int64_t GamesTable::nextUnsolvedPuzzle(int64_t after)
{
    SQLiteStatement::Use use(m_nextUnsolved);
    m_nextUnsolved.bind(1, after);
    return column_or_zero(m_nextUnsolved);
}

int64_t GamesTable::nextPuzzleToRetry(int64_t after)
{
    // Failed and helped rows have Flags of FlagFailed and above: a seek into
    // the Flags index past the unsolved ones. Failed unsolved puzzles and
    // those solved with help are retried.
    static const unsigned helpedSolved = Game::FlagPuzzle | Game::FlagSolved | Game::FlagHelped;
    static const std::string sql =
        "select min(+rowid) from games where Flags >= " + number(Game::FlagFailed) +
        " and (Flags & " + number(kRetryState) + " = " + number(kToRetry) + " or Flags & " +
        number(helpedSolved) + " = " + number(helpedSolved) + ") and +rowid > ?";
    return readId(sql.c_str(), after, true);
}

int64_t GamesTable::countPuzzles(int64_t first, int64_t last)
{
    // "+rowid" keeps SQLite off the rows' range: the total is counted by a
    // scan of the Flags index.
    static const std::string sql = "select count(1) from games where Flags & " +
                                   number(Game::FlagPuzzle) + " = " + number(Game::FlagPuzzle) +
                                   " and +rowid between ? and ?";
    SQLiteStatement statement(m_db, sql.c_str());
    statement.bind(1, first);
    statement.bind(2, last);
    return column_or_zero(statement);
}

int64_t GamesTable::countSolvedPuzzles(int64_t first, int64_t last)
{
    static const std::string sql =
        "select count(1) from games where " + solved_flags() + " and +rowid between ? and ?";
    SQLiteStatement statement(m_db, sql.c_str());
    statement.bind(1, first);
    statement.bind(2, last);
    return column_or_zero(statement);
}

void GamesTable::addFlagsIndex()
{
    // A plain index: bases stay readable by SQLite versions without partial
    // or expression indexes.
    SQLiteStatement statement(m_db, "create index if not exists flags on games(Flags)");
    statement.step();
}

SQLiteStatement GamesTable::selectAll()
{
    static const std::string sql = "select rowid," + column_list() + " from games order by rowid";
    return SQLiteStatement(m_db, sql.c_str());
}

GamesTable::Appender::Appender(GamesTable& table) : m_table(table)
{
    std::string sql = " insert into games(" + column_list() + ")  values";
    for (size_t row = 0; row < kBatchRows; ++row)
        sql += (row == 0 ? "" : ",") + row_placeholders();
    m_batch.prepare(table.m_db, sql.c_str());
    m_nextId = table.readId("select max(rowid) from games", 0, false) + 1;
    m_rows.reserve(kBatchRows);
}

int64_t GamesTable::Appender::add(const NewRow& row)
{
    Pending pending;
    pending.parent = row.parent;
    pending.hasFen = row.hasFen;
    pending.result = row.result;
    pending.flags = row.flags;
    const std::string_view texts[8] = {row.event, row.site,  row.date, row.round,
                                       row.white, row.black, row.fen,  row.moveText};
    for (size_t i = 0; i < 8; ++i) {
        pending.texts[i][0] = m_texts.size();
        pending.texts[i][1] = texts[i].size();
        m_texts.insert(m_texts.end(), texts[i].begin(), texts[i].end());
    }
    m_rows.push_back(pending);
    if (m_rows.size() == kBatchRows) {
        write(m_batch, 0, kBatchRows);
        m_rows.clear();
        m_texts.clear();
    }
    return m_nextId++;
}

void GamesTable::Appender::finish()
{
    // The rest one by one: a batch statement is made for one size only.
    for (size_t i = 0; i < m_rows.size(); ++i)
        write(m_table.m_insert, i, 1);
    m_rows.clear();
    m_texts.clear();
}

void GamesTable::Appender::write(SQLiteStatement& statement, size_t first, size_t count)
{
    SQLiteStatement::Use use(statement);
    for (size_t r = 0; r < count; ++r) {
        const Pending& pending = m_rows[first + r];
        auto text = [&](size_t i) {
            return std::string_view(m_texts.data() + pending.texts[i][0], pending.texts[i][1]);
        };
        NewRow row;
        row.parent = pending.parent;
        row.event = text(0);
        row.site = text(1);
        row.date = text(2);
        row.round = text(3);
        row.white = text(4);
        row.black = text(5);
        row.hasFen = pending.hasFen;
        row.fen = text(6);
        row.result = pending.result;
        row.flags = pending.flags;
        row.moveText = text(7);
        bind_row(statement, static_cast<int>(r * ColumnCount) + 1, row);
    }
    statement.step();
}
