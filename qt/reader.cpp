#include "qt/reader.h"

#include "core/log.h"
#include "qt/einkrefresh.h"
#include "qt/paneldevice.h"
#include "qt/readerinput.h"
#include "qt/suspender.h"

#include <QByteArray>
#include <QWidget>
#include <QtGlobal>

namespace {

std::string env(const char* name, const std::string& fallback = std::string())
{
    return qEnvironmentVariableIsSet(name) ? qgetenv(name).toStdString() : fallback;
}

} // namespace

Reader::Reader() = default;

Reader::~Reader()
{
    stop();
}

bool Reader::prepare()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool asked = qEnvironmentVariableIsSet("INKMATE_FB") || platform.startsWith("linuxfb");
    const bool noDesktop = platform.isEmpty() && !qEnvironmentVariableIsSet("DISPLAY") &&
                           !qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (!asked && !noDesktop)
        return true;
    bool frameBuffer = false;
    const int turns = qEnvironmentVariableIsSet("INKMATE_ROTATE")
                          ? qEnvironmentVariableIntValue("INKMATE_ROTATE")
                          : -1;
    m_panel = PanelDevice::open(env("INKMATE_FB", "/dev/fb0"), env("INKMATE_SYSROOT"),
                                env("INKMATE_DEVICE"), turns, m_error, frameBuffer);
    if (!m_panel)
        return !(asked || frameBuffer);
    m_error.clear();
    m_screen = m_panel->screenSize();
    // Qt draws off screen; the panel device copies what it drew. The
    // program reads the input devices itself.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_QPA_GENERIC_PLUGINS");
    return true;
}

void Reader::start()
{
    if (!m_panel)
        return;
    const PanelFamily family = m_panel->family();
    if (g_pLog) {
        g_pLog->write(1, Log::Info, "E-ink panel: %s", m_panel->describe().c_str());
        if (family.layout == UpdateLayout::None)
            g_pLog->write(1, Log::Warning, "No e-ink refresh: %s",
                          m_panel->noDriverReason().empty() ? "no driver chosen"
                                                            : m_panel->noDriverReason().c_str());
    }
    m_started = true;
    m_family = family;
    EinkRefresh::init(std::move(m_panel));
}

void Reader::listen()
{
    if (!m_started)
        return;
    const PanelFamily& family = m_family;
    m_input = std::make_unique<ReaderInput>(env("INKMATE_INPUT_KEYS", family.keysDevices),
                                            env("INKMATE_INPUT_TOUCH", family.touchDevices),
                                            family.touch, m_screen);
    m_suspender = std::make_unique<Suspender>(env("INKMATE_SUSPEND_HOOK", family.sleepCommand),
                                              QRect(QPoint(0, 0), m_screen));
    // Queued: the suspend refreshes the screen, outside the input's reading.
    QObject::connect(m_input.get(), &ReaderInput::powerPressed, m_suspender.get(),
                     &Suspender::powerPressed, Qt::QueuedConnection);
    QObject::connect(m_input.get(), &ReaderInput::coverChanged, m_suspender.get(),
                     &Suspender::coverChanged, Qt::QueuedConnection);
}

void Reader::stop()
{
    m_suspender.reset();
    m_input.reset();
}

void place_on_panel(QWidget* window)
{
    // Without a frame: the off-screen platform keeps a frame on the screen.
    window->setWindowFlag(Qt::FramelessWindowHint);
    window->show();
    window->move(window->pos() - window->geometry().topLeft());
    window->activateWindow();
    window->setFocus();
}
