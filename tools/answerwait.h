#pragma once

#include "chess/move.h"
#include "engine/engineinterfacelistener.h"

#include <QEventLoop>
#include <QtGlobal>

#include <string>

class Board;
class EngineProcess;

// Asks an engine for one move and waits for its answer, its stop or the time
// limit, running the event loop meanwhile.
class AnswerWait : public EngineInterfaceListener {
public:
    enum Outcome { Moved, Stopped, TimedOut };

    // The move after last is played on position (a null move: at position).
    Outcome wait(EngineProcess& engine, const Board& position, const Move& last, int limitMs);

    void moveFromEngine(const Move& move) override { finish(false, move, ""); }
    void engineResigned(const std::string&, const std::string& message) override
    {
        finish(true, Move(), message);
    }
    void engineHasNoMove(const std::string& message) override { finish(true, Move(), message); }
    void engineStopped(const std::string& message) override { finish(true, Move(), message); }

    Move m_move;
    // Why the engine stopped, resigned or had no move.
    std::string m_message;
    qint64 m_elapsedMs = 0;

private:
    void finish(bool stopped, const Move& move, const std::string& message);

    QEventLoop m_loop;
    bool m_done = false;
    bool m_stopped = false;
};
