#include "engine/engineinterfaceabstract.h"

#include "core/configfileabstract.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"
#include "core/utils.h"
#include "engine/enginedescriptor.h"
#include "engine/engineinterfacelistener.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSignalBlocker>
#include <QStringList>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

// The process groups of the engines alive, for killAllGroups; 0 is a free slot.
std::atomic<int> s_groups[64];
static_assert(std::atomic<int>::is_always_lock_free, "used in a signal handler");

void remember_group(int pid)
{
    for (std::atomic<int>& slot : s_groups) {
        int free = 0;
        if (slot.compare_exchange_strong(free, pid))
            return;
    }
}

void forget_group(int pid)
{
    for (std::atomic<int>& slot : s_groups) {
        int expected = pid;
        if (slot.compare_exchange_strong(expected, 0))
            return;
    }
}
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

EngineInterfaceAbstract::EngineInterfaceAbstract(const EngineDescriptor& descriptor, int depth)
    : QProcess(nullptr), m_depth(depth), m_name(descriptor.getName()), m_listener(nullptr)
{
    m_line.reserve(128);
    connect(this, &QProcess::readyReadStandardOutput, this,
            &EngineInterfaceAbstract::engineHasOutput);

    QStringList arguments;
    const std::vector<std::string>& command = descriptor.getCommand();
    for (size_t i = 1; i < command.size(); ++i)
        arguments << QString::fromStdString(command[i]);
    setWorkingDirectory(QString::fromStdString(descriptor.getWorkingDirectory()));
    // Standard error is never read; a pipe nobody drains would fill up.
    setStandardErrorFile(QProcess::nullDevice());
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    // A process group of its own, as setupChildProcess gives it under Qt 5.
    setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    start(QString::fromStdString(descriptor.getProgram()), arguments, QIODevice::ReadWrite);
    // A program that is missing or not executable fails at once, not after the wait.
    if (!waitForStarted(kStartTimeout)) {
        if (g_pLog)
            g_pLog->write(1, Log::Error, "Engine %s: %s", m_name.c_str(),
                          errorString().toUtf8().constData());
        throw Exception(false, "Couldn't start process %s", descriptor.getProgram().c_str());
    }

    connect(this, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            &EngineInterfaceAbstract::onFinished);
    connect(this, &QProcess::errorOccurred, this, &EngineInterfaceAbstract::onErrorOccurred);
    m_greetingTimer.setSingleShot(true);
    m_greetingTimer.setInterval(kGreetingTimeout);
    connect(&m_greetingTimer, &QTimer::timeout, this, &EngineInterfaceAbstract::onGreetingTimeout);
    m_requestTimer.setSingleShot(true);
    connect(&m_requestTimer, &QTimer::timeout, this, &EngineInterfaceAbstract::onRequestTimeout);
    m_pid = processId();
    remember_group(static_cast<int>(m_pid));
}

void EngineInterfaceAbstract::killAllGroups()
{
    for (std::atomic<int>& slot : s_groups) {
        const int pid = slot.load();
        if (pid > 0)
            ::kill(static_cast<pid_t>(-pid), SIGKILL);
    }
}

EngineInterfaceAbstract::~EngineInterfaceAbstract()
{
    m_greetingTimer.stop();
    m_requestTimer.stop();
    // No signal may reach the half-destroyed driver while we wait.
    disconnect(this, nullptr, this, nullptr);
    if (state() != QProcess::NotRunning) {
        // Output is no longer read: discard it, or an engine writing on while we wait
        // fills memory.
        closeReadChannel(QProcess::StandardOutput);
        write("quit");
        if (m_searching) {
            // It did not answer the driver's stop: it reads nothing until its
            // search ends, "quit" included.
            if (g_pLog)
                g_pLog->write(2, Log::Warning, "Engine %s did not stop searching; terminated",
                              m_name.c_str());
            if (m_pid > 0)
                ::kill(static_cast<pid_t>(-m_pid), SIGTERM);
            if (!waitForFinished(kTerminateTimeout))
                killGroup();
            waitForFinished(kKillTimeout);
        } else if (!waitForFinished(kQuitTimeout)) {
            if (g_pLog)
                g_pLog->write(2, Log::Warning, "Engine %s did not quit; killed", m_name.c_str());
            killGroup();
            waitForFinished(kKillTimeout);
        }
    }
    // What a wrapper script started may outlive it.
    killGroup();
    forget_group(static_cast<int>(m_pid));
}

