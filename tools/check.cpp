// inkmate-tool check BASE.cdb: opens every game of a game base, read-only.
#include "base/chessbase.h"
#include "core/exception.h"
#include "tools/command.h"

#include <cstdio>

namespace {

int run_check(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        fprintf(stderr, "usage: inkmate-tool check BASE.cdb\n");
        return 2;
    }
    try {
        ChessBase base;
        base.open(args[0], ChessBase::ReadOnly);
        int games = 0;
        int invalid = 0;
        for (int id = base.getNextStoredRowID(0); id > 0; id = base.getNextStoredRowID(id)) {
            base.openGame(id);
            ++games;
            if (base.game.id == id && base.game.errorText.empty())
                continue;
            ++invalid;
            printf("game %d: %s\n", id,
                   base.game.id == id ? base.game.errorText.c_str() : "cannot be read");
        }
        fprintf(stderr, "%d games checked, %d invalid\n", games, invalid);
        return invalid > 0 ? 1 : 0;
    } catch (const Exception& e) {
        fprintf(stderr, "inkmate-tool check: %s\n", e.what());
        return 2;
    }
}

ToolCommand command("check", "BASE.cdb",
                    "open every game of a game base (read-only) and list those that fail",
                    &run_check);

} // namespace
