// The engines scripts/find-engines.sh stages, driven as the program drives
// them: per engine the time of a level-1 answer (lowest level, depth 1: the
// first request after the start, then the mean of later ones) and the time
// from stopping it, after it searched at the highest level for a
// while (500 ms unless given), until control returns, as at a new game or
// another opponent.
//   bench_engine_staged [MILLISECONDS_OF_SEARCH_BEFORE_THE_STOP]
#include "chess/board.h"
#include "engine/enginebuilder.h"
#include "engine/enginedescriptor.h"
#include "engine/engineinterfacelistener.h"
#include "engine/enginelevel.h"
#include "engine/engineprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Out of every opening book, with plenty to think about.
const char kMiddlegame[] = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9";
const char kEndgame[] = "8/5pk1/6p1/3R4/1r5P/6P1/5PK1/8 w - - 0 40";

struct Receiver : EngineInterfaceListener {
    void moveFromEngine(const Move&) override { ++answers; }
    void engineResigned(const std::string&, const std::string&) override { ++answers; }
    void engineHasNoMove(const std::string&) override { ++answers; }
    void engineStopped(const std::string& text) override { stopped = text; }
    int answers = 0;
    std::string stopped;
};

bool wait_until(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

double ms(const QElapsedTimer& clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

std::vector<std::string> script_lines(const QStringList& arguments)
{
    QProcess script;
    script.start(QStringLiteral("/bin/sh"),
                 QStringList{QStringLiteral(INKMATE_SOURCE_DIR "/scripts/find-engines.sh")} +
                     arguments);
    script.waitForFinished(30000);
    std::vector<std::string> lines;
    for (const QByteArray& line : script.readAllStandardOutput().split('\n'))
        if (!line.isEmpty())
            lines.push_back(line.toStdString());
    return lines;
}

Board position_of(const char* fen)
{
    Board board;
    board.importFromFEN(fen);
    return board;
}

std::unique_ptr<EngineProcess> start(const EngineDescriptor& d, int level, Receiver* receiver)
{
    EngineSettings settings;
    settings.level = level;
    std::unique_ptr<EngineProcess> engine = EngineBuilder(d, settings).start();
    engine->setListener(receiver);
    return engine;
}

void measure(const EngineDescriptor& d, int searchMs)
{
    Receiver receiver;
    QElapsedTimer clock;
    clock.start();
    auto engine = start(d, 0, &receiver);
    engine->playMove(position_of(kMiddlegame), Move());
    if (!wait_until([&] { return receiver.answers == 1 || !receiver.stopped.empty(); }, 60000) ||
        !receiver.stopped.empty()) {
        printf("%-10s no level-1 answer: %s\n", d.getName().c_str(), receiver.stopped.c_str());
        return;
    }
    const double first = ms(clock);
    const int rounds = 5;
    clock.restart();
    for (int i = 0; i < rounds; ++i) {
        engine->playMove(position_of(i % 2 ? kEndgame : kMiddlegame), Move());
        if (!wait_until([&] { return receiver.answers == i + 2; }, 60000))
            break;
    }
    const double later = ms(clock) / rounds;

    // The highest level reaches the running engine at once, as in the program.
    engine->setLevel(EngineLevel::kCount - 1);
    const int before = receiver.answers;
    engine->playMove(position_of(kMiddlegame), Move());
    wait_until([] { return false; }, searchMs);
    const bool searching = engine->isSearching() && receiver.answers == before;
    clock.restart();
    engine.reset();
    printf("%-10s level 1: first answer %7.1f ms, later %7.1f ms | stop at level %d %s: %7.1f ms\n",
           d.getName().c_str(), first, later, EngineLevel::kCount,
           searching ? "while searching" : "(search over)", ms(clock));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int searchMs = argc > 1 ? atoi(argv[1]) : 500;
    QTemporaryDir root;
    QDir().mkpath(root.path() + QStringLiteral("/engines"));
    for (const std::string& line : script_lines({QStringLiteral("--links")})) {
        const size_t blank = line.find(' ');
        QFile::link(QString::fromStdString(line.substr(blank + 1)),
                    root.path() + QStringLiteral("/engines/") +
                        QString::fromStdString(line.substr(0, blank)));
    }
    const std::vector<std::string> entries = script_lines({});
    if (entries.empty())
        printf("find-engines.sh stages no engine on this machine\n");
    for (const std::string& entry : entries)
        measure(EngineDescriptor(entry, root.path().toStdString()), searchMs);
    return 0;
}
