#pragma once

#include "chess/board.h"
#include "chess/move.h"
#include "engine/engineclock.h"

#include <string>

class EngineInterfaceListener;
struct EngineInfo;

// Where a protocol's command lines go: the engine's process, or a test.
class EngineLineSink {
public:
    virtual ~EngineLineSink() = default;
    // One command line, without its line feed.
    virtual void writeLine(const std::string& line) = 0;
};

// An engine protocol as a state machine of lines: start() sends the greeting,
// parseLine() takes one line of the engine's output, playMove() asks for a
// move, and what the engine answers goes to the one listener. It knows
// nothing of the process that carries the lines (engine/engineprocess.h).
//
// A request made before the engine is ready waits (only the newest one) and
// is sent when it becomes ready. An answer that is no move, or a position the
// engine refuses, makes the protocol give up: the listener is told
// engineStopped and later lines are ignored. The listener is called last in
// every call, so it may delete the protocol.
class EngineProtocol {
public:
    explicit EngineProtocol(const std::string& name);
    virtual ~EngineProtocol();
    EngineProtocol(const EngineProtocol&) = delete;
    EngineProtocol& operator=(const EngineProtocol&) = delete;

    void setSink(EngineLineSink* sink) { m_sink = sink; }
    void setListener(EngineInterfaceListener* listener) { m_listener = listener; }
    EngineInterfaceListener* getListener() const { return m_listener; }
    const std::string& getName() const { return m_name; }

    // Sends the greeting.
    virtual void start() = 0;
    // Handles one complete output line (no line end).
    void parseLine(const std::string& line);
    // Asks for a move in the position reached by playing last on position;
    // a null last means the position itself.
    void playMove(const Board& position, const Move& last);
    // The level of the ladder (engine/enginelevel.h) searched at from the
    // next search on.
    virtual void setLevel(int level);
    int getLevel() const { return m_level; }
    // A depth searched to instead of the level's (0: the level's).
    void setFixedDepth(int depth) { m_fixedDepth = depth; }
    int getFixedDepth() const { return m_fixedDepth; }
    // A search time instead of the level's bound (0: the level's).
    void setFixedMoveTime(int milliseconds) { m_fixedMoveTimeMs = milliseconds; }
    int getFixedMoveTime() const { return m_fixedMoveTimeMs; }
    // The game clocks told with the next requests (unset: the level's time).
    void setClock(const EngineClock& clock) { m_clock = clock; }
    const EngineClock& getClock() const { return m_clock; }

    // How long to wait for the engine to become ready before featureWaitOver
    // is due (0: it says when it is ready).
    virtual int featureWaitMs() const { return 0; }
    virtual void featureWaitOver() {}

    // Tells a searching engine to stop; answersStop says whether an output
    // line is its answer to that; afterStop follows either way.
    virtual void stopSearch() = 0;
    virtual bool answersStop(const std::string& line) const = 0;
    virtual void afterStop() {}
    // The stop answer arrived: the request is over.
    void searchStopped() { m_searching = false; }
    void quit();

    // True once the engine answered its greeting.
    bool isGreeted() const { return m_greeted; }
    virtual bool isReady() const = 0;
    // True from a request sent until its answer (a move, a result, no move).
    bool isSearching() const { return m_searching; }
    // Requests sent so far.
    unsigned requestCount() const { return m_requests; }
    // True once the protocol gave up on the engine.
    bool hasFailed() const { return m_failed; }
    // The side to move in the position of the last request.
    Color askedSide() const { return m_askedSide; }

protected:
    virtual void handleLine(const std::string& line) = 0;
    // The request for a move, sent to a ready engine.
    virtual void sendRequest(const Board& position, const Move& last) = 0;

    void write(const std::string& line);
    void greetingAnswered() { m_greeted = true; }
    // The engine became ready: sends the request that waited, if any.
    void sendPendingRequest();
    // An answer in coordinate notation ("e2e4", "e7e8q"); anything else is
    // rejected as an invalid answer.
    void reportMove(const std::string& text);
    // The engine gave up ("": resigns for the side it plays) or announced the
    // result "1-0", "0-1" or "1/2-1/2"; ignored unless a request is open.
    void reportResult(const std::string& result);
    // The engine has no move for the open request.
    void reportNoMove();
    // A scored "info" line of the open request.
    void reportInfo(const EngineInfo& info);
    // The engine cannot go on: logs logText, tells the listener userText.
    void fail(const std::string& logText, const std::string& userText);
    // A translated message naming this engine, from a format with one "%s".
    std::string userMessage(const char* format) const;

private:
    void dispatchRequest(const Board& position, const Move& last);

    std::string m_name;
    EngineLineSink* m_sink = nullptr;
    EngineInterfaceListener* m_listener = nullptr;
    int m_level = 0;
    int m_fixedDepth = 0;
    int m_fixedMoveTimeMs = 0;
    EngineClock m_clock;
    bool m_greeted = false;
    bool m_searching = false;
    bool m_failed = false;
    unsigned m_requests = 0;
    Color m_askedSide = White;
    Board m_pendingPosition;
    Move m_pendingMove;
    bool m_pending = false;
};

// Whether text is a move in coordinate notation: "e2e4", "e7e8q" (any case).
bool is_coordinate_move(const std::string& text);
