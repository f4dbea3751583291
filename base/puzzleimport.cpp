#include "base/puzzleimport.h"

#include "base/chessbase.h"
#include "base/temporarybase.h"
#include "chess/board.h"
#include "chess/san.h"
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

const char* const PuzzleImport::kHeader =
    "PuzzleId,FEN,Moves,Rating,RatingDeviation,Popularity,NbPlays,Themes,GameUrl,OpeningTags";

namespace {

enum Column : size_t {
    ColId,
    ColFen,
    ColMoves,
    ColRating,
    ColDeviation,
    ColPopularity,
    ColPlays,
    ColThemes,
    ColUrl,
    ColOpenings,
    ColCount
};

// Rows between two progress calls.
constexpr int64_t kProgressEvery = 4096;
const char kDot[] = " \xC2\xB7 "; // " · "

bool read_int(const std::string& text, int* out)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long value = strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || value < INT_MIN || value > INT_MAX)
        return false;
    *out = static_cast<int>(value);
    return true;
}

// Whether word is one of the space-separated words of list.
bool has_word(const std::string& list, const std::string& word)
{
    for (size_t at = list.find(word); at != std::string::npos; at = list.find(word, at + 1)) {
        const size_t end = at + word.size();
        if ((at == 0 || list[at - 1] == ' ') && (end == list.size() || list[end] == ' '))
            return true;
    }
    return false;
}

