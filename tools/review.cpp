#include "core/exception.h"
#include "engine/engineanalysis.h"
#include "engine/enginedescriptor.h"
#include "engine/enginefactory.h"
#include "engine/enginelevel.h"
#include "engine/enginesettings.h"
#include "game/game.h"
#include "game/gamereview.h"
#include "game/openingtable.h"
#include "tools/command.h"

#include <QEventLoop>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

namespace {

const char kUsage[] = "usage: inkmate-tool review IN.pgn OUT.pgn --config FILE [--engine I] "
                      "[--movetime MS | --depth D] [--log FILE]\n";

// The review setting unless told otherwise: a 40-move game in well under a
// minute on a desktop.
constexpr long kDefaultMoveTimeMs = 300;
// Time a position may take beyond its search before the engine counts as lost.
constexpr int kGraceMs = 30000;

// Evaluates every pending position of review; false, with message, when the
// engine failed.
bool evaluate(EngineAnalysis& analysis, GameReview& review, int limitMs, ProgressPace& pace,
              unsigned gameNumber, std::string* message)
{
    for (size_t index = review.nextPending(); index < review.positionCount();
         index = review.nextPending()) {
        Board position = review.position(index > 0 ? index - 1 : 0);
        const Move last = index > 0 ? review.move(index) : Move();
        QEventLoop loop;
        bool done = false;
        const auto answered = QObject::connect(&analysis, &EngineAnalysis::analysed,
                                               [&](const EngineInfo& info, const Moves& line) {
                                                   Evaluation evaluation;
                                                   evaluation.mate = info.mate;
                                                   evaluation.score = info.score;
                                                   evaluation.line = line;
                                                   review.setEvaluation(index, evaluation);
                                                   done = true;
                                                   loop.quit();
                                               });
        const auto failed =
            QObject::connect(&analysis, &EngineAnalysis::failed, [&](const QString& text) {
                *message = text.toStdString();
                loop.quit();
            });
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        analysis.analyse(position, last);
        loop.exec();
        QObject::disconnect(answered);
        QObject::disconnect(failed);
        if (!done) {
            if (message->empty())
                *message = "no answer from " + analysis.engineName() + " in time";
            return false;
        }
        if (pace.due())
            fprintf(stderr, "\rgame %u: %zu/%zu positions", gameNumber, index + 1,
                    review.positionCount());
    }
    return true;
}

int run_review(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    std::string config, logFile;
    long index = -1, moveTime = -1, depth = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option.compare(0, 2, "--") != 0) {
            files.push_back(option);
            continue;
        }
        if (i + 1 >= args.size()) {
            fprintf(stderr, "review: %s needs a value\n%s", option.c_str(), kUsage);
            return 2;
        }
        const std::string& value = args[++i];
        bool ok = true;
        if (option == "--config")
            config = value;
        else if (option == "--engine")
            ok = read_number(value, 0, EngineFactory::kMaxEntries - 1, &index);
        else if (option == "--movetime")
            ok = read_number(value, 1, 3600000, &moveTime);
        else if (option == "--depth")
            ok = read_number(value, 1, 99, &depth);
        else if (option == "--log")
            logFile = value;
        else {
            fprintf(stderr, "review: unknown option '%s'\n%s", option.c_str(), kUsage);
            return 2;
        }
        if (!ok) {
            fprintf(stderr, "review: bad value '%s' for %s\n%s", value.c_str(), option.c_str(),
                    kUsage);
            return 2;
        }
    }
    if (files.size() != 2 || config.empty() || (moveTime > 0 && depth > 0)) {
        fprintf(stderr,
                "review: IN, OUT and --config are required, --movetime and --depth exclude each "
                "other\n%s",
                kUsage);
        return 2;
    }
    std::ifstream in(files[0], std::ios::in | std::ios::binary);
    if (!in) {
        fprintf(stderr, "review: cannot open %s: %s\n", files[0].c_str(), strerror(errno));
        return 2;
    }
    std::ofstream out(files[1], std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out) {
        fprintf(stderr, "review: cannot write %s: %s\n", files[1].c_str(), strerror(errno));
        return 2;
    }

    std::unique_ptr<ToolLog> log;
    std::unique_ptr<ToolCatalogue> catalogue;
    EngineAnalysis analysis;
    EngineSettings settings;
    try {
        log = std::make_unique<ToolLog>(logFile);
        catalogue = std::make_unique<ToolCatalogue>(config);
        if (index < 0)
            index = catalogue->hintEngine();
        const EngineFactory& engines = EngineFactory::instance();
        if (index < 0 || static_cast<unsigned long>(index) >= engines.getEngineCount()) {
            fprintf(stderr, "review: no UCI engine to review with in '%s'\n", config.c_str());
            return 1;
        }
        const EngineDescriptor& entry = engines.getDescriptor(static_cast<unsigned>(index));
        if (entry.getKind() != EngineDescriptor::UCI) {
            fprintf(stderr, "review: entry '%s' is no UCI engine\n", entry.getName().c_str());
            return 1;
        }
        // Full strength; a fixed depth searches within the top level's bound.
        settings = catalogue->settings(EngineLevel::kCount - 1);
        if (depth > 0)
            settings.depth = static_cast<int>(depth);
        else
            settings.moveTimeMs = static_cast<int>(moveTime > 0 ? moveTime : kDefaultMoveTimeMs);
        analysis.start(static_cast<unsigned>(index), settings);
    } catch (const Exception& e) {
        fprintf(stderr, "review: %s\n", e.what());
        return 1;
    }
    // Games without them get the ECO and Opening tags.
    OpeningTable openings;
    const std::string folder = config.find('/') == std::string::npos
                                   ? std::string(".")
                                   : config.substr(0, config.rfind('/'));
    const std::string table = OpeningTable::locate(folder);
    if (!table.empty())
        openings.loadFile(table);

    const int limitMs = (settings.moveTimeMs > 0
                             ? settings.moveTimeMs
                             : EngineLevel::forXBoard(EngineLevel::kCount - 1).seconds() * 1000) +
                        kGraceMs;

    ProgressPace pace;
    Game game;
    int status = 0;
    for (unsigned number = 1;; ++number) {
        std::unique_ptr<GameReview> review;
        try {
            if (!game.load(in))
                break;
            review = std::make_unique<GameReview>(game);
        } catch (const Exception& e) {
            fprintf(stderr, "%sgame %u: %s\n", pace.shown() ? "\n" : "", number, e.what());
            status = 1;
            continue;
        }
        std::string message;
        try {
            if (!analysis.isRunning())
                analysis.start(static_cast<unsigned>(index), settings);
        } catch (const Exception& e) {
            message = e.what();
        }
        if (!message.empty() || !evaluate(analysis, *review, limitMs, pace, number, &message)) {
            fprintf(stderr, "%sgame %u: %s; the game is written as far as it was reviewed\n",
                    pace.shown() ? "\n" : "", number, message.c_str());
            analysis.stop();
            status = 1;
        }
        Game annotated = review->annotated(analysis.engineName());
        openings.tag(annotated);
        annotated.writePGN(out);
    }
    if (pace.shown())
        fprintf(stderr, "\n");
    out.flush();
    if (!out) {
        fprintf(stderr, "review: cannot write %s\n", files[1].c_str());
        return 1;
    }
    return status;
}

ToolCommand g_reviewCommand("review",
                            "IN.pgn OUT.pgn --config FILE [--engine I] [--movetime MS | --depth "
                            "D] [--log FILE]",
                            "evaluate every position of each game with an engine (the hint "
                            "engine unless told) and mark inaccuracies, mistakes and blunders",
                            &run_review);

} // namespace
