#pragma once

#include "base/sqlitestatement.h"
#include "game/game.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct StoredRow;

// The games table of a game base: its schema, its column list, every
// statement on it, and the flag masks of the puzzle queries, built from the
// game's flag names. The stored format is fixed: files of every version and
// other readers rely on it. The statements used for every game are prepared
// once per connection; the others when asked for.
class GamesTable {
public:
    // The stored columns, in the order every select of a whole row returns them.
    enum Column {
        ColParent,
        ColEvent,
        ColSite,
        ColDate,
        ColRound,
        ColWhite,
        ColBlack,
        ColFen,
        ColResult,
        ColFlags,
        ColMoveText,
        ColumnCount
    };

    // Puzzle states as Flags stores them: Flags & kPuzzleState is kUnsolved
    // or kSolved; a failed puzzle still to retry has Flags & kRetryState ==
    // kToRetry.
    static constexpr unsigned kPuzzleState = Game::FlagPuzzle | Game::FlagSolved;
    static constexpr unsigned kUnsolved = Game::FlagPuzzle;
    static constexpr unsigned kSolved = Game::FlagPuzzle | Game::FlagSolved;
    static constexpr unsigned kRetryState = kPuzzleState | Game::FlagFailed;
    static constexpr unsigned kToRetry = Game::FlagPuzzle | Game::FlagFailed;

    // The statement that creates the table, as every base has it.
    static const std::string& createSql();

    // A new row's values. Texts are read until insert() returns.
    struct NewRow {
        int64_t parent = 0;
        std::string_view event;
        std::string_view site;
        std::string_view date;
        std::string_view round;
        std::string_view white;
        std::string_view black;
        bool hasFen = false;
        std::string_view fen;
        int result = 0;
        unsigned flags = 0;
        std::string_view moveText;
    };

    // Appends rows to a new table, many rows to a statement: one statement
    // costs SQLite about as much as the row it writes. The rows get
    // consecutive ids after the last one; their texts are copied until
    // finish() or a full batch writes them.
    class Appender {
    public:
        explicit Appender(GamesTable& table);
        Appender(const Appender&) = delete;
        Appender& operator=(const Appender&) = delete;

        // The id the row gets.
        int64_t add(const NewRow& row);
        // Writes the rows still waiting.
        void finish();

    private:
        struct Pending {
            int64_t parent;
            size_t texts[8][2]; // offset and length: the six texts, FEN, move text
            bool hasFen;
            int result;
            unsigned flags;
        };
        void write(SQLiteStatement& statement, size_t first, size_t count);

        GamesTable& m_table;
        SQLiteStatement m_batch;
        std::vector<Pending> m_rows;
        std::vector<char> m_texts;
        int64_t m_nextId = 0;
    };

    GamesTable() = default;
    GamesTable(const GamesTable&) = delete;
    GamesTable& operator=(const GamesTable&) = delete;

    // Prepares the statements of every game on the connection; finalize()
    // before it closes.
    void prepare(sqlite3* db);
    void finalize();

    // The row id; false when there is no such row.
    bool read(int64_t id, StoredRow* row);
    // The new row's id.
    int64_t insert(const NewRow& row);
    int64_t insert(const Game& game);
    // Result, MoveText and Flags of the game's row; only Flags for a puzzle,
    // whose text is never rewritten. False when no row has the game's id.
    bool update(const Game& game);
    bool updateFlags(int64_t id, unsigned flags);

    // Row ids; 0 when there is none. First and last count only the ids a game can have.
    int64_t firstId();
    int64_t lastId();
    int64_t minId();
    int64_t count();
    std::vector<int64_t> ids();
    // The first unsolved puzzle after the id.
    int64_t nextUnsolvedPuzzle(int64_t after);
    // The first failed, unsolved puzzle after the id.
    int64_t nextPuzzleToRetry(int64_t after);

    // Puzzles among the rows first..last, and the solved ones among them.
    int64_t countPuzzles(int64_t first, int64_t last);
    int64_t countSolvedPuzzles(int64_t first, int64_t last);
    // The plain index on Flags that makes the puzzle queries cheap.
    void addFlagsIndex();

    // Every row in id order: the row id, then the columns from column 1.
    SQLiteStatement selectAll();
    // The connection, for the tables that sit beside games.
    sqlite3* database() const { return m_db; }

private:
    int64_t readId(const char* sql, int64_t parameter, bool bound);

    sqlite3* m_db = nullptr;
    SQLiteStatement m_select;
    SQLiteStatement m_insert;
    SQLiteStatement m_update;
    SQLiteStatement m_updateFlags;
    SQLiteStatement m_nextUnsolved;
};
