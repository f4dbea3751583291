#include "engine/engineprocess.h"

#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"
#include "engine/enginedescriptor.h"
#include "engine/groupprocess.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProcess>
#include <QStringList>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>

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
std::string named(const char* format, const std::string& name)
{
    std::string text(format);
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, name);
    return text;
}

} // namespace

EngineProcess::EngineProcess(const EngineDescriptor& descriptor,
                             std::unique_ptr<EngineProtocol> protocol,
                             const EngineSettings& settings)
    : m_protocol(std::move(protocol)), m_process(new GroupProcess),
      m_requestTimeoutS(settings.requestTimeoutS)
{
    m_process->setParent(this);
    m_line.reserve(128);
    QStringList arguments;
    const std::vector<std::string>& command = descriptor.getCommand();
    for (size_t i = 1; i < command.size(); ++i)
        arguments << QString::fromStdString(command[i]);
    m_process->setWorkingDirectory(QString::fromStdString(descriptor.getWorkingDirectory()));
    // Standard error is never read; a pipe nobody drains would fill up.
    m_process->setStandardErrorFile(QProcess::nullDevice());
    m_process->start(QString::fromStdString(descriptor.getProgram()), arguments,
                     QIODevice::ReadWrite);
    // A program that is missing or not executable fails at once, not after the wait.
    if (!m_process->waitForStarted(kStartTimeout)) {
        if (g_pLog)
            g_pLog->write(1, Log::Error, "Engine %s: %s", getName().c_str(),
                          m_process->errorString().toUtf8().constData());
        throw Exception(false, "Couldn't start process %s", descriptor.getProgram().c_str());
    }
    m_pid = m_process->processId();
    remember_group(static_cast<int>(m_pid));

    connect(m_process, &QProcess::readyReadStandardOutput, this, &EngineProcess::readOutput);
    connect(m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            [this](int code, QProcess::ExitStatus status) { onFinished(code, status); });
    connect(m_process, &QProcess::errorOccurred, this,
            [this](QProcess::ProcessError error) { onErrorOccurred(error); });
    m_greetingTimer.setSingleShot(true);
    m_greetingTimer.setInterval(settings.greetingTimeoutMs);
    connect(&m_greetingTimer, &QTimer::timeout, this, &EngineProcess::onGreetingTimeout);
    m_requestTimer.setSingleShot(true);
    connect(&m_requestTimer, &QTimer::timeout, this, &EngineProcess::onRequestTimeout);
    m_featureTimer.setSingleShot(true);
    connect(&m_featureTimer, &QTimer::timeout, this, &EngineProcess::onFeatureWait);

    m_protocol->setSink(this);
    m_protocol->setListener(this);
    m_protocol->setFixedDepth(settings.depth);
    m_protocol->setFixedMoveTime(settings.moveTimeMs);
    m_protocol->setLevel(settings.level);
    m_protocol->start();
    m_greetingTimer.start();
    if (m_protocol->featureWaitMs() > 0)
        m_featureTimer.start(m_protocol->featureWaitMs());
}

void EngineProcess::killAllGroups()
{
    for (std::atomic<int>& slot : s_groups) {
        const int pid = slot.load();
        if (pid > 0)
            ::kill(static_cast<pid_t>(-pid), SIGKILL);
    }
}

EngineProcess::~EngineProcess()
{
    m_greetingTimer.stop();
    m_requestTimer.stop();
    m_featureTimer.stop();
    // No signal may reach the half-destroyed object while we wait.
    disconnect(m_process, nullptr, this, nullptr);
    m_protocol->setListener(nullptr);
    if (m_process->state() != QProcess::NotRunning) {
        if (isSearching()) {
            // Its answer first: an engine may not take "quit" at once after a stop.
            m_protocol->stopSearch();
            if (awaitStopAnswer())
                m_protocol->searchStopped();
            m_protocol->afterStop();
        }
        // Output is no longer read: discard it, or an engine writing on while we
        // wait fills memory.
        m_process->closeReadChannel(QProcess::StandardOutput);
        m_protocol->quit();
        if (isSearching()) {
            // It did not answer the stop: it reads nothing until its search
            // ends, "quit" included.
            if (g_pLog)
                g_pLog->write(2, Log::Warning, "Engine %s did not stop searching; terminated",
                              getName().c_str());
            if (m_pid > 0)
                ::kill(static_cast<pid_t>(-m_pid), SIGTERM);
            if (!m_process->waitForFinished(kTerminateTimeout))
                killGroup();
            m_process->waitForFinished(kKillTimeout);
        } else if (!m_process->waitForFinished(kQuitTimeout)) {
            if (g_pLog)
                g_pLog->write(2, Log::Warning, "Engine %s did not quit; killed", getName().c_str());
            killGroup();
            m_process->waitForFinished(kKillTimeout);
        }
    }
    // What a wrapper script started may outlive it.
    killGroup();
    forget_group(static_cast<int>(m_pid));
}

bool EngineProcess::isRunning() const
{
    return m_process->state() != QProcess::NotRunning;
}

bool EngineProcess::awaitStopAnswer()
{
    if (m_process->state() != QProcess::Running)
        return false;
    std::string pending;
    QElapsedTimer clock;
    clock.start();
    for (qint64 left = kStopTimeout; left > 0; left = kStopTimeout - clock.elapsed()) {
        if (!m_process->waitForReadyRead(static_cast<int>(left)))
            break;
        pending += m_process->readAllStandardOutput().toStdString();
        for (size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (m_protocol->answersStop(line))
                return true;
        }
        if (pending.size() > kMaxLineLength)
            pending.clear();
    }
    return false;
}

