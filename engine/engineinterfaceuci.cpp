#include "engine/engineinterfaceuci.h"

#include "core/utils.h"
#include "engine/enginelevel.h"

#include <string>
#include <vector>

namespace {
// The move must open the line (an "info string" may mention "bestmove") and
// end at a blank or the line's end.
const char kMovePattern[] = "^[ \t]*bestmove[ \t]+([a-h][1-8][a-h][1-8][nNbBrRqQ]?)([ \t]|$)";
// The answer of an engine that finds no legal move.
const char kNoMovePattern[] = "^[ \t]*bestmove[ \t]+(\\(none\\)|0000)([ \t]|$)";
} // namespace

EngineInterfaceUCI::EngineInterfaceUCI(const EngineDescriptor& descriptor, int depth)
    : EngineInterfaceAbstract(descriptor, depth), m_state(WaitingUciOk),
      m_movePattern(kMovePattern, 2), m_noMovePattern(kNoMovePattern, 2)
{
    write("uci");
    startGreetingTimer();
}

EngineInterfaceUCI::~EngineInterfaceUCI()
{
    // Its answer first: an engine may not take "quit" at once after "stop".
    if (isSearching()) {
        write("stop");
        awaitStopAnswer("bestmove");
    }
}

void EngineInterfaceUCI::playMove(const Board& position, const Move& last)
{
    requestMove(m_state == Ready, position, last);
}

void EngineInterfaceUCI::sendRequest(const Board& position, const Move& last)
{
    std::string go = "go depth " + std::to_string(m_depth);
    if (m_level >= 0) {
        const EngineLevel level = EngineLevel::forUci(m_level, m_options);
        const std::vector<std::string> options = level.uciOptionLines();
        if (options != m_sentOptions) {
            for (const std::string& line : options)
                write(line.c_str());
            m_sentOptions = options;
        }
        go = level.uciGo();
    }
    std::string command = "position fen " + position.exportToFEN();
    if (!last.isNull())
        command += " moves " + last.getAsString();
    write(command.c_str());
    write(go.c_str());
}

void EngineInterfaceUCI::process()
{
    switch (m_state) {
    case WaitingUciOk:
        if (m_options.parseLine(m_line))
            break;
        if (vacuum(m_line) == "uciok") {
            m_state = WaitingReadyOk;
            write("isready");
            startGreetingTimer();
        }
        break;
    case WaitingReadyOk:
        if (vacuum(m_line) == "readyok") {
            greetingAnswered();
            m_state = Ready;
            write("ucinewgame");
            sendPendingRequest();
        }
        break;
    default: {
        std::vector<std::string> groups;
        if (m_movePattern.search(m_line.c_str(), &groups) && groups.size() >= 2)
            reportMove(groups[1]);
        else if (m_noMovePattern.search(m_line.c_str(), &groups))
            reportNoMove();
        break;
    }
    }
}
