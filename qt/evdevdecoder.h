#pragma once

#include "qt/panelfamily.h"

#include <QPoint>
#include <QSize>

#include <vector>

// What the program does with one input event of a reader.
struct InputAction {
    enum Kind {
        KeyPress,
        KeyRelease,
        TouchDown,
        TouchMove,
        TouchUp,
        Power,
        CoverClosed,
        CoverOpened
    };
    Kind kind = KeyPress;
    int key = 0; // Qt::Key
    bool autoRepeat = false;
    QPoint pos; // upright screen coordinates
};

// The Qt key for a Linux key code (input-event-codes.h), 0 for none: the
// arrows, OK, Menu, Back, Home (redraws), and the page keys of Kobo (193
// back, 194 forward) and Kindle readers as PageUp and PageDown.
int qt_key_for_evdev(int code);

// Turns a reader's evdev events into actions: keys by the table above, Power
// (116), the sleep cover (Kobo key 59, or the lid switch) and single-touch
// positions, transformed to the upright screen.
class EvdevDecoder {
public:
    // The raw axes span the screen (turned where the transform swaps them)
    // until setAxisMaximum says otherwise.
    EvdevDecoder(const TouchTransform& transform, const QSize& screen);
    // The raw axes' maximums (EVIOCGABS); 0 keeps the default.
    void setAxisMaximum(int maxX, int maxY);
    // One event (type, code, value as in struct input_event); the actions it
    // completes. Touch is reported at the end of its packet (SYN_REPORT).
    std::vector<InputAction> feed(int type, int code, int value);

private:
    QPoint screenPoint() const;

    TouchTransform m_transform;
    QSize m_screen;
    int m_maxX = 0;
    int m_maxY = 0;
    int m_x = 0;
    int m_y = 0;
    bool m_down = false;
    bool m_pressed = false;
    bool m_released = false;
    bool m_moved = false;
};
