#include "base/chessbase.h"

#include "base/basefile.h"
#include "base/storedrow.h"

#include "chess/board.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"
#include "game/pgnnag.h"

#include <sqlite3.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace {

Board classic_board()
{
    Board board;
    board.create_classic_board();
    return board;
}

int to_int(int64_t value)
{
    if (value < INT_MIN || value > INT_MAX)
        throw Exception(false, translated("Row id out of range: %lld"),
                        static_cast<long long>(value));
    return static_cast<int>(value);
}

// Decimal text to int; empty or not a number gives 0.
int parse_id(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const long value = strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || errno != 0 || value < INT_MIN || value > INT_MAX)
        return 0;
    return static_cast<int>(value);
}

// The move text Game::close(true) would write, the game left open: "$500"
// is linked in at the current move for the time of the writing.
std::string open_move_text(const Game& game)
{
    // Linked for the time of the writing, unlinked on every way out.
    struct Marker {
        PGNMove* at;
        PGNNag nag;
        Marker(PGNMove* current, bool marked)
            : at(marked ? current : nullptr), nag(current ? current->depth : 0, "$500")
        {
            if (at)
                PGNElement::link_after(at, &nag);
        }
        ~Marker()
        {
            if (!at)
                return;
            at->next = nag.next;
            if (nag.next)
                nag.next->prev = at;
        }
        Marker(const Marker&) = delete;
        Marker& operator=(const Marker&) = delete;
    };
    std::string text;
    {
        const Marker marker(game.current, game.current && game.current != game.root);
        if (game.root->next) {
            Game::store_to_string(game.root->next, &text);
            text += ' ';
        }
    }
    text += Game::game_result_to_str(game.result);
    return text;
}

// A new game is stored from its first move on.
bool has_move(const Game& game)
{
    for (const PGNElement* e = game.root ? game.root->next : nullptr; e; e = e->next)
        if (e->getType() == PGNElement::TypeMove)
            return true;
    return false;
}
} // namespace

ChessBase::ChessBase() = default;

ChessBase::~ChessBase()
{
    try {
        close();
    } catch (const Exception& e) {
        if (g_pLog)
            g_pLog->write(1, Log::Error, "%s", e.what());
    }
    disconnect();
}

// ---------------------------------------------------------------------------
// File

