#include "engine/engineinterfacexboard.h"

#include "core/trans.h"
#include "engine/enginelevel.h"

#include <string>
#include <vector>

namespace {
// "move e7e5" or the older "My move is: e7e5", alone on the line: replies such
// as "Illegal move: e2e4" name a move too and must not count as the answer.
const char kMovePattern[] = "^[ \t]*(move|My move is[ \t]*:?)[ \t]+"
                            "([a-h][1-8][a-h][1-8][nNbBrRqQ]?)[ \t]*$";
const char kFeature[] = "feature ";
} // namespace

EngineInterfaceXBoard::EngineInterfaceXBoard(const EngineDescriptor& descriptor, int depth)
    : EngineInterfaceAbstract(descriptor, depth), m_state(WaitingFeature),
      m_movePattern(kMovePattern, 2)
{
    write("xboard");
    write("protover 2");
    startGreetingTimer();
}

EngineInterfaceXBoard::~EngineInterfaceXBoard() = default;

void EngineInterfaceXBoard::playMove(const Board& position, const Move& last)
{
    requestMove(m_state == Ready, position, last);
}

void EngineInterfaceXBoard::setDepth(int depth)
{
    EngineInterfaceAbstract::setDepth(depth);
    write(("sd " + std::to_string(depth)).c_str());
}

void EngineInterfaceXBoard::setLevel(int level)
{
    EngineInterfaceAbstract::setLevel(level);
    const EngineLevel plan = EngineLevel::forXBoard(level);
    m_depth = plan.depth();
    for (const std::string& line : plan.xboardLines())
        write(line.c_str());
}

void EngineInterfaceXBoard::sendRequest(const Board& position, const Move& last)
{
    write("force");
    write(("setboard " + position.exportToFEN()).c_str());
    m_lastSent.clear();
    if (!last.isNull()) {
        m_lastSent = last.getAsString();
        write(m_lastSent.c_str());
    }
    write("go");
}

// "Error (unknown command): setboard", or "Illegal move" naming the last move:
// the engine does not hold the position it was given.
bool EngineInterfaceXBoard::isRefusal() const
{
    if (m_line.compare(0, 5, "Error") == 0)
        return m_line.find("setboard") != std::string::npos;
    if (m_line.compare(0, 12, "Illegal move") == 0)
        return !m_lastSent.empty() && m_line.find(m_lastSent) != std::string::npos;
    return false;
}

void EngineInterfaceXBoard::process()
{
    if (m_state == WaitingFeature) {
        if (m_line.compare(0, sizeof kFeature - 1, kFeature) == 0) {
            greetingAnswered();
            m_state = Ready;
            if (m_level >= 0)
                setLevel(m_level);
            else
                setDepth(m_depth);
            sendPendingRequest();
        }
        return;
    }
    if (isRefusal()) {
        // It would go on to search its own idea of the position.
        stopEngine("Engine " + m_name + " refused the position: " + m_line,
                   userMessage(translated("The engine %s cannot set up the position.")));
        return;
    }
    std::vector<std::string> groups;
    if (m_movePattern.search(m_line.c_str(), &groups) && groups.size() >= 3)
        reportMove(groups[2]);
}
