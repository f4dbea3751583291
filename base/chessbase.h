#pragma once

#include "base/gamestable.h"
#include "game/game.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct sqlite3;
class Board;
class Exception;
class OpeningTable;

// The game base: one SQLite file (".cdb") with the tables params, games and
// contents. It keeps exactly one game current, read by row id into `game`,
// and writes it back when another game becomes current or the file is closed.
// Every value reaches SQLite bound to a prepared statement; every failing
// step raises an Exception with SQLite's message. The table of contents is
// read into a tree of HeaderItem when the file is opened.
class ChessBase {
public:
    // One entry of the table of contents. Items live in `items`; parent and
    // children point into it.
    struct HeaderItem {
        int id = 0;
        int row = 0;
        int gameId = 0;
        int parentId = 0;
        HeaderItem* parent = nullptr;
        std::vector<HeaderItem*> children;
        std::string text;
    };

    // A heading read by the import, waiting for the game it starts at.
    struct Header {
        int gameId = 0;
        int parentId = 0;
        int level = 0;
        std::string text;
    };

    // What an import stored and what it skipped.
    struct ImportReport {
        int games = 0;
        int headings = 0;
        int skipped = 0;
        // "game N: MESSAGE" for the first skipped games.
        std::vector<std::string> messages;
        // A user-visible summary (translated), with the messages of the skipped games.
        std::string text() const;
    };
    // Called now and then during an import with the bytes read so far, the
    // size of the PGN file and the number of games stored.
    using ImportProgress = std::function<void(uint64_t done, uint64_t total, int games)>;

    enum OpenMode {
        ReadWrite, // creates the tables in an empty or new file
        ReadOnly   // never creates, writes or converts anything
    };

    ChessBase();
    ~ChessBase();
    ChessBase(const ChessBase&) = delete;
    ChessBase& operator=(const ChessBase&) = delete;

    // File.
    void open(const std::string& path, OpenMode mode = ReadWrite);
    void close();
    // Closes the file without storing anything; an open transaction is rolled back.
    void discard();
    bool isOpen() const { return m_db != nullptr; }
    bool isReadOnly() const { return m_readOnly; }
    // The connection, for the tables beside the games (PuzzleTables); null
    // while closed.
    sqlite3* handle() const { return m_db; }
    const std::string& path() const { return m_path; }
    // Every statement on the games table.
    GamesTable& games() { return m_games; }

    // Bulk writing by the importers into a new base in a temporary file: no
    // journal, no syncs and one transaction from beginImport() on.
    void beginImport();
    // Opens the first game once (written back in the program's layout),
    // remembers it as the game to show, commits and closes the file, and
    // makes it durable before it replaces anything.
    void finishImport();

    // Current game.
    void openGame(int id);
    // Writes the open game as it stands, "$500" at its current move, and
    // makes it the game the base opens with, in one transaction; the game
    // stays open. Nothing for a read-only base or row, a puzzle, a game not
    // to be stored or a new game without a move; an unchanged game is not
    // written again. A failure rolls back and raises Exception.
    void saveGame();
    // Writes the game back (a new game only once it has a move) and closes it.
    void closeGame();
    void newGame(const Board& board);
    // Opens the row id as the program would, without making it current:
    // the reason it cannot be shown, empty for a good game.
    std::string verifyGame(int64_t id);

    // Navigation by row id.
    bool firstGame();
    bool lastGame();
    bool nextGame();
    bool prevGame();
    bool nextUnsolvedPuzzle();
    int getFirstRowID();
    int getLastRowID();
    int getNextRowID(int id);
    int getPrevRowID(int id);
    int getNextUnsolvedPuzzleRowID();
    int gameCount();
    // Every row id of the games table in ascending order, whatever its range.
    std::vector<int64_t> rowIds();

    // Table of contents.
    void readContents();
    const HeaderItem* getHeader(int gameId) const;
    // The new entry's id.
    int64_t insertHeader(int parentId, int gameId, const std::string& text);
    // Depth of an item in the tree: 1 for a top-level entry, 0 when it is not in the tree.
    static int headerLevel(const HeaderItem* item);

    // Puzzle progress (chessbasepuzzles.cpp); the flag masks are those of
    // GamesTable.
    struct PuzzleCount {
        int solved = 0;
        int total = 0;
    };
    // The puzzles of the base, or of the rows first..last.
    PuzzleCount countPuzzles();
    PuzzleCount countPuzzles(int first, int last);
    // The solved ones alone: cheap, as the solved rows are few.
    int countSolvedPuzzles(int first, int last);
    // The rows a contents entry covers: from its game to the game before the
    // next entry that is not below it (the last row for the last one).
    void headingRange(const HeaderItem* item, int* first, int* last);
    // The first failed, unsolved puzzle after id; 0 when there is none.
    int getNextFailedPuzzleRowID(int id);
    // Opens the failed puzzle after the current game; false when there is none.
    bool nextFailedPuzzle();
    // Sets and clears flags of the current puzzle and stores them at once,
    // so that the counts include them.
    void setPuzzleFlags(unsigned set, unsigned clear = 0);
    // The index on Flags that makes the counts and the retry cheap; kept up
    // to date by SQLite once made.
    void addPuzzleIndexes();

    // Builds the base cdbPath from a PGN file. The new base is built beside
    // cdbPath and replaces it only once complete; on failure any file at
    // cdbPath stays as it was. Malformed games are skipped and reported.
    // With openings, games without ECO and Opening tags are given them.
    static ImportReport importPgn(const std::string& cdbPath, const std::string& pgnPath,
                                  const ImportProgress& progress = nullptr,
                                  const OpeningTable* openings = nullptr);

    Game game;
    HeaderItem contents;
    std::vector<HeaderItem> items;

private:
    struct StoredState {
        int id = 0;
        int result = 0;
        unsigned flags = 0;
        std::string moveText;
    };

    bool create();
    bool execute(const char* sql);
    // Throws Exception with SQLite's message when the statement fails.
    void mustExecute(const char* sql);
    bool readInt(const char* sql, int* out);
    std::string readParam(const std::string& name);
    void updateParam(const std::string& name, const std::string& value);
    [[noreturn]] void fail(const std::string& path, const char* source, int number,
                           const std::string& reason = std::string());
    void disconnect();
    void dropPartialIndex();
    void buildContents(HeaderItem* item, const std::vector<HeaderItem*>& sorted);
    void writeGame();
    // The row as written, so that an unchanged game is not written again.
    void rememberStored();
    // A failed save, logged, as the message the user is shown.
    Exception saveFailure(const Exception& e) const;
    bool matches(const StoredState& state) const;
    void resetContents();

    sqlite3* m_db = nullptr;
    std::string m_path;
    std::string m_lastError;
    bool m_readOnly = false;
    GamesTable m_games;
    // The row as it was read, so that an unchanged game is not written again.
    StoredState m_stored;
    bool m_haveStored = false;
    // The new game (id 0) was closed without a move.
    bool m_emptyNewGame = false;
    // The last write that failed; the same content is not tried again.
    StoredState m_failed;
    bool m_haveFailed = false;
};
