// PGN import: a PGN file becomes a new game base, heading pseudo-games
// becoming entries of the table of contents.
#include "base/chessbase.h"

#include "base/basefile.h"
#include "base/storedrow.h"

#include "chess/board.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"
#include "game/openingtable.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How many messages of skipped games the report keeps.
constexpr size_t kReportedMessages = 10;
// Games between two progress calls.
constexpr int kProgressEvery = 1024;

int to_int_checked(int64_t value)
{
    if (value < 1 || value > INT_MAX)
        throw Exception(false, translated("Row id out of range: %lld"),
                        static_cast<long long>(value));
    return static_cast<int>(value);
}

} // namespace

std::string ChessBase::ImportReport::text() const
{
    char line[200];
    snprintf(line, sizeof line, translated("Imported %d games and %d headings."), games, headings);
    std::string out = line;
    if (skipped > 0) {
        snprintf(line, sizeof line, translated("%d malformed games were skipped:"), skipped);
        out += "\n";
        out += line;
        for (const std::string& message : messages)
            out += "\n" + message;
        if (static_cast<size_t>(skipped) > messages.size())
            out += "\n...";
    }
    return out;
}

ChessBase::ImportReport ChessBase::importPgn(const std::string& basePath,
                                             const std::string& pgnPath,
                                             const ImportProgress& progress,
                                             const OpeningTable* openings)
{
    // A link is written through: the new base replaces the file it points at.
    const std::string cdbPath = basefile::resolveLinks(basePath);
    struct stat info;
    std::ifstream in;
    if (stat(pgnPath.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
        in.open(pgnPath, std::ios::binary);
    if (!in.is_open())
        throw Exception(false, translated("Failed to load PGN file: %s"), pgnPath.c_str());
    const uint64_t total = S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
    // The new base must not replace the PGN file it is read from.
    struct stat target;
    if (stat(cdbPath.c_str(), &target) == 0 && target.st_dev == info.st_dev &&
        target.st_ino == info.st_ino)
        throw Exception(false, translated("The game base would replace the PGN file: %s"),
                        pgnPath.c_str());

    basefile::refuseWriteProtected(cdbPath, basePath);

    ImportReport report;
    basefile::Temporary temporary(cdbPath);
    ChessBase base;
    try {
        base.open(temporary.path());
        base.game.close(false);
        base.beginImport();

        std::vector<Header> pending;
        std::vector<int> lastAtLevel;
        int number = 0;
        for (;;) {
            try {
                if (!base.game.load(in))
                    break;
            } catch (const Exception& e) {
                // The reader has skipped the rest of the game: go on with the next.
                ++number;
                ++report.skipped;
                if (report.messages.size() < kReportedMessages)
                    report.messages.push_back("game " + std::to_string(number) + ": " + e.what());
                continue;
            }
            ++number;
            // What opening a game refuses is not stored either.
            if (base.game.moveText.size() > StoredRow::kMaxMoveText) {
                ++report.skipped;
                if (report.messages.size() < kReportedMessages)
                    report.messages.push_back("game " + std::to_string(number) + ": " +
                                              translated("The move text is too long"));
                continue;
            }
            const auto heading = base.game.headers.find("Header");
            if (heading == base.game.headers.end()) {
                // Every real game of the file is stored, whatever its flags say.
                base.game.flags &= ~Game::FlagNotStored;
                base.game.parent = 0;
                if (openings)
                    openings->tag(base.game);
                const int gameId = to_int_checked(base.m_games.insert(base.game));
                ++report.games;
                for (Header& header : pending) {
                    header.gameId = gameId;
                    header.parentId = header.level > 0 ? lastAtLevel[header.level - 1] : 0;
                    lastAtLevel[header.level] = to_int_checked(
                        base.insertHeader(header.parentId, header.gameId, header.text));
                    ++report.headings;
                }
                pending.clear();
            } else {
                const std::string& value = heading->second;
                if (!value.empty() && value[0] >= '0' && value[0] <= '9') {
                    const size_t level = value[0] == '0' ? 0 : static_cast<size_t>(value[0] - '1');
                    // A heading may go at most one level deeper than any seen so far.
                    if (level <= lastAtLevel.size()) {
                        pending.push_back(Header{0, 0, static_cast<int>(level), value.substr(1)});
                        if (level == lastAtLevel.size())
                            lastAtLevel.push_back(0);
                    }
                }
            }
            if (progress && number % kProgressEvery == 0) {
                const std::streamoff at = in.tellg();
                progress(at > 0 ? static_cast<uint64_t>(at) : 0, total, report.games);
            }
        }
        if (in.bad())
            throw Exception(false, translated("Failed to read PGN file: %s"), pgnPath.c_str());

        base.finishImport();
    } catch (const Exception& e) {
        base.disconnect();
        throw temporary.failure(e.what(), pgnPath, basePath);
    }
    temporary.replace(cdbPath);
    if (progress)
        progress(total, total, report.games);
    if (g_pLog)
        g_pLog->write(2, Log::Info, "Imported %s into %s: %d games, %d headings, %d skipped",
                      pgnPath.c_str(), cdbPath.c_str(), report.games, report.headings,
                      report.skipped);
    return report;
}

void ChessBase::beginImport()
{
    // Built aside and renamed over the target when complete: a journal and
    // syncs would only slow it down.
    mustExecute("pragma journal_mode = off");
    mustExecute("pragma synchronous = off");
    // A fixed cache: the memory does not grow with the file.
    mustExecute("pragma cache_size = -8192");
    mustExecute("begin");
}

void ChessBase::finishImport()
{
    // The first game is opened once, written back in the program's layout
    // and remembered as the game to show, all inside the one transaction.
    Board classic;
    classic.create_classic_board();
    game.close(false);
    game.init(classic);
    openGame(getFirstRowID());
    closeGame();
    updateParam("gameid", std::to_string(game.id > 0 ? game.id : -1));
    mustExecute("commit");
    const std::string path = m_path;
    disconnect();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
}
