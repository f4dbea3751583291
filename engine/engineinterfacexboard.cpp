#include "engine/engineinterfacexboard.h"

#include "core/log.h"
#include "core/trans.h"
#include "core/utils.h"
#include "engine/enginelevel.h"

#include <string>
#include <vector>

namespace {
// "move e7e5" or the older "My move is: e7e5", alone on the line: replies such
// as "Illegal move: e2e4" name a move too and must not count as the answer.
// Castling may come as "O-O" or "0-0-0" (Phalanx).
const char kMovePattern[] = "^[ \t]*(move|My move is[ \t]*:?)[ \t]+"
                            "([a-h][1-8][a-h][1-8][nNbBrRqQ]?|[O0]-[O0](-[O0])?)[+#]?[ \t]*$";
const char kFeature[] = "feature ";
// A result instead of a move: "0-1 {White resigns}", "1/2-1/2 {Draw by repetition}".
const char kResultPattern[] = "^[ \t]*(1-0|0-1|1/2-1/2)([ \t]|$)";
// How long the features are awaited before the engine is taken as ready, as the
// protocol says.
const int kFeatureWaitMs = 2000;

// The king's move of a castling written "O-O" or "0-0-0"; other moves as they are.
std::string coordinates(const std::string& move, Color side)
{
    if (move[0] != 'O' && move[0] != '0')
        return move;
    const char rank = side == White ? '1' : '8';
    return std::string("e") + rank + (move.size() > 3 ? 'c' : 'g') + rank;
}
} // namespace

EngineInterfaceXBoard::EngineInterfaceXBoard(const EngineDescriptor& descriptor, int depth)
    : EngineInterfaceAbstract(descriptor, depth), m_state(WaitingFeature),
      m_movePattern(kMovePattern, 2), m_resultPattern(kResultPattern, 2)
{
    write("xboard");
    write("protover 2");
    startGreetingTimer();
    m_featureTimer.setSingleShot(true);
    connect(&m_featureTimer, &QTimer::timeout, this, &EngineInterfaceXBoard::onFeatureWaitOver);
    m_featureTimer.start(kFeatureWaitMs);
}

EngineInterfaceXBoard::~EngineInterfaceXBoard()
{
    // "?" ends a search at once; in force mode the engine does not start another.
    if (isSearching()) {
        write("?");
        awaitStopAnswer("move");
        write("force");
    }
}

void EngineInterfaceXBoard::playMove(const Board& position, const Move& last)
{
    requestMove(m_state == Ready, position, last);
}

void EngineInterfaceXBoard::setDepth(int depth)
{
    EngineInterfaceAbstract::setDepth(depth);
    write((m_depthCommand + " " + std::to_string(depth)).c_str());
}

void EngineInterfaceXBoard::setLevel(int level)
{
    EngineInterfaceAbstract::setLevel(level);
    const EngineLevel plan = EngineLevel::forXBoard(level);
    m_depth = plan.depth();
    for (const std::string& line : plan.xboardLines(m_depthCommand))
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

// "Illegal move: sd 1", "Invalid move: sd 1" or "Error (unknown command): sd":
// the engine takes no "sd"; such engines know "depth" instead.
bool EngineInterfaceXBoard::isDepthRefusal() const
{
    if (m_depthCommand != "sd" ||
        (m_line.compare(0, 5, "Error") != 0 && m_line.compare(0, 12, "Illegal move") != 0 &&
         m_line.compare(0, 12, "Invalid move") != 0))
        return false;
    const size_t colon = m_line.find(':');
    return colon != std::string::npos && vacuum(m_line.substr(colon + 1)).compare(0, 2, "sd") == 0;
}

void EngineInterfaceXBoard::becomeReady()
{
    m_featureTimer.stop();
    m_state = Ready;
    if (m_level >= 0)
        setLevel(m_level);
    else
        setDepth(m_depth);
    sendPendingRequest();
}

// The greeting time-out still runs until the engine says anything at all.
void EngineInterfaceXBoard::onFeatureWaitOver()
{
    if (m_state == WaitingFeature && !hasStopped()) {
        if (g_pLog)
            g_pLog->write(2, Log::Warning, "Engine %s sent no features; taken as ready",
                          m_name.c_str());
        becomeReady();
    }
}

void EngineInterfaceXBoard::process()
{
    if (!m_heard) {
        m_heard = true;
        greetingAnswered();
    }
    // Heard while greeting too, so that the first search already has its depth.
    if (isDepthRefusal()) {
        if (g_pLog)
            g_pLog->write(2, Log::Warning, "Engine %s refuses \"sd\"; \"depth\" sent instead",
                          m_name.c_str());
        m_depthCommand = "depth";
        setDepth(m_depth);
        return;
    }
    if (m_state == WaitingFeature) {
        if (m_line.compare(0, sizeof kFeature - 1, kFeature) == 0)
            becomeReady();
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
        reportMove(coordinates(groups[2], askedSide()));
    else if (vacuum(m_line) == "resign")
        reportResult("");
    else if (m_resultPattern.search(m_line.c_str(), &groups) && groups.size() >= 2)
        reportResult(groups[1]);
}
