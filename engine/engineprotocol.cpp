#include "engine/engineprotocol.h"

#include "core/log.h"
#include "core/trans.h"
#include "engine/engineinterfacelistener.h"

#include <cstring>

namespace {
// The format comes from the translation table: its "%s" is replaced by hand.
std::string format_text(const char* format, const std::string& a)
{
    std::string text(format);
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, a);
    return text;
}
} // namespace

bool is_coordinate_move(const std::string& text)
{
    if (text.size() != 4 && text.size() != 5)
        return false;
    const auto file = [](char c) { return c >= 'a' && c <= 'h'; };
    const auto rank = [](char c) { return c >= '1' && c <= '8'; };
    return file(text[0]) && rank(text[1]) && file(text[2]) && rank(text[3]) &&
           (text.size() == 4 || strchr("nbrqNBRQ", text[4]) != nullptr);
}

EngineProtocol::EngineProtocol(const std::string& name) : m_name(name) {}

EngineProtocol::~EngineProtocol() = default;

void EngineProtocol::parseLine(const std::string& line)
{
    if (!m_failed)
        handleLine(line);
}

void EngineProtocol::setLevel(int level)
{
    m_level = level;
}

void EngineProtocol::quit()
{
    write("quit");
}

void EngineProtocol::write(const std::string& line)
{
    if (m_sink)
        m_sink->writeLine(line);
}

void EngineProtocol::playMove(const Board& position, const Move& last)
{
    if (m_failed)
        return;
    if (!isReady()) {
        m_pendingPosition = position;
        m_pendingMove = last;
        m_pending = true;
        return;
    }
    dispatchRequest(position, last);
}

void EngineProtocol::sendPendingRequest()
{
    if (m_pending) {
        m_pending = false;
        dispatchRequest(m_pendingPosition, m_pendingMove);
    }
}

void EngineProtocol::dispatchRequest(const Board& position, const Move& last)
{
    Board asked = position;
    if (!last.isNull())
        asked.doMove(last);
    m_askedSide = asked.getColorToMove();
    m_searching = true;
    ++m_requests;
    sendRequest(position, last);
}

void EngineProtocol::reportMove(const std::string& text)
{
    Move move;
    if (!is_coordinate_move(text) || !move.setFromString(text)) {
        if (m_searching)
            fail("Engine " + m_name + " answered with no move: " + text,
                 translated("Engine error: invalid move"));
        return;
    }
    m_searching = false;
    if (m_listener)
        m_listener->moveFromEngine(move);
}

void EngineProtocol::reportResult(const std::string& result)
{
    if (!m_searching)
        return;
    m_searching = false;
    const char* loss = m_askedSide == White ? "0-1" : "1-0";
    const std::string shown = result.empty() ? std::string(loss) : result;
    if (g_pLog)
        g_pLog->write(2, Log::Info, "Engine %s ends the game: %s", m_name.c_str(), shown.c_str());
    const char* format = shown == loss        ? N_("The engine %s resigns.")
                         : shown == "1/2-1/2" ? N_("The engine %s claims a draw.")
                                              : N_("The engine %s claims the win.");
    if (m_listener)
        m_listener->engineResigned(shown, userMessage(translated(format)));
}

void EngineProtocol::reportNoMove()
{
    if (!m_searching)
        return;
    m_searching = false;
    if (g_pLog)
        g_pLog->write(2, Log::Warning, "Engine %s has no move", m_name.c_str());
    if (m_listener)
        m_listener->engineHasNoMove(userMessage(translated("The engine %s has no move.")));
}

void EngineProtocol::reportInfo(const EngineInfo& info)
{
    if (m_searching && m_listener)
        m_listener->engineInfo(info);
}

void EngineProtocol::fail(const std::string& logText, const std::string& userText)
{
    if (m_failed)
        return;
    m_failed = true;
    m_searching = false;
    m_pending = false;
    if (g_pLog)
        g_pLog->write(1, Log::Error, "%s", logText.c_str());
    if (m_listener)
        m_listener->engineStopped(userText);
}

std::string EngineProtocol::userMessage(const char* format) const
{
    return format_text(format, m_name);
}
