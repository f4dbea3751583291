#pragma once

#include "chess/board.h"
#include "chess/move.h"
#include "engine/engineinterfacelistener.h"
#include "engine/engineprotocol.h"
#include "engine/enginesettings.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <string>

class EngineDescriptor;
class QProcess;

// A running engine: the child process of a catalogue entry, in a process
// group of its own, carrying a protocol (engine/engineprotocol.h). It writes
// the protocol's lines to the engine, cuts the engine's output into lines for
// it, logs the traffic at level 3, and tells the listener once when the
// engine exits, crashes, never answers its greeting or leaves a request
// unanswered for the settings' time; everything the engine says reaches the
// listener through the protocol. Destroying it stops the engine promptly.
class EngineProcess : public QObject, public EngineLineSink, private EngineInterfaceListener {
    Q_OBJECT
public:
    // Longest output line kept; the rest of a longer line is dropped.
    static constexpr size_t kMaxLineLength = 64 * 1024;
    static constexpr int kStartTimeout = 30000;
    static constexpr int kQuitTimeout = 5000;
    static constexpr int kKillTimeout = 30000;
    // A searching engine told to stop has this long to answer; one that does
    // not is terminated (its process group), and killed after a while more.
    static constexpr int kStopTimeout = 400;
    static constexpr int kTerminateTimeout = 300;

    // Starts the program and greets it; throws Exception "Couldn't start
    // process %s".
    EngineProcess(const EngineDescriptor& descriptor, std::unique_ptr<EngineProtocol> protocol,
                  const EngineSettings& settings);
    // Stops a search first (the protocol's stop, up to kStopTimeout), sends
    // "quit", waits up to 5 s, then kills the engine's process group. An
    // engine that did not answer the stop is terminated at once.
    ~EngineProcess() override;

    // Kills the process group of every engine still alive. Safe to call in a
    // signal handler: a command-line tool stopped by Ctrl-C leaves no engine
    // searching on.
    static void killAllGroups();

    // Asks for a move in the position reached by playing last on position
    // (a null last: the position itself).
    void playMove(const Board& position, const Move& last);
    void setLevel(int level) { m_protocol->setLevel(level); }
    int getLevel() const { return m_protocol->getLevel(); }
    void setListener(EngineInterfaceListener* listener) { m_listener = listener; }
    EngineInterfaceListener* getListener() const { return m_listener; }
    const std::string& getName() const { return m_protocol->getName(); }
    EngineProtocol& protocol() { return *m_protocol; }
    const EngineProtocol& protocol() const { return *m_protocol; }

    // True once the engine exited, crashed, timed out or was given up: it
    // answers no more.
    bool hasStopped() const { return m_stopped; }
    bool isSearching() const { return !m_stopped && m_protocol->isSearching(); }
    bool isRunning() const;
    qint64 processId() const { return m_pid; }
    // The time allowed for the greeting to be answered.
    void setGreetingTimeout(int milliseconds);

    // Sends one line to the engine (logged; nothing once it stopped running).
    void writeLine(const std::string& line) override;

private:
    void moveFromEngine(const Move& move) override;
    void engineResigned(const std::string& result, const std::string& message) override;
    void engineHasNoMove(const std::string& message) override;
    void engineStopped(const std::string& message) override;
    void engineInfo(const EngineInfo& info) override;

    void readOutput();
    void onFinished(int exitCode, int status);
    void onErrorOccurred(int error);
    void onGreetingTimeout();
    void onRequestTimeout();
    void onFeatureWait();
    // Runs the time-outs the protocol's state asks for.
    void followProtocol();
    // The engine cannot go on: logs logText, tells the listener userText
    // (once, from the event loop); later output is ignored.
    void handleStopped(const std::string& logText, const std::string& userText);
    void notifyStopped();
    void killGroup();
    // Waits up to kStopTimeout for the protocol's stop answer.
    bool awaitStopAnswer();

    std::unique_ptr<EngineProtocol> m_protocol;
    QProcess* m_process;
    EngineInterfaceListener* m_listener = nullptr;
    QTimer m_greetingTimer;
    QTimer m_requestTimer;
    QTimer m_featureTimer;
    int m_requestTimeoutS;
    unsigned m_timedRequests = 0;
    qint64 m_pid = 0;
    std::string m_line;
    bool m_lineOverflow = false;
    bool m_stopped = false;
    std::string m_stopMessage;
};
