// The puzzle import: the CSV file read row by row into a stage, then stored
// by rating into a new base.
#include "base/puzzleimport.h"

#include "base/basefile.h"
#include "base/chessbase.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace {

// Rows between two progress calls.
constexpr int64_t kProgressEvery = 4096;

} // namespace

bool PuzzleImport::open(const std::string& path)
{
    m_path = path;
    if (!m_source.open(path)) {
        m_error =
            std::string(translated("Failed to load file: ")) + path + " (" + m_source.error() + ")";
        return false;
    }
    const char* text = nullptr;
    size_t length = 0;
    if (!m_source.readLine(&text, &length) || std::string(text, length) != kHeader) {
        m_error = m_source.error().empty()
                      ? path + ": " + translated("not a puzzle file (the first line must be ") +
                            kHeader + ")"
                      : std::string(translated("Failed to load file: ")) + path + " (" +
                            m_source.error() + ")";
        return false;
    }
    m_line = 1;
    return true;
}

PuzzleImport::Report PuzzleImport::run(const std::string& basePath, const Filter& filter,
                                       const ProgressFunction& progress)
{
    // A link is written through: the new base replaces the file it points at.
    const std::string cdbPath = basefile::resolveLinks(basePath);
    if (m_source.sameFile(cdbPath))
        throw Exception(false, translated("The game base would replace the puzzle file: %s"),
                        m_path.c_str());
    basefile::refuseWriteProtected(cdbPath, basePath);
    Report report;
    Progress state;
    state.bytesTotal = m_source.size();
    basefile::Temporary temporary(cdbPath);
    ChessBase base;
    try {
        base.open(temporary.path());
        base.game.close(false);
        sqlite3* db = base.m_db;
        // Built aside and renamed when complete: no journal is needed.
        auto execute = [&base](const char* sql) {
            if (!base.execute(sql))
                throw Exception(false, "%s", base.m_lastError.c_str());
        };
        execute("pragma journal_mode = off");
        execute("pragma synchronous = off");
        // The kept rows wait in a temporary database, in file order, until
        // they can be stored by rating.
        execute("attach database '' as stage");
        execute("pragma stage.journal_mode = off");
        // Fixed caches: the memory does not grow with the file.
        execute("pragma cache_size = -8192");
        execute("pragma stage.cache_size = -8192");
        execute("create table stage.puzzles (key INTEGER PRIMARY KEY, event TEXT, site TEXT, "
                "round TEXT, fen TEXT, result INTEGER, flags INTEGER, movetext TEXT)");
        execute("begin");
        // Made before the games: kept up as rows arrive, with no sort of
        // their own at the end.
        base.addPuzzleIndexes();

        SQLiteStatement stage(db, "insert into stage.puzzles values(?,?,?,?,?,?,?,?)");
        std::vector<std::string> columns;
        // Kept puzzles by rating: the first game of each band.
        std::map<int, int64_t> ratings;
        Puzzle puzzle;
        std::string message;
        const char* text = nullptr;
        size_t length = 0;
        auto malformed = [&](const std::string& what) {
            ++report.malformed;
            if (report.messages.size() < kReportedMessages)
                report.messages.push_back("line " + std::to_string(m_line) + ": " + what);
        };
        while (filter.limit < 0 || report.kept < filter.limit) {
            if (!m_source.readLine(&text, &length))
                break;
            ++m_line;
            if (length == 0)
                continue;
            ++report.read;
            if (progress && report.read % kProgressEvery == 0) {
                state.bytesDone = m_source.consumed();
                state.read = report.read;
                state.kept = report.kept;
                progress(state);
            }
            if (!splitRow(text, length, &columns)) {
                malformed("expected 10 columns, found " + std::to_string(columns.size()));
                continue;
            }
            int rating = 0;
            if (!readInt(columns[ColRating], &rating)) {
                malformed("rating is not a number: \"" + columns[ColRating] + "\"");
                continue;
            }
            if (!matches(filter, columns, rating))
                continue;
            if (!convert(columns, &puzzle, &message)) {
                malformed(message);
                continue;
            }
            // Rating first, then the order of the file.
            stage.bind(1, static_cast<int64_t>(puzzle.rating) * (int64_t(1) << 32) + report.kept);
            stage.bind(2, puzzle.event);
            stage.bind(3, puzzle.site);
            stage.bind(4, puzzle.round);
            stage.bind(5, puzzle.fen);
            stage.bind(6, static_cast<int>(puzzle.result));
            stage.bind(7, static_cast<int64_t>(puzzle.flags));
            stage.bind(8, puzzle.moveText);
            stage.step();
            stage.reset();
            ++report.kept;
            ++ratings[puzzle.rating];
        }
        if (!m_source.error().empty())
            throw Exception(false, translated("Failed to read %s: %s"), m_path.c_str(),
                            m_source.error().c_str());
        stage.finalize();

        // Ascending rating, ties in file order: the stage's key order, copied
        // by SQLite itself.
        struct Storing {
            sqlite3* db;
            const ProgressFunction* progress;
            Progress* state;
        } storing{db, &progress, &state};
        if (progress)
            sqlite3_progress_handler(
                db, 1 << 20,
                [](void* data) {
                    Storing* s = static_cast<Storing*>(data);
                    s->state->stored = sqlite3_last_insert_rowid(s->db);
                    (*s->progress)(*s->state);
                    return 0;
                },
                &storing);
        state.read = report.read;
        state.kept = report.kept;
        execute("insert into games(Parent,Event,Site,Date,Round,White,Black,FEN,Result,Flags,"
                "MoveText) select 0,event,site,'',round,'','',fen,result,flags,movetext "
                "from stage.puzzles order by key");
        sqlite3_progress_handler(db, 0, nullptr, nullptr);
        state.stored = report.kept;
        // A heading in front of the first game of each band.
        int64_t gameId = 1;
        std::string band;
        for (const auto& rating : ratings) {
            std::string text = bandText(rating.first);
            if (text != band) {
                base.insertHeader(0, static_cast<int>(gameId), text);
                band = std::move(text);
            }
            gameId += rating.second;
        }
        base.updateParam("gameid", report.kept > 0 ? "1" : "-1");
        execute("commit");
        execute("detach database stage");
        base.disconnect();
    } catch (const Exception& e) {
        base.disconnect();
        throw temporary.failure(e.what(), m_path, basePath);
    }
    // Written without a journal or syncs: made durable before it replaces anything.
    const int fd = ::open(temporary.path().c_str(), O_RDONLY);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
    temporary.replace(cdbPath);
    state.bytesDone = state.bytesTotal;
    state.read = report.read;
    state.kept = report.kept;
    if (progress)
        progress(state);
    if (g_pLog)
        g_pLog->write(2, Log::Info, "Imported puzzles of %s into %s: %lld kept, %lld read",
                      m_path.c_str(), cdbPath.c_str(), static_cast<long long>(report.kept),
                      static_cast<long long>(report.read));
    return report;
}