void ChessBase::open(const std::string& path, OpenMode mode)
{
    close();
    const bool existed = access(path.c_str(), F_OK) == 0;
    // A base the program cannot change is opened read-only from the start,
    // rather than failing at the first save.
    m_readOnly = mode == ReadOnly || basefile::isWriteProtected(path);
    m_path = path;
    if (!m_readOnly)
        basefile::removeStaleTemporaries(basefile::resolveLinks(path));
    // One connection on one thread: SQLite's own locks are not needed.
    const int flags =
        SQLITE_OPEN_NOMUTEX |
        (m_readOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
    if (sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        const std::string reason = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        fail(path, "ChessBase", 151, reason);
    }
    sqlite3_busy_timeout(m_db, 2000);
    if (sqlite3_db_readonly(m_db, "main") == 1)
        m_readOnly = true;

    int count = 0;
    try {
        if (!readInt("select count(1) from SQLITE_MASTER where type = 'table' and name = 'params'",
                     &count))
            fail(path, "ChessBase", 155);
    } catch (const Exception& e) {
        if (e.isCritical())
            throw;
        fail(path, "ChessBase", 155, e.what());
    }
    if (count != 0) {
        std::string version;
        try {
            version = readParam("version");
        } catch (const Exception& e) {
            fail(path, "ChessBase", 155, e.what());
        }
        if (version != "1") {
            char reason[200];
            snprintf(reason, sizeof reason, translated("unsupported version \"%.100s\""),
                     version.c_str());
            fail(path, "ChessBase", 164, reason);
        }
        dropPartialIndex();
    } else {
        // Only a file without any table becomes a game base; a foreign
        // database is left alone.
        int objects = 0;
        try {
            readInt("select count(1) from SQLITE_MASTER", &objects);
        } catch (const Exception& e) {
            fail(path, "ChessBase", 155, e.what());
        }
        if (objects != 0)
            fail(path, "ChessBase", 155, translated("the file is not a game base"));
        if (m_readOnly)
            fail(path, "ChessBase", 155, translated("the file holds no game base"));
        if (!create()) {
            const std::string reason = m_lastError;
            if (!existed) {
                disconnect();
                unlink(path.c_str());
            }
            fail(path, "ChessBase", 151, reason);
        }
    }

    try {
        m_games.prepare(m_db);
        readContents();
        const int id = parse_id(readParam("gameid"));
        if (id != 0)
            openGame(id);
        // A remembered id that names no row falls back to the first game.
        if (game.id < 1)
            firstGame();
        if (!game.root)
            game.open();
    } catch (const Exception& e) {
        if (e.isCritical())
            throw;
        fail(path, "ChessBase", 155, e.what());
    }
    if (g_pLog)
        g_pLog->write(2, Log::Info, "Opened game base %s%s", path.c_str(),
                      m_readOnly ? " (read-only)" : "");
}

// Earlier versions made a partial index, which SQLite before 3.8 cannot read
// at all; a writable base loses it on open.
void ChessBase::dropPartialIndex()
{
    int count = 0;
    if (m_readOnly ||
        !readInt("select count(1) from SQLITE_MASTER where type = 'index' and "
                 "name = 'unsolved' and tbl_name = 'games'",
                 &count) ||
        count == 0)
        return;
    if (!execute("drop index unsolved") && g_pLog)
        g_pLog->write(1, Log::Warning, "Could not drop the index of %s: %s", m_path.c_str(),
                      m_lastError.c_str());
}

void ChessBase::close()
{
    if (!m_db)
        return;
    if (!m_readOnly) {
        // A failed write-back leaves the file open and the game in memory.
        closeGame();
        try {
            int id = game.id;
            if (id == 0)
                id = game.parent;
            if (id == 0)
                id = to_int(m_games.minId());
            const std::string value = std::to_string(id);
            if (readParam("gameid") != value)
                updateParam("gameid", value);
        } catch (const Exception& e) {
            if (g_pLog)
                g_pLog->write(1, Log::Warning, "Could not remember the current game of %s: %s",
                              m_path.c_str(), e.what());
        }
    }
    if (g_pLog)
        g_pLog->write(2, Log::Info, "Closed game base %s", m_path.c_str());
    disconnect();
}

void ChessBase::discard()
{
    disconnect();
}

void ChessBase::disconnect()
{
    m_games.finalize();
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_haveStored = false;
    m_haveFailed = false;
    m_stored = StoredState();
    m_failed = StoredState();
    game.close(false);
    game.init(classic_board());
    resetContents();
}

bool ChessBase::create()
{
    const char* const statements[] = {
        "begin",
        " create table params (      name VARCHAR(255) not NULL,      value TEXT) ",
        "insert into params(name,value)     values('version','1')",
        GamesTable::createSql().c_str(),
        " create table contents (      parent INTEGER,      gameid INTEGER,      text   TEXT )",
        "commit"};
    for (const char* sql : statements) {
        if (!execute(sql)) {
            const std::string error = m_lastError;
            execute("rollback");
            m_lastError = error;
            return false;
        }
    }
    return true;
}

bool ChessBase::execute(const char* sql)
{
    try {
        SQLiteStatement statement(m_db, sql);
        while (statement.step()) {
        }
        return true;
    } catch (const Exception& e) {
        m_lastError = e.what();
        return false;
    }
}

void ChessBase::mustExecute(const char* sql)
{
    if (!execute(sql))
        throw Exception(false, "%s", m_lastError.c_str());
}

bool ChessBase::readInt(const char* sql, int* out)
{
    SQLiteStatement statement(m_db, sql);
    if (!statement.step())
        return false;
    *out = to_int(statement.columnInt64(0));
    return true;
}

std::string ChessBase::readParam(const std::string& name)
{
    SQLiteStatement statement(m_db, "select value from params where name = ?");
    statement.bind(1, name);
    if (!statement.step())
        return std::string();
    return statement.columnText(0);
}

void ChessBase::updateParam(const std::string& name, const std::string& value)
{
    SQLiteStatement count(m_db, "select count(1) from params where name = ?");
    count.bind(1, name);
    const bool exists = count.step() && count.columnInt64(0) > 0;
    count.finalize();
    SQLiteStatement statement(m_db, exists ? "update params set value = ? where name = ?"
                                           : "insert into params(value,name) values(?,?)");
    statement.bind(1, value);
    statement.bind(2, name);
    statement.step();
}

void ChessBase::fail(const std::string& path, const char* source, int number,
                     const std::string& reason)
{
    disconnect();
    Exception error(true, translated("Failed to load file: %s {%s:%d}"), path.c_str(), source,
                    number);
    std::string message = error.what();
    if (!reason.empty())
        message += ": " + reason;
    if (g_pLog)
        g_pLog->write(1, Log::Error, "%s", message.c_str());
    throw Exception(true, message);
}

// ---------------------------------------------------------------------------
// Current game

void ChessBase::openGame(int id)
{
    if (id <= 0 || id == game.id || !m_db)
        return;
    StoredRow row;
    if (!m_games.read(id, &row))
        return;

    // The previous game is written back before any field changes.
    closeGame();
    // A failed write that was reported belongs to the game just left.
    m_haveFailed = false;

    game.init(classic_board());
    game.id = id;
    m_stored.id = id;
    m_stored.result = row.resultValid ? row.result : -1;
    m_stored.flags = row.flags;
    m_haveStored = row.resultValid && row.flagsValid;
    const std::string problem = row.toGame(game);
    m_stored.moveText = game.moveText;
    if (!problem.empty() && g_pLog)
        g_pLog->write(2, Log::Warning, "Game %d of %s is invalid: %s", id, m_path.c_str(),
                      problem.c_str());
}

std::string ChessBase::verifyGame(int64_t id)
{
    StoredRow row;
    if (!m_db || !m_games.read(id, &row))
        return translated("The game cannot be read");
    Game scratch;
    scratch.init(classic_board());
    return row.toGame(scratch);
}

bool ChessBase::matches(const StoredState& state) const
{
    if (state.id != game.id || state.flags != game.flags)
        return false;
    if (game.flags & Game::FlagPuzzle)
        return true;
    return state.result == static_cast<int>(game.result) && state.moveText == game.moveText;
}

void ChessBase::closeGame()
{
    const bool wasOpen = game.root != nullptr;
    // A new game without a move is not stored, also when closed again.
    if (wasOpen && game.id == 0)
        m_emptyNewGame = !has_move(game);
    game.close(true);
    if (!m_db || m_readOnly || (game.id == 0 && m_emptyNewGame))
        return;
    if (!game.errorText.empty() || game.id < 0 || (game.flags & Game::FlagNotStored))
        return;
    if (game.id > 0 && (game.flags & Game::FlagReadOnly))
        return;
    // Nothing changed since the row was read: nothing to write.
    if (game.id > 0 && m_haveStored && matches(m_stored))
        return;
    // The user was told that this very content could not be saved.
    if (m_haveFailed && matches(m_failed))
        return;
    try {
        writeGame();
    } catch (const Exception& e) {
        m_failed.id = game.id;
        m_failed.result = static_cast<int>(game.result);
        m_failed.flags = game.flags;
        m_failed.moveText = game.moveText;
        m_haveFailed = true;
        if (wasOpen) {
            try {
                game.open();
            } catch (const Exception& reopen) {
                game.invalidate(reopen.what());
            }
        }
        throw saveFailure(e);
    }
    rememberStored();
}

void ChessBase::rememberStored()
{
    m_haveFailed = false;
    m_stored.id = game.id;
    m_stored.result = static_cast<int>(game.result);
    m_stored.flags = game.flags;
    m_stored.moveText = game.moveText;
    m_haveStored = true;
}

Exception ChessBase::saveFailure(const Exception& e) const
{
    if (g_pLog)
        g_pLog->write(1, Log::Error, "Could not save game %d of %s: %s", game.id, m_path.c_str(),
                      e.what());
    return Exception(false, translated("The game could not be saved: %s"), e.what());
}

void ChessBase::saveGame()
{
    if (!m_db || m_readOnly || !game.root || !game.errorText.empty() || game.id < 0 ||
        (game.flags & (Game::FlagNotStored | Game::FlagPuzzle)))
        return;
    if (game.id > 0 && (game.flags & Game::FlagReadOnly))
        return;
    if (game.id == 0 && !has_move(game))
        return;
    const std::string before = game.moveText;
    game.moveText = open_move_text(game);
    if (game.id > 0 && m_haveStored && matches(m_stored))
        return;
    const int id = game.id;
    try {
        mustExecute("begin");
        writeGame();
        updateParam("gameid", std::to_string(game.id));
        mustExecute("commit");
    } catch (const Exception& e) {
        execute("rollback");
        game.id = id;
        game.moveText = before;
        throw saveFailure(e);
    }
    rememberStored();
}

void ChessBase::writeGame()
{
    if (game.id == 0)
        game.id = to_int(m_games.insert(game));
    else if (!m_games.update(game))
        throw Exception(false, translated("The game's row %d is missing"), game.id);
}

void ChessBase::newGame(const Board& board)
{
    closeGame();
    m_haveFailed = false;
    game.close(false);
    game.init(board);
    game.id = 0;
    m_haveStored = false;
    m_emptyNewGame = true;
    game.open();
}

// ---------------------------------------------------------------------------
// Navigation

int ChessBase::getFirstRowID()
{
    // Only ids a game can have; other rows are reached by the tools alone.
    return m_db ? to_int(m_games.firstId()) : 0;
}

int ChessBase::getLastRowID()
{
    return m_db ? to_int(m_games.lastId()) : 0;
}

int ChessBase::getNextRowID(int id)
{
    return id > 0 && id < INT_MAX ? id + 1 : 0;
}

int ChessBase::getPrevRowID(int id)
{
    return id > 0 ? id - 1 : 0;
}

int ChessBase::getNextUnsolvedPuzzleRowID()
{
    return m_db ? to_int(m_games.nextUnsolvedPuzzle(game.id > 0 ? game.id : game.parent)) : 0;
}

std::vector<int64_t> ChessBase::rowIds()
{
    return m_db ? m_games.ids() : std::vector<int64_t>();
}

int ChessBase::gameCount()
{
    return m_db ? to_int(m_games.count()) : 0;
}

bool ChessBase::firstGame()
{
    const int target = getFirstRowID();
    if (target != 0)
        openGame(target);
    return target != 0;
}

bool ChessBase::lastGame()
{
    const int target = getLastRowID();
    if (target != 0)
        openGame(target);
    return target != 0;
}

bool ChessBase::nextGame()
{
    const int target = getNextRowID(game.id);
    if (target != 0)
        openGame(target);
    return target != 0;
}

bool ChessBase::prevGame()
{
    const int target = game.parent > 0 ? game.parent : getPrevRowID(game.id);
    if (target != 0)
        openGame(target);
    return target != 0;
}

bool ChessBase::nextUnsolvedPuzzle()
{
    const int target = getNextUnsolvedPuzzleRowID();
    if (target != 0)
        openGame(target);
    return target != 0;
}