bool EngineInterfaceAbstract::awaitStopAnswer(const char* answer)
{
    if (!m_searching || state() != QProcess::Running)
        return false;
    // Read here, not by process(): the driver is being destroyed.
    const QSignalBlocker blocker(this);
    const size_t length = strlen(answer);
    std::string pending;
    QElapsedTimer clock;
    clock.start();
    for (qint64 left = kStopTimeout; left > 0; left = kStopTimeout - clock.elapsed()) {
        if (!waitForReadyRead(static_cast<int>(left)))
            break;
        pending += readAllStandardOutput().toStdString();
        for (size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            const std::string line = vacuum(pending.substr(0, end));
            pending.erase(0, end + 1);
            if (line.compare(0, length, answer) == 0) {
                answered();
                return true;
            }
        }
        if (pending.size() > kMaxLineLength)
            pending.clear();
    }
    return false;
}

void EngineInterfaceAbstract::setDepth(int depth)
{
    m_depth = depth;
}

int EngineInterfaceAbstract::getDepth() const
{
    return m_depth;
}

void EngineInterfaceAbstract::setLevel(int level)
{
    m_level = level;
}

void EngineInterfaceAbstract::process() {}

void EngineInterfaceAbstract::write(const char* text)
{
    if (g_pLog)
        g_pLog->write(3, Log::Info, "ENGINE << %s", text);
    if (state() != QProcess::Running)
        return;
    QByteArray bytes(text);
    bytes.append('\n');
    QProcess::write(bytes);
}

void EngineInterfaceAbstract::setGreetingTimeout(int milliseconds)
{
    // An active timer restarts with the new interval.
    m_greetingTimer.setInterval(milliseconds);
}

void EngineInterfaceAbstract::startGreetingTimer()
{
    if (!m_stopped)
        m_greetingTimer.start();
}

void EngineInterfaceAbstract::greetingAnswered()
{
    m_greetingTimer.stop();
}

void EngineInterfaceAbstract::engineHasOutput()
{
    // The listener may delete the engine while a line is being handled.
    QPointer<EngineInterfaceAbstract> self(this);
    const QByteArray chunk = readAllStandardOutput();
    for (const char c : chunk) {
        if (m_stopped)
            return;
        if (c == '\r')
            continue;
        if (c != '\n') {
            if (m_line.size() < kMaxLineLength) {
                m_line.push_back(c);
            } else if (!m_lineOverflow) {
                m_lineOverflow = true;
                if (g_pLog)
                    g_pLog->write(2, Log::Warning, "Engine %s: output line cut at %zu bytes",
                                  m_name.c_str(), kMaxLineLength);
            }
            continue;
        }
        if (g_pLog)
            g_pLog->write(3, Log::Info, "ENGINE >> %s", m_line.c_str());
        try {
            process();
        } catch (...) {
            if (self) {
                m_line.clear();
                m_lineOverflow = false;
            }
            throw;
        }
        if (!self)
            return;
        m_line.clear();
        m_lineOverflow = false;
    }
}

void EngineInterfaceAbstract::onFinished(int exitCode, QProcess::ExitStatus status)
{
    // Output written just before the exit is still handled.
    QPointer<EngineInterfaceAbstract> self(this);
    engineHasOutput();
    if (!self)
        return;
    char text[256];
    if (status == QProcess::CrashExit)
        snprintf(text, sizeof text, "Engine %s crashed", m_name.c_str());
    else
        snprintf(text, sizeof text, "Engine %s exited with code %d", m_name.c_str(), exitCode);
    handleStopped(text, userMessage(translated("The engine %s has stopped.")));
}

