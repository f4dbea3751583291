#include "engine/xboardprotocol.h"

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
// Any answer of that form, a move or not ("move z9z9").
const char kAnswerPattern[] = "^[ \t]*(move|My move is[ \t]*:?)[ \t]+([^ \t]+)[ \t]*$";
const char kFeature[] = "feature ";
// A result instead of a move: "0-1 {White resigns}", "1/2-1/2 {Draw by repetition}".
const char kResultPattern[] = "^[ \t]*(1-0|0-1|1/2-1/2)([ \t]|$)";

// The king's move of a castling written "O-O" or "0-0-0"; other moves as they are.
std::string coordinates(const std::string& move, Color side)
{
    if (move[0] != 'O' && move[0] != '0')
        return move;
    const char rank = side == White ? '1' : '8';
    return std::string("e") + rank + (move.size() > 3 ? 'c' : 'g') + rank;
}
} // namespace

XBoardProtocol::XBoardProtocol(const std::string& name)
    : EngineProtocol(name), m_movePattern(kMovePattern, 2), m_answerPattern(kAnswerPattern, 2),
      m_resultPattern(kResultPattern, 2)
{
}

void XBoardProtocol::start()
{
    m_started = true;
    write("xboard");
    write("protover 2");
}

void XBoardProtocol::stopSearch()
{
    // "?" ends a search at once; in force mode the engine does not start another.
    write("?");
}

bool XBoardProtocol::answersStop(const std::string& line) const
{
    return vacuum(line).compare(0, 4, "move") == 0;
}

void XBoardProtocol::afterStop()
{
    write("force");
}

void XBoardProtocol::setLevel(int level)
{
    EngineProtocol::setLevel(level);
    // A change while the engine starts goes out at once, and again when it is ready.
    if (m_started)
        sendLevel();
}

void XBoardProtocol::sendLevel()
{
    for (const std::string& line :
         EngineLevel::forXBoard(getLevel()).withDepth(getFixedDepth()).xboardLines(m_depthCommand))
        write(line);
}

void XBoardProtocol::sendRequest(const Board& position, const Move& last)
{
    write("force");
    write("setboard " + position.exportToFEN());
    m_lastSent.clear();
    if (!last.isNull()) {
        m_lastSent = last.getAsString();
        write(m_lastSent);
    }
    const EngineClock& clock = getClock();
    if (clock.isSet()) {
        for (const std::string& line : clock.xboardLines(askedSide()))
            write(line);
    } else if (m_clockSent) {
        // Back from a clock to the level's time per move.
        sendLevel();
    }
    m_clockSent = clock.isSet();
    write("go");
}

// "Error (unknown command): setboard", or "Illegal move" naming the last move:
// the engine does not hold the position it was given.
bool XBoardProtocol::isRefusal(const std::string& line) const
{
    if (line.compare(0, 5, "Error") == 0)
        return line.find("setboard") != std::string::npos;
    if (line.compare(0, 12, "Illegal move") == 0)
        return !m_lastSent.empty() && line.find(m_lastSent) != std::string::npos;
    return false;
}

// "Illegal move: sd 1", "Invalid move: sd 1" or "Error (unknown command): sd":
// the engine takes no "sd"; such engines know "depth" instead.
bool XBoardProtocol::isDepthRefusal(const std::string& line) const
{
    if (m_depthCommand != "sd" ||
        (line.compare(0, 5, "Error") != 0 && line.compare(0, 12, "Illegal move") != 0 &&
         line.compare(0, 12, "Invalid move") != 0))
        return false;
    const size_t colon = line.find(':');
    return colon != std::string::npos && vacuum(line.substr(colon + 1)).compare(0, 2, "sd") == 0;
}

void XBoardProtocol::becomeReady()
{
    m_state = Ready;
    sendLevel();
    sendPendingRequest();
}

void XBoardProtocol::featureWaitOver()
{
    if (m_state != WaitingFeature || hasFailed())
        return;
    if (g_pLog)
        g_pLog->write(2, Log::Warning, "Engine %s sent no features; taken as ready",
                      getName().c_str());
    becomeReady();
}

void XBoardProtocol::handleLine(const std::string& line)
{
    // Anything heard answers the greeting.
    greetingAnswered();
    // Heard while greeting too, so that the first search already has its depth.
    if (isDepthRefusal(line)) {
        if (g_pLog)
            g_pLog->write(2, Log::Warning, "Engine %s refuses \"sd\"; \"depth\" sent instead",
                          getName().c_str());
        m_depthCommand = "depth";
        sendLevel();
        return;
    }
    if (m_state == WaitingFeature) {
        if (line.compare(0, sizeof kFeature - 1, kFeature) == 0)
            becomeReady();
        return;
    }
    if (isRefusal(line)) {
        // It would go on to search its own idea of the position.
        fail("Engine " + getName() + " refused the position: " + line,
             userMessage(translated("The engine %s cannot set up the position.")));
        return;
    }
    std::vector<std::string> groups;
    if (m_movePattern.search(line.c_str(), &groups) && groups.size() >= 3)
        reportMove(coordinates(groups[2], askedSide()));
    else if (m_answerPattern.search(line.c_str(), &groups) && groups.size() >= 3)
        reportMove(groups[2]);
    else if (vacuum(line) == "resign")
        reportResult("");
    else if (m_resultPattern.search(line.c_str(), &groups) && groups.size() >= 2)
        reportResult(groups[1]);
}
