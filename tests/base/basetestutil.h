#pragma once

#include "tests/support/test_support.h"

#include <sqlite3.h>

#include <stdexcept>
#include <string>
#include <vector>

// Direct access to a base file for the tests: a second connection that reads
// and changes rows behind the back of ChessBase.
class RawBase {
public:
    explicit RawBase(const std::string& path)
    {
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path);
    }
    ~RawBase() { sqlite3_close_v2(m_db); }
    RawBase(const RawBase&) = delete;
    RawBase& operator=(const RawBase&) = delete;

    void exec(const std::string& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error(sql + ": " + message);
        }
    }

    // Every row of a query, its columns joined by "|" ("NULL" for NULL).
    std::vector<std::string> rows(const std::string& sql)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(m_db));
        std::vector<std::string> out;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::string row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                if (i > 0)
                    row += "|";
                const unsigned char* text = sqlite3_column_text(statement, i);
                row += text ? std::string(reinterpret_cast<const char*>(text),
                                          static_cast<size_t>(sqlite3_column_bytes(statement, i)))
                            : "NULL";
            }
            out.push_back(row);
        }
        sqlite3_finalize(statement);
        return out;
    }

    std::string value(const std::string& sql)
    {
        const std::vector<std::string> all = rows(sql);
        return all.empty() ? std::string("<none>") : all.front();
    }

private:
    sqlite3* m_db = nullptr;
};

// A PGN game with the seven tags (plus extra tag lines) and the move text.
inline std::string pgn_game(const std::string& white, const std::string& moves,
                            const std::string& extraTags = std::string(),
                            const std::string& result = "*")
{
    return "[Event \"Test\"]\n[Site \"Here\"]\n[Date \"2024.01.01\"]\n[Round \"1\"]\n[White \"" +
           white + "\"]\n[Black \"Other\"]\n[Result \"" + result + "\"]\n" + extraTags + "\n" +
           moves + "\n\n";
}

inline std::string pgn_heading(const std::string& value)
{
    return "[Header \"" + value + "\"]\n\n*\n\n";
}
