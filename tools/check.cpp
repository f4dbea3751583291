// inkmate-tool check BASE.cdb: opens every game of a game base, read-only.
#include "base/chessbase.h"
#include "core/exception.h"
#include "tools/command.h"

#include <cstdint>
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
        // Every row on its own, whatever its id, as export writes them.
        const std::vector<int64_t> ids = base.rowIds();
        int games = 0;
        int invalid = 0;
        for (int64_t id : ids) {
            ++games;
            const std::string problem = base.verifyGame(id);
            if (problem.empty())
                continue;
            ++invalid;
            printf("game %lld: %s\n", static_cast<long long>(id), problem.c_str());
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
