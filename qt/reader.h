#pragma once

#include "qt/panelfamily.h"

#include <QSize>

#include <memory>
#include <string>

class PanelDevice;
class QWidget;
class ReaderInput;
class Suspender;

// The program on an e-ink reader. Before the application object, prepare()
// looks for the frame buffer ($INKMATE_FB, default /dev/fb0) where no
// desktop is named (QT_QPA_PLATFORM unset without a display, or "linuxfb")
// and, finding one it can draw, has Qt draw off screen; start() then puts the
// panel behind the e-ink refresh and listen() reads the device's keys and touch
// ($INKMATE_INPUT_KEYS, $INKMATE_INPUT_TOUCH) and sleeps on Power and the
// cover ($INKMATE_SUSPEND_HOOK, default the family's own way). The family is
// detected ($INKMATE_SYSROOT prefixes the identification files) or named by
// $INKMATE_DEVICE; $INKMATE_ROTATE (0-3) sets the quarter turns of the drawing.
class Reader {
public:
    Reader();
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // False with the reason in error() when a frame buffer was asked for
    // (or found) and cannot be drawn: the program ends with status 2.
    bool prepare();
    const std::string& error() const { return m_error; }
    bool onPanel() const { return m_panel != nullptr || m_started; }
    QSize screenSize() const { return m_screen; }

    // After the application object and the log: the panel.
    void start();
    // Once the main window is shown: the input devices and sleep.
    void listen();
    void stop();

private:
    std::unique_ptr<PanelDevice> m_panel;
    std::unique_ptr<ReaderInput> m_input;
    std::unique_ptr<Suspender> m_suspender;
    PanelFamily m_family;
    std::string m_error;
    QSize m_screen;
    bool m_started = false;
};

// Moves a window's inside to the screen's top left corner, the part of the
// off-screen desktop the panel shows.
void place_on_panel(QWidget* window);
