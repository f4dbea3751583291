#pragma once

#include "qt/evdevdecoder.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

// Delivers an action to the widgets as the keyboard or the pointer would:
// keys to the open menu, else the focused widget; touches to the widget
// under the point in the open menu, the modal dialog or the window.
void deliver_input(const InputAction& action);

// Reads a reader's evdev key and touch devices (comma-separated paths) in
// the event loop and delivers what they send; Power and the sleep cover come
// out as signals. A device that cannot be opened is logged and left out.
class ReaderInput : public QObject {
    Q_OBJECT
public:
    ReaderInput(const std::string& keyPaths, const std::string& touchPaths,
                const TouchTransform& transform, const QSize& screen, QObject* parent = nullptr);
    ~ReaderInput() override;

signals:
    void powerPressed();
    void coverChanged(bool closed);

private:
    struct Source {
        int fd = -1;
        QSocketNotifier* notifier = nullptr;
        EvdevDecoder decoder;
    };
    void open(const std::string& path, bool touch, const TouchTransform& transform,
              const QSize& screen);
    void read(Source& source);
    void handle(const InputAction& action);

    std::vector<std::unique_ptr<Source>> m_sources;
};
