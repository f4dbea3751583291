#pragma once

#include "qt/einkdevice.h"

#include <QObject>
#include <QRect>

#include <memory>

// Refreshes an e-ink panel. Every repaint of a widget becomes a fast partial
// update of the repainted screen rectangle, sent once the frame reached the
// framebuffer (repaints of one event-loop turn go out as one update, widened
// to whole 8-pixel blocks so that no sliver goes out alone; a closed window
// repaints what it covered); eink_full_update and, against ghosting, every
// "eink.full_every" partial updates (default 20, 0 = never) become a flashing
// full update of the whole screen. A failing driver is logged once, then
// ignored. Without a panel there is no instance and nothing changes.
class EinkRefresh : public QObject {
public:
    // The refresher for a device (the reader's panel; tests hand in a fake).
    static void init(std::unique_ptr<EinkDevice> device);
    static EinkRefresh* instance();
    static void destroy();

    // Requests (sent from the event loop, after pending repaints).
    void requestPartial(const QRect& screenRect);
    void requestFull();
    // Sends what is pending now, after the pending repaints.
    void flushNow();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit EinkRefresh(std::unique_ptr<EinkDevice> device);
    void schedule();
    void flush();
    void send(const EinkUpdate& update);

    std::unique_ptr<EinkDevice> m_device;
    QRect m_pending;
    bool m_fullPending = false;
    bool m_scheduled = false;
    bool m_failureLogged = false;
    int m_partialsSinceFull = 0;
};
