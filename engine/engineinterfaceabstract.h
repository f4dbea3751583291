#pragma once

#include "chess/board.h"
#include "chess/move.h"

#include <QProcess>
#include <QTimer>

#include <string>

class EngineDescriptor;
class EngineInterfaceListener;

// An engine child process spoken to line by line. The base starts the program
// of a catalogue entry in a process group of its own, sends command lines,
// cuts the output into lines for the protocol driver (process()), logs the
// traffic at level 3 and stops the engine when destroyed. It also notices an
// engine that exits or crashes, that never answers its greeting or that
// leaves a request unanswered for "engine.timeout" seconds, and tells the
// listener once.
class EngineInterfaceAbstract : public QProcess {
    Q_OBJECT
public:
    // Longest output line kept; the rest of a longer line is dropped.
    static constexpr size_t kMaxLineLength = 64 * 1024;
    static constexpr int kStartTimeout = 30000;
    static constexpr int kQuitTimeout = 5000;
    static constexpr int kKillTimeout = 30000;
    static constexpr int kGreetingTimeout = 20000;
    // A searching engine told to stop has this long to answer; one that does
    // not is terminated (its process group), and killed after a while more.
    static constexpr int kStopTimeout = 400;
    static constexpr int kTerminateTimeout = 300;
    // Seconds a request may stay unanswered when "engine.timeout" is not set.
    static constexpr int kDefaultRequestTimeout = 120;

    // Starts the engine; throws Exception "Couldn't start process %s".
    EngineInterfaceAbstract(const EngineDescriptor& descriptor, int depth);
    // Sends "quit", waits up to 5 s, then kills the engine's process group.
    // A driver first tells a searching engine to stop; one that does not
    // answer that is terminated at once.
    ~EngineInterfaceAbstract() override;

    // Kills the process group of every engine still alive. Safe to call in a
    // signal handler: a command-line tool stopped by Ctrl-C leaves no engine
    // searching on.
    static void killAllGroups();

    // Asks for a move in the position reached by playing last in position.
    virtual void playMove(const Board& position, const Move& last) = 0;
    virtual void setDepth(int depth);
    virtual int getDepth() const;
    // Plays at a level of the ladder (engine/enginelevel.h) from the next
    // search on, instead of the bare depth; -1 until set.
    virtual void setLevel(int level);
    int getLevel() const { return m_level; }
    // Handles the complete output line held in m_line.
    virtual void process();

    // Sends one command line (a line feed is added).
    void write(const char* text);

    void setListener(EngineInterfaceListener* listener) { m_listener = listener; }
    EngineInterfaceListener* getListener() const { return m_listener; }
    const std::string& getName() const { return m_name; }
    // True once the engine exited, crashed or timed out: it answers no more.
    bool hasStopped() const { return m_stopped; }
    // The time allowed for the greeting to be answered (20 s unless changed).
    void setGreetingTimeout(int milliseconds);
    // True from a request until its answer (a move, a resignation, no move).
    bool isSearching() const { return m_searching; }

public slots:
    void engineHasOutput();

protected:
    // The driver's greeting was sent / answered: runs and stops the time-out.
    void startGreetingTimer();
    void greetingAnswered();
    // The engine cannot go on: logs logText, kills the process, tells the
    // listener userText (once); later output is ignored.
    void stopEngine(const std::string& logText, const std::string& userText);
    // A translated message naming this engine, from a format with one "%s".
    std::string userMessage(const char* format) const;

    // The protocol's request for a move, sent to a ready engine.
    virtual void sendRequest(const Board& position, const Move& last);
    // playMove of a driver that greets first: the request is sent when the
    // engine is ready, else it waits (only the newest one) for
    // sendPendingRequest.
    void requestMove(bool ready, const Board& position, const Move& last);
    // The engine became ready: sends the request that waited, if any.
    void sendPendingRequest();
    // Hands an answer in coordinate notation ("e2e4", "e7e8q") to the
    // listener; text that is no move is ignored.
    void reportMove(const std::string& text);
    // The engine gave up ("" resigns for the side it plays) or announced the
    // result "1-0", "0-1" or "1/2-1/2" instead of moving; ignored unless a
    // request is open.
    void reportResult(const std::string& result);
    // The engine has no move for the open request.
    void reportNoMove();
    // The side to move in the position of the last request.
    Color askedSide() const { return m_askedSide; }
    // For a driver's destructor, after it told a searching engine to stop:
    // waits up to kStopTimeout for the answer, a line starting with answer.
    bool awaitStopAnswer(const char* answer);

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Puts the engine into a process group of its own, so that stopping it
    // also stops what a wrapper script started.
    void setupChildProcess() override;
#endif

    int m_depth;
    int m_level = -1;
    std::string m_name;
    std::string m_line;
    EngineInterfaceListener* m_listener;

private slots:
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onErrorOccurred(QProcess::ProcessError error);
    void onGreetingTimeout();
    void onRequestTimeout();
    void notifyStopped();

private:
    void handleStopped(const std::string& logText, const std::string& userText);
    // The open request is answered: no time-out any more.
    void answered();
    void killGroup();
    // Sends a request and runs its time-out.
    void dispatchRequest(const Board& position, const Move& last);

    QTimer m_greetingTimer;
    QTimer m_requestTimer;
    qint64 m_pid = 0;
    Color m_askedSide = White;
    bool m_searching = false;
    Board m_pendingPosition;
    Move m_pendingMove;
    bool m_pending = false;
    bool m_stopped = false;
    bool m_lineOverflow = false;
    std::string m_stopMessage;
};
