#include "chess/board.h"
#include "chess/piece.h"
#include "core/exception.h"
#include "core/log.h"
#include "engine/engineanswer.h"
#include "engine/enginedescriptor.h"
#include "engine/enginefactory.h"
#include "engine/enginelevel.h"
#include "engine/engineprocess.h"
#include "engine/enginesettings.h"
#include "tools/answerwait.h"
#include "tools/command.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

const char kUsage[] = "usage: inkmate-tool engine --config FILE --engine INDEX (--level L | "
                      "--depth N) [--fen FEN] [--last MOVE] [--timeout S] [--log FILE]\n";

int fail(const char* format, const std::string& a = "", const std::string& b = "")
{
    fprintf(stderr, "engine: ");
    fprintf(stderr, format, a.c_str(), b.c_str());
    fprintf(stderr, "\n");
    return 1;
}

int run_engine(const std::vector<std::string>& args)
{
    std::string config, fen, last, logFile;
    long index = -1, level = -1, depth = -1, timeout = 60;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (i + 1 >= args.size()) {
            fprintf(stderr, "engine: %s needs a value\n%s", option.c_str(), kUsage);
            return 2;
        }
        const std::string& value = args[++i];
        bool ok = true;
        if (option == "--config")
            config = value;
        else if (option == "--engine")
            ok = read_number(value, 0, EngineFactory::kMaxEntries - 1, &index);
        else if (option == "--level")
            ok = read_number(value, 0, EngineLevel::kCount - 1, &level);
        else if (option == "--depth")
            ok = read_number(value, 1, 99, &depth);
        else if (option == "--timeout")
            ok = read_number(value, 1, 86400, &timeout);
        else if (option == "--fen")
            fen = value;
        else if (option == "--last")
            last = value;
        else if (option == "--log")
            logFile = value;
        else {
            fprintf(stderr, "engine: unknown option '%s'\n%s", option.c_str(), kUsage);
            return 2;
        }
        if (!ok) {
            fprintf(stderr, "engine: bad value '%s' for %s\n%s", value.c_str(), option.c_str(),
                    kUsage);
            return 2;
        }
    }
    if (config.empty() || index < 0 || (level < 0) == (depth < 0)) {
        fprintf(stderr,
                "engine: --config, --engine and one of --level and --depth are required\n%s",
                kUsage);
        return 2;
    }

    // The position: the start or the FEN, then the last move when given.
    Board position;
    Move lastMove;
    try {
        if (fen.empty())
            position.create_classic_board();
        else
            position.importFromFEN(fen);
    } catch (const Exception& e) {
        fprintf(stderr, "engine: %s\n", e.what());
        return 2;
    }
    Board asked = position;
    if (!last.empty()) {
        if (!lastMove.setFromString(last) || !legal_engine_answer(position, lastMove)) {
            fprintf(stderr, "engine: the last move '%s' is not legal in the position\n",
                    last.c_str());
            return 2;
        }
        asked.doMove(lastMove);
    }
    if (asked.generateMoves(asked.getColorToMove(), nullptr) == 0) {
        fprintf(stderr, "engine: the side to move has no legal move\n");
        return 2;
    }

    std::unique_ptr<ToolLog> log;
    try {
        log = std::make_unique<ToolLog>(logFile);
    } catch (const Exception& e) {
        return fail("%s", e.what());
    }

    std::unique_ptr<ToolCatalogue> toolCatalogue;
    std::unique_ptr<EngineProcess> engine;
    try {
        toolCatalogue = std::make_unique<ToolCatalogue>(config);
        EngineFactory& catalogue = EngineFactory::instance();
        if (static_cast<unsigned long>(index) >= catalogue.getEngineCount()) {
            char text[64];
            snprintf(text, sizeof text, "%02ld", index);
            return fail("no engine_%s entry in '%s'", text, config);
        }
        const EngineDescriptor& entry = catalogue.getDescriptor(static_cast<unsigned>(index));
        if (entry.getKind() == EngineDescriptor::Human)
            return fail("entry '%s' is the human player, not an engine", entry.getName());
        // The program's engine turn: the level's options, depth and time bound;
        // a fixed depth searches at full strength within the top level's bound.
        EngineSettings settings =
            toolCatalogue->settings(static_cast<int>(level >= 0 ? level : EngineLevel::kCount - 1));
        if (depth > 0)
            settings.depth = static_cast<int>(depth);
        engine.reset(catalogue.createEngine(static_cast<unsigned>(index), settings));
    } catch (const Exception& e) {
        return fail("%s", e.what());
    }

    AnswerWait answer;
    const AnswerWait::Outcome outcome =
        answer.wait(*engine, position, lastMove, static_cast<int>(timeout * 1000));
    const std::string name = engine->getName();
    engine.reset();
    toolCatalogue.reset();

    if (outcome == AnswerWait::TimedOut) {
        char text[32];
        snprintf(text, sizeof text, "%ld", timeout);
        return fail("no move from %s within %s s", name, text);
    }
    if (outcome == AnswerWait::Stopped)
        return fail("%s", answer.m_message);
    if (!legal_engine_answer(asked, answer.m_move))
        return fail("Engine error: invalid move (%s)", answer.m_move.getAsString());
    printf("%s\n", answer.m_move.getAsString().c_str());
    return 0;
}

ToolCommand g_engineCommand("engine",
                            "--config FILE --engine INDEX (--level L | --depth N) [--fen FEN] "
                            "[--last MOVE] [--timeout S] [--log FILE]",
                            "ask engine INDEX of a configuration for its move, as the program "
                            "does (engine paths relative to the folder of FILE)",
                            &run_engine);

} // namespace
