#include "tools/answerwait.h"

#include "engine/engineprocess.h"

#include <QElapsedTimer>
#include <QTimer>

AnswerWait::Outcome AnswerWait::wait(EngineProcess& engine, const Board& position, const Move& last,
                                     int limitMs)
{
    m_done = false;
    engine.setListener(this);
    engine.playMove(position, last);
    QElapsedTimer clock;
    clock.start();
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &m_loop, &QEventLoop::quit);
    timer.start(limitMs);
    if (!m_done)
        m_loop.exec();
    engine.setListener(nullptr);
    m_elapsedMs = clock.elapsed();
    return !m_done ? TimedOut : m_stopped ? Stopped : Moved;
}

void AnswerWait::finish(bool stopped, const Move& move, const std::string& message)
{
    if (m_done)
        return;
    m_done = true;
    m_stopped = stopped;
    m_move = move;
    m_message = message;
    m_loop.quit();
}