void EngineProcess::setGreetingTimeout(int milliseconds)
{
    // An active timer restarts with the new interval.
    m_greetingTimer.setInterval(milliseconds);
}

void EngineProcess::writeLine(const std::string& line)
{
    if (g_pLog)
        g_pLog->write(3, Log::Info, "ENGINE << %s", line.c_str());
    if (m_process->state() != QProcess::Running)
        return;
    QByteArray bytes = QByteArray::fromStdString(line);
    bytes.append('\n');
    m_process->write(bytes);
}

void EngineProcess::playMove(const Board& position, const Move& last)
{
    if (m_stopped)
        return;
    m_protocol->playMove(position, last);
    followProtocol();
}

void EngineProcess::followProtocol()
{
    if (m_stopped)
        return;
    if (m_protocol->isGreeted())
        m_greetingTimer.stop();
    if (m_protocol->isReady())
        m_featureTimer.stop();
    if (!m_protocol->isSearching()) {
        m_requestTimer.stop();
    } else if (m_protocol->requestCount() != m_timedRequests) {
        m_timedRequests = m_protocol->requestCount();
        if (m_requestTimeoutS > 0)
            m_requestTimer.start(std::min(m_requestTimeoutS, INT_MAX / 1000) * 1000);
    }
}

void EngineProcess::readOutput()
{
    // The listener may delete the engine while a line is being handled.
    QPointer<EngineProcess> self(this);
    const QByteArray chunk = m_process->readAllStandardOutput();
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
                                  getName().c_str(), kMaxLineLength);
            }
            continue;
        }
        std::string line;
        line.swap(m_line);
        m_line.reserve(128);
        m_lineOverflow = false;
        if (g_pLog)
            g_pLog->write(3, Log::Info, "ENGINE >> %s", line.c_str());
        m_protocol->parseLine(line);
        if (!self)
            return;
        followProtocol();
    }
}

void EngineProcess::moveFromEngine(const Move& move)
{
    m_requestTimer.stop();
    if (m_listener)
        m_listener->moveFromEngine(move);
}

void EngineProcess::engineResigned(const std::string& result, const std::string& message)
{
    m_requestTimer.stop();
    if (m_listener)
        m_listener->engineResigned(result, message);
}

void EngineProcess::engineInfo(const EngineInfo& info)
{
    if (m_listener)
        m_listener->engineInfo(info);
}

void EngineProcess::engineHasNoMove(const std::string& message)
{
    m_requestTimer.stop();
    if (m_listener)
        m_listener->engineHasNoMove(message);
}

// The protocol gave up on the engine (it logged why).
void EngineProcess::engineStopped(const std::string& message)
{
    handleStopped(std::string(), message);
    // No quit: the engine is past listening. The destructor reaps it.
    killGroup();
}

void EngineProcess::onFinished(int exitCode, int status)
{
    // Output written just before the exit is still handled.
    QPointer<EngineProcess> self(this);
    readOutput();
    if (!self)
        return;
    char text[256];
    if (status == QProcess::CrashExit)
        snprintf(text, sizeof text, "Engine %s crashed", getName().c_str());
    else
        snprintf(text, sizeof text, "Engine %s exited with code %d", getName().c_str(), exitCode);
    handleStopped(text, named(translated("The engine %s has stopped."), getName()));
}

void EngineProcess::onErrorOccurred(int error)
{
    // Crashes are reported by finished(); read and write errors mean the pipe is gone.
    if (error == QProcess::Crashed || error == QProcess::Timedout)
        return;
    if (m_process->state() != QProcess::NotRunning && error != QProcess::FailedToStart)
        return;
    handleStopped("Engine " + getName() + ": " + m_process->errorString().toStdString(),
                  named(translated("The engine %s has stopped."), getName()));
}

void EngineProcess::onGreetingTimeout()
{
    char text[256];
    snprintf(text, sizeof text, "Engine %s did not answer its greeting within %d ms",
             getName().c_str(), m_greetingTimer.interval());
    handleStopped(text, named(translated("The engine %s does not answer."), getName()));
    killGroup();
}

void EngineProcess::onRequestTimeout()
{
    char text[256];
    snprintf(text, sizeof text, "Engine %s did not answer a request within %d s", getName().c_str(),
             m_requestTimer.interval() / 1000);
    handleStopped(text, named(translated("The engine %s did not answer in time."), getName()));
    killGroup();
}

void EngineProcess::onFeatureWait()
{
    if (m_stopped)
        return;
    m_protocol->featureWaitOver();
    followProtocol();
}

void EngineProcess::killGroup()
{
    if (m_pid > 0)
        ::kill(static_cast<pid_t>(-m_pid), SIGKILL);
    if (m_process->state() != QProcess::NotRunning)
        m_process->kill();
}

void EngineProcess::handleStopped(const std::string& logText, const std::string& userText)
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_greetingTimer.stop();
    m_requestTimer.stop();
    m_featureTimer.stop();
    m_stopMessage = userText;
    if (g_pLog && !logText.empty())
        g_pLog->write(1, Log::Error, "%s", logText.c_str());
    // Told from the event loop, so that the listener may delete the engine.
    QMetaObject::invokeMethod(this, &EngineProcess::notifyStopped, Qt::QueuedConnection);
}

void EngineProcess::notifyStopped()
{
    if (m_listener)
        m_listener->engineStopped(m_stopMessage);
}
