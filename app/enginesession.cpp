#include "app/enginesession.h"

#include "core/log.h"
#include "engine/enginefactory.h"
#include "engine/engineprocess.h"

EngineSession::Callback::Callback(EngineSession& session)
    : m_session(session), m_outer(!session.m_inCallback)
{
    m_session.m_inCallback = true;
}

EngineSession::Callback::~Callback()
{
    if (m_outer)
        m_session.m_inCallback = false;
}

EngineSession::EngineSession() = default;

EngineSession::~EngineSession()
{
    stop();
    m_retired.reset();
}

bool EngineSession::isWaitingFor(int gameId, const Board& position) const
{
    return m_waiting && m_gameId == gameId && m_position == position;
}

bool EngineSession::start(unsigned index, int level, int requestTimeoutS,
                          EngineInterfaceListener& listener)
{
    if (m_engine)
        return true;
    EngineSettings settings;
    settings.level = level;
    settings.requestTimeoutS = requestTimeoutS;
    m_engine.reset(EngineFactory::instance().createEngine(index, settings));
    if (!m_engine)
        return false;
    m_engine->setListener(&listener);
    return true;
}

void EngineSession::setLevel(int level)
{
    if (m_engine)
        m_engine->setLevel(level);
}

void EngineSession::ask(int gameId, const Board& board, const Move& last, const EngineClock& clock)
{
    if (!m_engine)
        return;
    m_position = board;
    if (!last.isNull())
        m_position.doMove(last);
    m_gameId = gameId;
    m_waiting = true;
    m_engine->protocol().setClock(clock);
    m_engine->playMove(board, last);
}

bool EngineSession::accept(int gameId, const Board& position)
{
    const bool asked = isWaitingFor(gameId, position);
    m_waiting = false;
    return asked;
}

void EngineSession::stop()
{
    releaseRetired();
    m_waiting = false;
    if (!m_engine)
        return;
    if (g_pLog)
        g_pLog->write(2, Log::Info, "Engine: %s has been destroyed", m_engine->getName().c_str());
    m_engine->setListener(nullptr);
    if (m_inCallback)
        m_retired = std::move(m_engine);
    else
        m_engine.reset();
}

void EngineSession::releaseRetired()
{
    if (!m_inCallback)
        m_retired.reset();
}
