#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// One prepared SQLite statement, finalised with the object. Values are only
// ever bound, never pasted into the SQL text. Every failing call throws a
// non-critical Exception carrying SQLite's own message.
class SQLiteStatement {
public:
    // Resets the statement when leaving the scope, so that no read stays
    // open and no bound text is referred to afterwards.
    class Use {
    public:
        explicit Use(SQLiteStatement& statement) : m_statement(statement) {}
        ~Use() { m_statement.reset(); }
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;

    private:
        SQLiteStatement& m_statement;
    };

    SQLiteStatement() = default;
    SQLiteStatement(sqlite3* db, const char* sql);
    ~SQLiteStatement();
    SQLiteStatement(const SQLiteStatement&) = delete;
    SQLiteStatement& operator=(const SQLiteStatement&) = delete;
    SQLiteStatement(SQLiteStatement&& other) noexcept;
    SQLiteStatement& operator=(SQLiteStatement&& other) noexcept;

    // Prepares sql, finalising any statement held before.
    void prepare(sqlite3* db, const char* sql);
    void finalize();

    // Parameters count from 1. Text is copied by SQLite only when transient
    // is true; otherwise it must stay alive until the next step.
    void bind(int index, int value);
    void bind(int index, int64_t value);
    void bind(int index, std::string_view value, bool transient = false);
    void bindNull(int index);

    // True when a row is ready, false when the statement ran to completion.
    bool step();
    // Makes the statement ready to run again; the bound values stay.
    void reset();

    // Columns count from 0.
    bool isNull(int column) const;
    bool isInteger(int column) const;
    int64_t columnInt64(int column) const;
    std::string columnText(int column) const;
    size_t columnBytes(int column) const;

private:
    [[noreturn]] void raise(const char* what) const;

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};
