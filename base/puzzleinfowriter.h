#pragma once

#include "base/sqlitestatement.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;

// The tables an import writes beside the games of a puzzle base: each
// puzzle's data ("puzzle_info", by the games row) and the theme names by bit
// ("puzzle_themes").
class PuzzleInfoWriter {
public:
    static constexpr int kThemeBits = 128;

    // Creates the tables on the connection of a base being built.
    explicit PuzzleInfoWriter(sqlite3* db);

    // The bits of the space-separated theme names; a name gets the next free
    // bit when first met. A name past the 128th gets none.
    void themeBits(std::string_view themes, uint64_t* lo, uint64_t* hi);
    // Then the puzzles are added in the order of their games rows.
    void beginStoring();

    struct Info {
        std::string_view id;
        int rating = 0;
        int deviation = 0;
        int popularity = 0;
        int plays = 0;
        std::string_view themes;
        uint64_t themeLo = 0;
        uint64_t themeHi = 0;
        std::string_view opening;
    };
    // Rows wait to be written many to a statement; their texts are copied.
    void add(int64_t game, const Info& info);
    // Writes the theme names and builds the rating index.
    void finish();

private:
    // Rows written by one statement.
    static constexpr size_t kBatchRows = 32;
    struct Pending {
        int64_t game;
        int numbers[4]; // rating, deviation, popularity, plays
        uint64_t themeLo;
        uint64_t themeHi;
        size_t texts[3][2]; // offset and length: id, themes, opening
    };

    void execute(const char* sql);
    // The waiting rows, count to a run of the statement.
    void write(SQLiteStatement& statement, size_t count);

    sqlite3* m_db;
    SQLiteStatement m_batch;
    SQLiteStatement m_insert;
    std::vector<Pending> m_pending;
    std::vector<char> m_texts;
    std::unordered_map<std::string, int> m_bits;
    std::vector<std::string> m_names;
    std::string m_key;
};
