// inkmate-tool export BASE.cdb [FILE.pgn|-]: writes a game base as PGN.
#include "base/baseexporter.h"
#include "base/chessbase.h"
#include "core/exception.h"
#include "tools/command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool same_file(const std::string& a, const std::string& b)
{
    struct stat first;
    struct stat second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

int run_export(const std::vector<std::string>& args)
{
    if (args.empty() || args.size() > 2) {
        fprintf(stderr, "usage: inkmate-tool export BASE.cdb [FILE.pgn|-]\n");
        return 2;
    }
    const std::string target = args.size() > 1 ? args[1] : "-";
    // A file is written under a temporary name and renamed when complete.
    const std::string partial = target + ".part";
    // Neither the file nor its temporary may be the base being read.
    if (target != "-" && (same_file(target, args[0]) || same_file(partial, args[0]))) {
        fprintf(stderr, "inkmate-tool export: The PGN file would replace the game base: %s\n",
                args[0].c_str());
        return 1;
    }
    try {
        ChessBase base;
        base.open(args[0], ChessBase::ReadOnly);
        BaseExporter::Report report;
        if (target == "-") {
            std::ios::sync_with_stdio(false);
            report = BaseExporter::write(base, std::cout);
        } else {
            std::ofstream out(partial, std::ios::binary | std::ios::trunc);
            if (!out)
                throw Exception(false, "Cannot write %s: %s", target.c_str(), strerror(errno));
            try {
                report = BaseExporter::write(base, out);
                errno = 0;
                out.close();
                if (!out)
                    throw Exception(false, "%s", errno != 0 ? strerror(errno) : "write error");
            } catch (const Exception& e) {
                throw Exception(false, "Cannot write %s: %s", target.c_str(), e.what());
            }
            if (rename(partial.c_str(), target.c_str()) != 0)
                throw Exception(false, "Cannot write %s: %s", target.c_str(), strerror(errno));
        }
        for (const std::string& warning : report.warnings)
            fprintf(stderr, "%s\n", warning.c_str());
        fprintf(stderr, "%d games, %d headings\n", report.games, report.headings);
        return report.warnings.empty() ? 0 : 1;
    } catch (const Exception& e) {
        if (target != "-")
            unlink(partial.c_str());
        fprintf(stderr, "inkmate-tool export: %s\n", e.what());
        return 1;
    }
}

ToolCommand command("export", "BASE.cdb [FILE.pgn|-]",
                    "write every game of a game base as PGN (default: standard output)",
                    &run_export);

} // namespace
