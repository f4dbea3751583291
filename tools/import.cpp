// inkmate-tool import FILE.pgn [BASE.cdb]: builds a game base from a PGN file.
#include "base/chessbase.h"
#include "core/exception.h"
#include "game/openingtable.h"
#include "tools/command.h"

#include <cstdio>

namespace {

// The PGN path with the extension of its file name replaced by ".cdb".
std::string default_base(const std::string& pgn)
{
    const size_t slash = pgn.rfind('/');
    const size_t dot = pgn.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return pgn + ".cdb";
    return pgn.substr(0, dot) + ".cdb";
}

int run_import(const std::vector<std::string>& args)
{
    if (args.empty() || args.size() > 2) {
        fprintf(stderr, "usage: inkmate-tool import FILE.pgn [BASE.cdb]\n");
        return 2;
    }
    const std::string pgn = args[0];
    const std::string cdb = args.size() > 1 ? args[1] : default_base(pgn);
    ProgressPace pace;
    auto progress = [&](uint64_t done, uint64_t total, int games) {
        if (!pace.due())
            return;
        const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 0;
        fprintf(stderr, "\rimporting %s: %3d%%, %d games", pgn.c_str(), percent, games);
        fflush(stderr);
    };
    try {
        // Games without them get the ECO and Opening tags, from the table
        // of the folder run in (the staged folder) or the system's.
        OpeningTable openings;
        const std::string table = OpeningTable::locate(".");
        if (!table.empty())
            openings.loadFile(table);
        const ChessBase::ImportReport report = ChessBase::importPgn(cdb, pgn, progress, &openings);
        if (pace.shown())
            fprintf(stderr, "\n");
        printf("%s: %d games, %d headings\n", cdb.c_str(), report.games, report.headings);
        return report_skipped(report.skipped, "games", report.messages);
    } catch (const Exception& e) {
        if (pace.shown())
            fprintf(stderr, "\n");
        fprintf(stderr, "inkmate-tool import: %s\n", e.what());
        // Nothing was written: not the same as an import that skipped games.
        return 2;
    }
}

ToolCommand command("import", "FILE.pgn [BASE.cdb]",
                    "build a game base from a PGN file (default: FILE.cdb)", &run_import);

} // namespace
