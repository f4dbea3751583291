#include "engine/engineinterfaceuci.h"

#include "core/utils.h"
#include "engine/engineinterfacelistener.h"

#include <string>
#include <vector>

namespace {
// The move must open the line (an "info string" may mention "bestmove") and
// end at a blank or the line's end.
const char kMovePattern[] = "^[ \t]*bestmove[ \t]+([a-h][1-8][a-h][1-8][nNbBrRqQ]?)([ \t]|$)";
} // namespace

EngineInterfaceUCI::EngineInterfaceUCI(const EngineDescriptor& descriptor, int depth)
    : EngineInterfaceAbstract(descriptor, depth), m_state(WaitingUciOk), m_pending(false),
      m_movePattern(kMovePattern, 2)
{
    write("uci");
    startGreetingTimer();
}

EngineInterfaceUCI::~EngineInterfaceUCI() = default;

void EngineInterfaceUCI::playMove(const Board& position, const Move& last)
{
    if (m_state != Ready) {
        m_pendingPosition = position;
        m_pendingMove = last;
        m_pending = true;
        return;
    }
    sendRequest(position, last);
}

void EngineInterfaceUCI::sendRequest(const Board& position, const Move& last)
{
    std::string command = "position fen " + position.exportToFEN();
    if (!last.isNull())
        command += " moves " + last.getAsString();
    write(command.c_str());
    write(("go depth " + std::to_string(m_depth)).c_str());
}

void EngineInterfaceUCI::process()
{
    switch (m_state) {
    case WaitingUciOk:
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
            if (m_pending) {
                m_pending = false;
                sendRequest(m_pendingPosition, m_pendingMove);
            }
        }
        break;
    default: {
        std::vector<std::string> groups;
        if (!m_movePattern.search(m_line.c_str(), &groups) || groups.size() < 2)
            break;
        Move move;
        if (move.setFromString(groups[1]) && m_listener)
            m_listener->moveFromEngine(move);
        break;
    }
    }
}
