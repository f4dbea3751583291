#include "core/exception.h"
#include "game/game.h"
#include "tools/command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/stat.h>

namespace {

// pgn [FILE|-]: reads every game (load, open, close with store) and writes it
// back as PGN on standard output; a game that fails is reported on standard
// error as "game N: MESSAGE" and the next game is read.
int run_pgn(const std::vector<std::string>& args)
{
    if (args.size() > 1) {
        fprintf(stderr, "usage: inkmate-tool pgn [FILE|-]\n");
        return 2;
    }
    std::ifstream file;
    std::istream* in = &std::cin;
    if (!args.empty() && args[0] != "-") {
        // A folder opens, but its reading fails as if it were an empty file.
        struct stat info;
        if (stat(args[0].c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            fprintf(stderr, "pgn: cannot open %s: %s\n", args[0].c_str(), strerror(EISDIR));
            return 2;
        }
        file.open(args[0], std::ios::in | std::ios::binary);
        if (!file) {
            fprintf(stderr, "pgn: cannot open %s: %s\n", args[0].c_str(), strerror(errno));
            return 2;
        }
        in = &file;
    }

    bool failed = false;
    std::ostringstream out;
    Game game;
    for (unsigned number = 1;; ++number) {
        try {
            if (!game.load(*in))
                break;
            game.open();
            game.close(true);
            out.str(std::string());
            game.writePGN(out);
            const std::string text = out.str();
            fwrite(text.data(), 1, text.size(), stdout);
        } catch (const Exception& e) {
            game.close(false);
            fflush(stdout);
            fprintf(stderr, "game %u: %s\n", number, e.what());
            failed = true;
        }
    }
    if (fflush(stdout) != 0 || ferror(stdout) != 0) {
        fprintf(stderr, "pgn: cannot write the output: %s\n", strerror(errno));
        return 2;
    }
    return failed ? 1 : 0;
}

ToolCommand pgn_command("pgn", "[FILE|-]",
                        "read every game of a PGN file and write it back in the program's layout",
                        &run_pgn);

} // namespace
