#include "qt/readerinput.h"

#include "core/log.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

QPointer<QWidget> g_touched; // the widget a touch went down on

QWidget* key_target()
{
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup;
    if (QWidget* focus = QApplication::focusWidget())
        return focus;
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QWidget* touch_window(const QPoint& global)
{
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup;
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->geometry().contains(global))
            return w;
    }
    return nullptr;
}

void deliver_touch(QEvent::Type type, const QPoint& global)
{
    QWidget* target = g_touched;
    if (type == QEvent::MouseButtonPress || !target) {
        QWidget* window = touch_window(global);
        if (!window)
            return;
        // A touch beside an open menu closes it, as a click would.
        if (window == QApplication::activePopupWidget() && !window->geometry().contains(global)) {
            if (type == QEvent::MouseButtonPress)
                window->close();
            return;
        }
        target = window->childAt(window->mapFromGlobal(global));
        if (!target)
            target = window;
        g_touched = type == QEvent::MouseButtonRelease ? nullptr : target;
    } else if (type == QEvent::MouseButtonRelease) {
        g_touched = nullptr;
    }
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    const QPoint local = target->mapFromGlobal(global);
    QMouseEvent event(type, local, target->window()->mapFromGlobal(global), global, button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

void deliver_input(const InputAction& action)
{
    switch (action.kind) {
    case InputAction::KeyPress:
    case InputAction::KeyRelease: {
        QWidget* target = key_target();
        if (!target)
            return;
        QKeyEvent event(action.kind == InputAction::KeyPress ? QEvent::KeyPress
                                                             : QEvent::KeyRelease,
                        action.key, Qt::NoModifier, QString(), action.autoRepeat);
        QApplication::sendEvent(target, &event);
        return;
    }
    case InputAction::TouchDown:
        deliver_touch(QEvent::MouseButtonPress, action.pos);
        return;
    case InputAction::TouchMove:
        deliver_touch(QEvent::MouseMove, action.pos);
        return;
    case InputAction::TouchUp:
        deliver_touch(QEvent::MouseButtonRelease, action.pos);
        return;
    default:
        return;
    }
}

ReaderInput::ReaderInput(const std::string& keyPaths, const std::string& touchPaths,
                         const TouchTransform& transform, const QSize& screen, QObject* parent)
    : QObject(parent)
{
    const auto each = [&](const std::string& paths, bool touch) {
        size_t start = 0;
        while (start <= paths.size()) {
            const size_t comma = paths.find(',', start);
            const std::string path = paths.substr(start, comma - start);
            if (!path.empty())
                open(path, touch, transform, screen);
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    };
    each(keyPaths, false);
    each(touchPaths, true);
}

ReaderInput::~ReaderInput()
{
    for (auto& source : m_sources) {
        delete source->notifier;
        ::close(source->fd);
    }
}

void ReaderInput::open(const std::string& path, bool touch, const TouchTransform& transform,
                       const QSize& screen)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (g_pLog)
            g_pLog->write(1, Log::Warning, "Input device %s: %s", path.c_str(), strerror(errno));
        return;
    }
    auto source = std::make_unique<Source>(
        Source{fd, nullptr, EvdevDecoder(touch ? transform : TouchTransform(), screen)});
    if (touch) {
        // The axes' ranges; multi-touch first, as the readers report it.
        input_absinfo x;
        input_absinfo y;
        memset(&x, 0, sizeof x);
        memset(&y, 0, sizeof y);
        if (ioctl(fd, EVIOCGABS(ABS_MT_POSITION_X), &x) != 0 || x.maximum <= 0)
            ioctl(fd, EVIOCGABS(ABS_X), &x);
        if (ioctl(fd, EVIOCGABS(ABS_MT_POSITION_Y), &y) != 0 || y.maximum <= 0)
            ioctl(fd, EVIOCGABS(ABS_Y), &y);
        source->decoder.setAxisMaximum(x.maximum, y.maximum);
    }
    Source* raw = source.get();
    raw->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    connect(raw->notifier, &QSocketNotifier::activated, this, [this, raw] { read(*raw); });
    m_sources.push_back(std::move(source));
    if (g_pLog)
        g_pLog->write(2, Log::Info, "Input device %s (%s)", path.c_str(), touch ? "touch" : "keys");
}

void ReaderInput::read(Source& source)
{
    input_event events[32];
    for (;;) {
        const ssize_t got = ::read(source.fd, events, sizeof events);
        if (got <= 0) {
            // A device that went away (or a script's file at its end) is left.
            if (got == 0 || (errno != EAGAIN && errno != EINTR))
                source.notifier->setEnabled(false);
            return;
        }
        const size_t count = static_cast<size_t>(got) / sizeof(input_event);
        for (size_t i = 0; i < count; ++i) {
            for (const InputAction& action :
                 source.decoder.feed(events[i].type, events[i].code, events[i].value))
                handle(action);
        }
    }
}

void ReaderInput::handle(const InputAction& action)
{
    switch (action.kind) {
    case InputAction::Power:
        emit powerPressed();
        return;
    case InputAction::CoverClosed:
    case InputAction::CoverOpened:
        emit coverChanged(action.kind == InputAction::CoverClosed);
        return;
    default:
        deliver_input(action);
        return;
    }
}
