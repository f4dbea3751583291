#include "qt/suspender.h"

#include "core/log.h"
#include "core/trans.h"
#include "engine/groupprocess.h"
#include "qt/einkrefresh.h"
#include "qt/platform.h"

#include <QApplication>
#include <QLabel>
#include <QProcess>

Suspender::Suspender(std::string command, const QRect& screen, QObject* parent)
    : QObject(parent), m_command(std::move(command)), m_screen(screen),
      m_process(new GroupProcess(this))
{
    connect(m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            [this](int code, QProcess::ExitStatus) {
                if (code != 0 && g_pLog)
                    g_pLog->write(1, Log::Warning, "Suspend command ended with status %d", code);
                m_woken.start();
                resume();
            });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        if (g_pLog)
            g_pLog->write(1, Log::Error, "Suspend command failed to start");
        resume();
    });
}

Suspender::~Suspender()
{
    // A suspend command still running is not waited for.
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

void Suspender::powerPressed()
{
    // The Power press that woke the device is not a new sleep.
    const bool waking = m_woken.isValid() && m_woken.elapsed() < 3000;
    m_woken.invalidate();
    if (waking && !m_suspended)
        return;
    if (m_suspended)
        resume();
    else
        suspend();
}

void Suspender::coverChanged(bool closed)
{
    if (closed)
        suspend();
    else
        resume();
}

void Suspender::suspend()
{
    if (m_suspended)
        return;
    m_suspended = true;
    if (g_pLog)
        g_pLog->write(2, Log::Info, "Suspend");
    if (!m_note) {
        m_note = std::make_unique<QLabel>();
        m_note->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        m_note->setAlignment(Qt::AlignCenter);
        m_note->setAutoFillBackground(true);
        m_note->setText(QString::fromUtf8(translated("Sleeping")));
        // Keys keep going to the window under the note.
        m_note->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    m_active = QApplication::activeWindow();
    m_note->setGeometry(m_screen);
    m_note->show();
    // The note is on the panel before the device sleeps.
    eink_full_update();
    if (EinkRefresh* panel = EinkRefresh::instance())
        panel->flushNow();
    if (!m_command.empty() && m_process->state() == QProcess::NotRunning)
        m_process->start(QStringLiteral("/bin/sh"),
                         {QStringLiteral("-c"), QString::fromStdString(m_command)});
}

void Suspender::resume()
{
    if (!m_suspended)
        return;
    m_suspended = false;
    if (g_pLog)
        g_pLog->write(2, Log::Info, "Resume");
    if (m_note)
        m_note->hide();
    if (m_active && QApplication::activeWindow() != m_active)
        m_active->activateWindow();
    eink_full_update();
}
