#include "qt/einkrefresh.h"

#include "app/settings.h"
#include "core/configfileabstract.h"
#include "core/log.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QWidget>

namespace {
EinkRefresh* g_refresh = nullptr;
}

void EinkRefresh::init(std::unique_ptr<EinkDevice> device)
{
    destroy();
    g_refresh = new EinkRefresh(std::move(device));
    qApp->installEventFilter(g_refresh);
}

EinkRefresh* EinkRefresh::instance()
{
    return g_refresh;
}

void EinkRefresh::destroy()
{
    delete g_refresh;
    g_refresh = nullptr;
}

EinkRefresh::EinkRefresh(std::unique_ptr<EinkDevice> device) : m_device(std::move(device)) {}

void EinkRefresh::requestPartial(const QRect& screenRect)
{
    if (screenRect.isEmpty())
        return;
    // Whole 8-pixel blocks: the controllers' alignment, and no 1-pixel sliver.
    const QRect blocks(QPoint(screenRect.left() & ~7, screenRect.top() & ~7),
                       QPoint(screenRect.right() | 7, screenRect.bottom() | 7));
    m_pending |= blocks & QRect(QPoint(0, 0), m_device->screenSize());
    schedule();
}

void EinkRefresh::flushNow()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    flush();
}

void EinkRefresh::requestFull()
{
    m_fullPending = true;
    schedule();
}

bool EinkRefresh::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && watched->isWidgetType()) {
        const QWidget* widget = static_cast<QWidget*>(watched);
        const QRect rect = static_cast<QPaintEvent*>(event)->rect();
        requestPartial(rect.translated(widget->mapToGlobal(QPoint(0, 0))));
    } else if (event->type() == QEvent::Hide && watched->isWidgetType() &&
               static_cast<QWidget*>(watched)->isWindow()) {
        requestPartial(static_cast<QWidget*>(watched)->frameGeometry());
    }
    return false;
}

// The flush is posted at low priority, as widget repaints are: it runs after
// the repaints already requested and after the framebuffer was redrawn.
void EinkRefresh::schedule()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::LowEventPriority);
}

bool EinkRefresh::event(QEvent* event)
{
    if (event->type() != QEvent::User)
        return QObject::event(event);
    flush();
    return true;
}

void EinkRefresh::flush()
{
    m_scheduled = false;
    const int fullEvery = Settings(g_pConfig).value(Settings::EinkFullEvery);
    if (!m_fullPending && m_pending.isEmpty())
        return;
    if (!m_fullPending && (fullEvery <= 0 || m_partialsSinceFull < fullEvery)) {
        send({m_pending, false, EinkUpdate::Fast});
        ++m_partialsSinceFull;
    } else {
        send({QRect(QPoint(0, 0), m_device->screenSize()), true, EinkUpdate::Quality});
        m_partialsSinceFull = 0;
    }
    m_pending = QRect();
    m_fullPending = false;
}

void EinkRefresh::send(const EinkUpdate& update)
{
    std::string error;
    if (m_device->send(update, error) || m_failureLogged)
        return;
    m_failureLogged = true;
    if (g_pLog)
        g_pLog->write(1, Log::Error, "E-ink update failed: %s", error.c_str());
}