// "hangingPiece" becomes "hanging piece", "mateIn2" "mate in 2".
std::string theme_words(const std::string& theme)
{
    std::string out;
    for (size_t i = 0; i < theme.size(); ++i) {
        const char c = theme[i];
        const bool digit = c >= '0' && c <= '9';
        const bool upper = c >= 'A' && c <= 'Z';
        if (i > 0 && (upper || (digit && !(theme[i - 1] >= '0' && theme[i - 1] <= '9'))))
            out += ' ';
        out += upper ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

// Themes that say how long, when or between whom, not what to look for.
bool is_background_theme(const std::string& theme)
{
    static const char* const names[] = {
        "short",  "long",           "veryLong", "oneMove", "opening",  "middlegame", "endgame",
        "master", "masterVsMaster", "superGM",  "mate",    "crushing", "advantage",  "equality"};
    for (const char* name : names) {
        if (theme == name)
            return true;
    }
    return false;
}

} // namespace

std::string PuzzleImport::eventText(bool whiteSolves, const std::string& themes, int rating)
{
    // The task: the mate's length, else the first motif among the themes, else
    // what is to be won.
    std::string task;
    std::string fallback;
    size_t start = 0;
    while (start < themes.size()) {
        size_t end = themes.find(' ', start);
        if (end == std::string::npos)
            end = themes.size();
        const std::string theme = themes.substr(start, end - start);
        start = end + 1;
        if (theme.empty())
            continue;
        if (theme.compare(0, 6, "mateIn") == 0) {
            task = theme_words(theme);
            break;
        }
        if (theme == "mate" || theme == "crushing" || theme == "advantage" || theme == "equality") {
            if (fallback.empty() || theme == "mate")
                fallback = theme;
        } else if (task.empty() && !is_background_theme(theme))
            task = theme_words(theme);
    }
    if (task.empty())
        task = fallback.empty() ? "find the best move" : fallback;
    return std::string(whiteSolves ? "White" : "Black") + " to move" + kDot + task + kDot +
           std::to_string(rating);
}

std::string PuzzleImport::bandText(int rating)
{
    // Bands start at multiples of 200, also below zero.
    const long low = (static_cast<long>(rating) - (rating < 0 ? 199 : 0)) / 200 * 200;
    return std::to_string(low) + "-" + std::to_string(low + 199);
}

bool PuzzleImport::splitRow(const char* text, size_t length, std::vector<std::string>* columns)
{
    columns->resize(ColCount);
    size_t index = 0;
    const char* end = text + length;
    const char* start = text;
    for (;;) {
        const char* comma = static_cast<const char*>(memchr(start, ',', end - start));
        const char* stop = comma ? comma : end;
        if (index < ColCount)
            (*columns)[index].assign(start, stop);
        ++index;
        if (!comma)
            break;
        start = comma + 1;
    }
    if (index != ColCount)
        columns->resize(index);
    return index == ColCount;
}

bool PuzzleImport::matches(const Filter& filter, const std::vector<std::string>& columns,
                           int rating)
{
    if (rating < filter.minRating || rating > filter.maxRating)
        return false;
    if (filter.minPopularity != INT_MIN) {
        int popularity = 0;
        if (!read_int(columns[ColPopularity], &popularity) || popularity < filter.minPopularity)
            return false;
    }
    for (const std::string& theme : filter.themes) {
        if (!has_word(columns[ColThemes], theme))
            return false;
    }
    return true;
}

bool PuzzleImport::convert(const std::vector<std::string>& columns, Puzzle* puzzle,
                           std::string* message)
{
    if (!read_int(columns[ColRating], &puzzle->rating)) {
        *message = "rating is not a number: \"" + columns[ColRating] + "\"";
        return false;
    }
    Board board;
    try {
        board.importFromFEN(columns[ColFen]);
    } catch (const Exception& e) {
        *message = std::string("FEN: ") + e.what();
        return false;
    }
    const Color solver = board.getColorToMove() == White ? Black : White;
    std::string& text = puzzle->moveText;
    text.clear();
    // The themes, in full, as a comment in front of the moves.
    if (!columns[ColThemes].empty()) {
        text += '{';
        for (char c : columns[ColThemes])
            text += c == '{' || c == '}' ? ' ' : c;
        text += "} ";
    }
    const std::string& moves = columns[ColMoves];
    size_t start = 0;
    int number = 0;
    bool mate = false;
    while (start < moves.size()) {
        size_t end = moves.find(' ', start);
        if (end == std::string::npos)
            end = moves.size();
        const std::string uci = moves.substr(start, end - start);
        start = end + 1;
        if (uci.empty())
            continue;
        ++number;
        Move move;
        const bool parsed = move.setFromString(uci) && move.fromX >= 0 && move.fromX < 8 &&
                            move.fromY >= 0 && move.fromY < 8 && move.toX >= 0 && move.toX < 8 &&
                            move.toY >= 0 && move.toY < 8;
        const Piece* piece = parsed ? board.getPiece(move.fromX, move.fromY) : nullptr;
        const int bits = piece && piece->color == board.getColorToMove()
                             ? board.validateMove(move, false)
                             : Piece::MoveInvalid;
        const bool promotes = (bits & Piece::MovePromotion) != 0;
        if ((bits & Piece::MoveInvalid) || promotes != (move.promotion != 0)) {
            *message = "move " + std::to_string(number) + " (" + uci + ") is not legal";
            if (promotes && move.promotion == 0)
                *message += ": the promotion piece is missing";
            return false;
        }
        if (number > 1)
            text += ' ';
        if (board.getColorToMove() == White)
            text += std::to_string(board.fullMoveNumber) + '.';
        char san[16];
        text.append(san, write_san(san, board, move, bits));
        mate = (bits & Piece::MoveCheckmate) != 0;
        if (mate)
            text += '#';
        else if (bits & Piece::MoveCheck)
            text += '+';
        if (number == 1)
            text += " $500";
        board.doMove(move);
    }
    if (number < 2) {
        *message = number == 0 ? "no moves" : "no move for the solver";
        return false;
    }
    puzzle->result =
        mate ? (solver == White ? ResultWhiteWins : ResultBlackWins) : ResultInProgress;
    text += ' ';
    text += Game::game_result_to_str(puzzle->result);
    puzzle->fen = columns[ColFen];
    puzzle->event = eventText(solver == White, columns[ColThemes], puzzle->rating);
    puzzle->site = columns[ColUrl];
    puzzle->round = columns[ColId];
    return true;
}

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

PuzzleImport::Report PuzzleImport::run(const std::string& cdbPath, const Filter& filter,
                                       const ProgressFunction& progress)
{
    if (m_source.sameFile(cdbPath))
        throw Exception(false, translated("The game base would replace the puzzle file: %s"),
                        m_path.c_str());
    Report report;
    Progress state;
    state.bytesTotal = m_source.size();
    TemporaryBase temporary(cdbPath);
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
                "round TEXT, fen TEXT, result INTEGER, movetext TEXT)");
        execute("begin");

        SQLiteStatement stage(db, "insert into stage.puzzles values(?,?,?,?,?,?,?)");
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
            if (!read_int(columns[ColRating], &rating)) {
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
            stage.bind(7, puzzle.moveText);
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
                "MoveText) select 0,event,site,'',round,'','',fen,result,2,movetext "
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
        base.addPuzzleIndexes();
        base.updateParam("gameid", report.kept > 0 ? "1" : "-1");
        execute("commit");
        execute("detach database stage");
        base.disconnect();
    } catch (const Exception& e) {
        base.disconnect();
        if (g_pLog)
            g_pLog->write(1, Log::Error, "Puzzle import of %s failed: %s", m_path.c_str(),
                          e.what());
        throw Exception(false, translated("Failed to import %s: %s"), m_path.c_str(), e.what());
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
