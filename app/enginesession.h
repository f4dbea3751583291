#pragma once

#include "chess/board.h"
#include "engine/engineclock.h"

#include <memory>

class EngineProcess;
class EngineInterfaceListener;
struct Move;

// The one engine the controller talks to, and the question it was asked.
//
// Life cycle: start() creates the engine of a catalogue entry, ask() sends it
// a position, accept() takes its answer, which counts only for the position
// and game asked about (a stale answer ends the waiting and is dropped).
// stop() ends the engine; inside one of the engine's own callbacks (marked by
// a Callback scope) it is only retired, and deleted by the next start, stop or
// releaseRetired() made after the callback has returned.
class EngineSession {
public:
    // Marks the handling of a call coming from the engine.
    class Callback {
    public:
        explicit Callback(EngineSession& session);
        ~Callback();
        Callback(const Callback&) = delete;
        Callback& operator=(const Callback&) = delete;

    private:
        EngineSession& m_session;
        bool m_outer;
    };

    EngineSession();
    ~EngineSession();
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    // The running engine, or null.
    const EngineProcess* engine() const { return m_engine.get(); }
    // True from ask() until the answer arrives or the engine stops.
    bool isWaiting() const { return m_waiting; }
    // Waiting for the answer in game gameId at position.
    bool isWaitingFor(int gameId, const Board& position) const;

    // Starts the engine of catalogue entry index at a level of the ladder
    // (engine/enginelevel.h), unless one runs; a request unanswered for
    // requestTimeoutS seconds ("engine.timeout"; 0: none) stops it. False
    // when the entry has no engine to ask (a human).
    bool start(unsigned index, int level, int requestTimeoutS, EngineInterfaceListener& listener);
    void setLevel(int level);
    // Asks for the move after last is played on board (the null move: none,
    // board is the position), in game gameId, telling the game clocks.
    void ask(int gameId, const Board& board, const Move& last,
             const EngineClock& clock = EngineClock());
    // An answer arrived: true when it is for game gameId at position. The
    // waiting ends either way.
    bool accept(int gameId, const Board& position);
    void stop();
    // A new game (row 0) got its row id when it was first stored.
    void gameStored(int id)
    {
        if (m_gameId == 0)
            m_gameId = id;
    }
    // Deletes a retired engine, unless inside a callback.
    void releaseRetired();

private:
    std::unique_ptr<EngineProcess> m_engine;
    // An engine stopped while it was handing over an answer.
    std::unique_ptr<EngineProcess> m_retired;
    bool m_waiting = false;
    int m_gameId = 0;
    Board m_position;
    bool m_inCallback = false;
};