void EngineInterfaceAbstract::onErrorOccurred(QProcess::ProcessError error)
{
    // Crashes are reported by finished(); read and write errors mean the pipe is gone.
    if (error == QProcess::Crashed || error == QProcess::Timedout)
        return;
    if (state() != QProcess::NotRunning && error != QProcess::FailedToStart)
        return;
    handleStopped("Engine " + m_name + ": " + errorString().toStdString(),
                  userMessage(translated("The engine %s has stopped.")));
}

void EngineInterfaceAbstract::onGreetingTimeout()
{
    char text[256];
    snprintf(text, sizeof text, "Engine %s did not answer its greeting within %d ms",
             m_name.c_str(), m_greetingTimer.interval());
    stopEngine(text, userMessage(translated("The engine %s does not answer.")));
}

void EngineInterfaceAbstract::stopEngine(const std::string& logText, const std::string& userText)
{
    handleStopped(logText, userText);
    // No quit: the engine is past listening. The destructor reaps it.
    killGroup();
}

void EngineInterfaceAbstract::killGroup()
{
    if (m_pid > 0)
        ::kill(static_cast<pid_t>(-m_pid), SIGKILL);
    if (state() != QProcess::NotRunning)
        kill();
}

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
void EngineInterfaceAbstract::setupChildProcess()
{
    ::setpgid(0, 0);
}
#endif

std::string EngineInterfaceAbstract::userMessage(const char* format) const
{
    return format_text(format, m_name);
}

void EngineInterfaceAbstract::sendRequest(const Board&, const Move&) {}

void EngineInterfaceAbstract::requestMove(bool ready, const Board& position, const Move& last)
{
    if (!ready) {
        m_pendingPosition = position;
        m_pendingMove = last;
        m_pending = true;
        return;
    }
    dispatchRequest(position, last);
}

void EngineInterfaceAbstract::sendPendingRequest()
{
    if (m_pending) {
        m_pending = false;
        dispatchRequest(m_pendingPosition, m_pendingMove);
    }
}

void EngineInterfaceAbstract::dispatchRequest(const Board& position, const Move& last)
{
    if (m_stopped)
        return;
    Board asked = position;
    if (!last.isNull())
        asked.doMove(last);
    m_askedSide = asked.getColorToMove();
    m_searching = true;
    const int seconds = g_pConfig ? g_pConfig->readInt("engine.timeout", kDefaultRequestTimeout)
                                  : kDefaultRequestTimeout;
    if (seconds > 0)
        m_requestTimer.start(std::min(seconds, INT_MAX / 1000) * 1000);
    else
        m_requestTimer.stop();
    sendRequest(position, last);
}

void EngineInterfaceAbstract::answered()
{
    m_searching = false;
    m_requestTimer.stop();
}

void EngineInterfaceAbstract::reportMove(const std::string& text)
{
    Move move;
    if (!move.setFromString(text))
        return;
    answered();
    if (m_listener)
        m_listener->moveFromEngine(move);
}

void EngineInterfaceAbstract::reportResult(const std::string& result)
{
    if (!m_searching)
        return;
    answered();
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

void EngineInterfaceAbstract::reportNoMove()
{
    if (!m_searching)
        return;
    answered();
    if (g_pLog)
        g_pLog->write(2, Log::Warning, "Engine %s has no move", m_name.c_str());
    if (m_listener)
        m_listener->engineHasNoMove(userMessage(translated("The engine %s has no move.")));
}

void EngineInterfaceAbstract::onRequestTimeout()
{
    char text[256];
    snprintf(text, sizeof text, "Engine %s did not answer a request within %d s", m_name.c_str(),
             m_requestTimer.interval() / 1000);
    stopEngine(text, userMessage(translated("The engine %s did not answer in time.")));
}

void EngineInterfaceAbstract::handleStopped(const std::string& logText, const std::string& userText)
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_greetingTimer.stop();
    answered();
    m_stopMessage = userText;
    if (g_pLog)
        g_pLog->write(1, Log::Error, "%s", logText.c_str());
    // Told from the event loop, so that the listener may delete the engine.
    QMetaObject::invokeMethod(this, &EngineInterfaceAbstract::notifyStopped, Qt::QueuedConnection);
}

void EngineInterfaceAbstract::notifyStopped()
{
    if (m_listener)
        m_listener->engineStopped(m_stopMessage);
}
