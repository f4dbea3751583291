// The puzzle import: the CSV file read row by row into a stage, then stored
// by rating into a new base.
#include "base/puzzleimport.h"

#include "base/basefile.h"
#include "base/chessbase.h"
#include "base/puzzlestage.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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
        base.beginImport();

        // The kept rows wait in file order until they can be stored by rating.
        PuzzleStage stage(basefile::folderOf(cdbPath));
        std::vector<std::string> columns;
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
            stage.add(puzzle);
            ++report.kept;
        }
        if (!m_source.error().empty())
            throw Exception(false, translated("Failed to read %s: %s"), m_path.c_str(),
                            m_source.error().c_str());

        // Ascending rating, ties in file order, with a heading in front of
        // the first game of each band.
        stage.finish();
        state.read = report.read;
        state.kept = report.kept;
        GamesTable::Appender games(base.games());
        GamesTable::NewRow row;
        row.hasFen = true;
        PuzzleStage::Row staged;
        bool banded = false;
        long band = 0;
        int64_t stored = 0;
        while (stage.next(&staged)) {
            row.event = staged.event;
            row.site = staged.site;
            row.round = staged.round;
            row.fen = staged.fen;
            row.result = staged.result;
            row.flags = staged.flags;
            row.moveText = staged.moveText;
            const int64_t gameId = games.add(row);
            if (!banded || bandStart(staged.rating) != band) {
                band = bandStart(staged.rating);
                banded = true;
                base.insertHeader(0, static_cast<int>(gameId), bandText(staged.rating));
            }
            ++stored;
            if (progress && stored % kProgressEvery == 0) {
                state.stored = stored;
                progress(state);
            }
        }
        games.finish();
        state.stored = report.kept;
        base.addPuzzleIndexes();
        base.finishImport();
    } catch (const Exception& e) {
        base.discard();
        throw temporary.failure(e.what(), m_path, basePath);
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
