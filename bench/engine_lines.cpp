// Engine output handling: how fast the process layer cuts a flood of engine
// lines (the information lines of a deep search), with the traffic log off,
// filtered out (level 2) and written (level 3); and the round trip of one
// level-1 request to Stockfish when it is installed.
//   bench_engine_lines [LINES]
#include "chess/board.h"
#include "core/log.h"
#include "engine/enginebuilder.h"
#include "engine/enginedescriptor.h"
#include "engine/engineinterfacelistener.h"
#include "engine/engineprocess.h"
#include "engine/engineprotocol.h"
#include "tests/support/test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

const char kInfoLine[] = "info depth 20 seldepth 31 multipv 1 score cp 25 nodes 1234567 "
                         "nps 1000000 hashfull 40 tbhits 0 time 1234 pv e2e4 e7e5 g1f3 b8c6\n";

class LineCounter : public EngineProtocol {
public:
    LineCounter() : EngineProtocol("Fake") {}
    void start() override {}
    bool isReady() const override { return true; }
    void stopSearch() override {}
    bool answersStop(const std::string&) const override { return false; }
    long lines = 0;
    size_t bytes = 0;

protected:
    void handleLine(const std::string& line) override
    {
        greetingAnswered();
        ++lines;
        bytes += line.size() + 1;
    }
    void sendRequest(const Board&, const Move&) override {}
};

void flood(const char* label, long count)
{
    const EngineDescriptor fake("UCI|Fake|fake_engine.py --protocol raw",
                                std::string(INKMATE_SOURCE_DIR) + "/tests/engine/data");
    auto counter = std::make_unique<LineCounter>();
    const LineCounter& counted = *counter;
    EngineProcess engine(fake, std::move(counter), EngineSettings());
    std::string hex;
    for (const char* c = kInfoLine; *c; ++c) {
        char two[3];
        snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(*c));
        hex += two;
    }
    QElapsedTimer clock;
    clock.start();
    engine.writeLine("repeat " + hex + " " + std::to_string(count));
    if (!testsupport::waitUntil([&] { return counted.lines >= count; }, 120000)) {
        printf("%-28s timed out after %ld lines\n", label, counted.lines);
        return;
    }
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    printf("%-28s %8ld lines %7.1f MB  %6.3f s  %8.0f lines/s  %6.1f MB/s\n", label, counted.lines,
           static_cast<double>(counted.bytes) / 1e6, seconds, static_cast<double>(count) / seconds,
           static_cast<double>(counted.bytes) / 1e6 / seconds);
}

struct Receiver : EngineInterfaceListener {
    void moveFromEngine(const Move&) override { ++moves; }
    void engineResigned(const std::string&, const std::string&) override { stopped = true; }
    void engineHasNoMove(const std::string&) override { stopped = true; }
    void engineStopped(const std::string&) override { stopped = true; }
    int moves = 0;
    bool stopped = false;
};

void stockfish_round_trip()
{
    QString path = QStandardPaths::findExecutable(QStringLiteral("stockfish"));
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(QStringLiteral("stockfish"),
                                              {QStringLiteral("/usr/games")});
    if (path.isEmpty()) {
        printf("stockfish not installed: round trip skipped\n");
        return;
    }
    Receiver receiver;
    QElapsedTimer clock;
    clock.start();
    auto engine =
        EngineBuilder(EngineDescriptor("UCI|Stockfish|" + path.mid(1).toStdString(), std::string()),
                      EngineSettings())
            .start();
    engine->setListener(&receiver);
    Board board;
    board.create_classic_board();
    engine->playMove(board, Move());
    if (!testsupport::waitUntil([&] { return receiver.moves == 1 || receiver.stopped; }, 30000))
        return;
    printf("stockfish start and first level-1 move: %.1f ms\n",
           static_cast<double>(clock.nsecsElapsed()) / 1e6);
    const int rounds = 50;
    clock.restart();
    for (int i = 0; i < rounds; ++i) {
        engine->playMove(board, Move());
        if (!testsupport::waitUntil([&] { return receiver.moves == i + 2 || receiver.stopped; },
                                    30000))
            return;
    }
    printf("stockfish level-1 request round trip: %.2f ms (mean of %d)\n",
           static_cast<double>(clock.nsecsElapsed()) / 1e6 / rounds, rounds);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const long count = argc > 1 ? atol(argv[1]) : 200000;
    flood("no log", count);
    const std::string logPath = QDir::tempPath().toStdString() + "/bench_engine_lines.log";
    {
        Log log(logPath, 2, 0);
        g_pLog = &log;
        flood("log level 2 (traffic off)", count);
        g_pLog = nullptr;
    }
    {
        Log log(logPath, 3, 0);
        g_pLog = &log;
        flood("log level 3 (traffic on)", count);
        g_pLog = nullptr;
    }
    remove(logPath.c_str());
    stockfish_round_trip();
    return 0;
}
