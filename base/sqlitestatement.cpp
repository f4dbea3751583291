#include "base/sqlitestatement.h"

#include "core/exception.h"
#include "core/trans.h"

#include <sqlite3.h>

#include <utility>

SQLiteStatement::SQLiteStatement(sqlite3* db, const char* sql)
{
    prepare(db, sql);
}

SQLiteStatement::~SQLiteStatement()
{
    finalize();
}

SQLiteStatement::SQLiteStatement(SQLiteStatement&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_stmt(std::exchange(other.m_stmt, nullptr))
{
}

SQLiteStatement& SQLiteStatement::operator=(SQLiteStatement&& other) noexcept
{
    if (this != &other) {
        finalize();
        m_db = std::exchange(other.m_db, nullptr);
        m_stmt = std::exchange(other.m_stmt, nullptr);
    }
    return *this;
}

void SQLiteStatement::prepare(sqlite3* db, const char* sql)
{
    finalize();
    m_db = db;
    if (!db)
        throw Exception(false, translated("No game base is open"));
    if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(db);
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw Exception(false, "%s", message.c_str());
    }
    if (!m_stmt)
        throw Exception(false, "Empty SQL statement");
}

void SQLiteStatement::finalize()
{
    if (m_stmt)
        sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
}

void SQLiteStatement::raise(const char* what) const
{
    throw Exception(false, "%s: %s", what, m_db ? sqlite3_errmsg(m_db) : "no database");
}

void SQLiteStatement::bind(int index, int value)
{
    if (sqlite3_bind_int(m_stmt, index, value) != SQLITE_OK)
        raise("bind");
}

void SQLiteStatement::bind(int index, int64_t value)
{
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        raise("bind");
}

void SQLiteStatement::bind(int index, std::string_view value, bool transient)
{
    // A text longer than SQLite takes is refused by SQLite itself (SQLITE_TOOBIG).
    const int length = value.size() > 0x7fffffffu ? -1 : static_cast<int>(value.size());
    // An empty view may have no data; SQLite would take that for NULL.
    const char* text = value.data() ? value.data() : "";
    if (length < 0 || sqlite3_bind_text(m_stmt, index, text, length,
                                        transient ? SQLITE_TRANSIENT : SQLITE_STATIC) != SQLITE_OK)
        raise("bind");
}

void SQLiteStatement::bindNull(int index)
{
    if (sqlite3_bind_null(m_stmt, index) != SQLITE_OK)
        raise("bind");
}

bool SQLiteStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // Take the message before the reset, which may replace it.
    const std::string message = sqlite3_errmsg(m_db);
    sqlite3_reset(m_stmt);
    throw Exception(false, "%s", message.c_str());
}

void SQLiteStatement::reset()
{
    // The error of a failed step was reported by step(); reset repeats it.
    sqlite3_reset(m_stmt);
}

bool SQLiteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

bool SQLiteStatement::isInteger(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_INTEGER;
}

int64_t SQLiteStatement::columnInt64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

std::string SQLiteStatement::columnText(int column) const
{
    const unsigned char* text = sqlite3_column_text(m_stmt, column);
    if (!text)
        return std::string();
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<size_t>(sqlite3_column_bytes(m_stmt, column)));
}

size_t SQLiteStatement::columnBytes(int column) const
{
    return static_cast<size_t>(sqlite3_column_bytes(m_stmt, column));
}
