// The puzzle import: the CSV file read row by row into a stage, then stored
// by rating into a new base.
#include "base/puzzleimport.h"
#include "base/puzzleids.h"

#include "base/basefile.h"
#include "base/chessbase.h"
#include "base/puzzleinfowriter.h"
#include "base/puzzlestage.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"

#include <algorithm>
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
    const bool read = m_source.readLine(&text, &length);
    // A byte-order mark some editors put in front is no part of the header.
    if (read && length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
        text += 3;
        length -= 3;
    }
    if (!read || std::string(text, length) != kHeader) {
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
    // The filter's theme names not yet met in any row.
    std::vector<std::string> absent = filter.excludedThemes;
    for (const std::vector<std::string>& group : filter.themeGroups)
        absent.insert(absent.end(), group.begin(), group.end());
    try {
        base.open(temporary.path());
        base.beginImport();
        PuzzleInfoWriter tables(base.games().database());

        // The kept rows wait in file order until they can be stored by rating.
        PuzzleStage stage(basefile::folderOf(cdbPath));
        PuzzleIds ids(basefile::folderOf(cdbPath));
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
            if (m_source.overlong()) {
                ++report.read;
                malformed("longer than 1 MiB");
                continue;
            }
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
            for (size_t i = 0; i < absent.size();) {
                if (hasTheme(columns[ColThemes], absent[i]))
                    absent.erase(absent.begin() + static_cast<std::ptrdiff_t>(i));
                else
                    ++i;
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
            ids.add(columns[ColId], m_line);
            puzzle.line = m_line;
            tables.themeBits(puzzle.themes, &puzzle.themeLo, &puzzle.themeHi);
            stage.add(puzzle);
            ++report.kept;
        }
        if (!m_source.error().empty())
            throw Exception(false, translated("Failed to read %s: %s"), m_path.c_str(),
                            m_source.error().c_str());
        // Only the first row of each puzzle id is stored.
        const std::vector<std::pair<int64_t, int64_t>> repeats = ids.repeats();
        report.duplicates = static_cast<int64_t>(repeats.size());
        report.kept -= report.duplicates;
        std::vector<std::string> repeatIds(std::min(repeats.size(), kReportedMessages));
        std::sort(absent.begin(), absent.end());
        absent.erase(std::unique(absent.begin(), absent.end()), absent.end());
        report.absentThemes = absent;
        if (report.kept == 0) {
            // An empty base would only replace a good one.
            base.discard();
            return report;
        }

        // Ascending rating, ties in file order, with a heading in front of
        // the first game of each band.
        stage.finish();
        tables.beginStoring();
        state.read = report.read;
        state.kept = report.kept;
        GamesTable::Appender games(base.games());
        GamesTable::NewRow row;
        row.hasFen = true;
        PuzzleStage::Row staged;
        PuzzleInfoWriter::Info info;
        bool banded = false;
        long band = 0;
        int64_t stored = 0;
        while (stage.next(&staged)) {
            const auto repeat = std::lower_bound(repeats.begin(), repeats.end(),
                                                 std::make_pair(staged.line, int64_t(0)));
            if (repeat != repeats.end() && repeat->first == staged.line) {
                const size_t index = static_cast<size_t>(repeat - repeats.begin());
                if (index < repeatIds.size())
                    repeatIds[index] = staged.round;
                continue;
            }
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
            info.id = staged.round;
            info.rating = staged.rating;
            info.deviation = staged.deviation;
            info.popularity = staged.popularity;
            info.plays = staged.plays;
            info.themes = staged.themes;
            info.themeLo = staged.themeLo;
            info.themeHi = staged.themeHi;
            info.opening = staged.opening;
            tables.add(gameId, info);
            ++stored;
            if (progress && stored % kProgressEvery == 0) {
                state.stored = stored;
                progress(state);
            }
        }
        games.finish();
        tables.finish();
        for (size_t i = 0; i < repeatIds.size(); ++i)
            report.duplicateMessages.push_back(
                "line " + std::to_string(repeats[i].first) + ": puzzle " + repeatIds[i] +
                " came before on line " + std::to_string(repeats[i].second));
        state.stored = report.kept;
        base.addPuzzleIndexes();
        base.finishImport();
    } catch (const Exception& e) {
        base.discard();
        throw temporary.failure(e.what(), m_path, basePath);
    }
    temporary.replace(cdbPath);
    report.written = true;
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
