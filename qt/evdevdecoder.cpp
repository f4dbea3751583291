#include "qt/evdevdecoder.h"

#include <Qt>

#include <linux/input.h>

#include <utility>

namespace {
constexpr int kKoboSleepCover = 59;
constexpr int kKoboPageBack = 193;
constexpr int kKoboPageForward = 194;
constexpr int kKindlePageForward = 191;
} // namespace

int qt_key_for_evdev(int code)
{
    switch (code) {
    case KEY_UP:
        return Qt::Key_Up;
    case KEY_DOWN:
        return Qt::Key_Down;
    case KEY_LEFT:
        return Qt::Key_Left;
    case KEY_RIGHT:
        return Qt::Key_Right;
    case KEY_ENTER:
    case KEY_KPENTER:
    case KEY_OK:
    case KEY_SELECT:
        return Qt::Key_Return;
    case KEY_MENU:
        return Qt::Key_Menu;
    case KEY_BACK:
    case KEY_ESC:
        return Qt::Key_Escape;
    case KEY_HOME:
        return Qt::Key_Home;
    case KEY_PAGEUP:
    case kKoboPageBack:
        return Qt::Key_PageUp;
    case KEY_PAGEDOWN:
    case kKoboPageForward:
    case kKindlePageForward:
        return Qt::Key_PageDown;
    default:
        return 0;
    }
}

EvdevDecoder::EvdevDecoder(const TouchTransform& transform, const QSize& screen)
    : m_transform(transform), m_screen(screen)
{
    m_maxX = (transform.swapXY ? screen.height() : screen.width()) - 1;
    m_maxY = (transform.swapXY ? screen.width() : screen.height()) - 1;
}

void EvdevDecoder::setAxisMaximum(int maxX, int maxY)
{
    if (maxX > 0)
        m_maxX = maxX;
    if (maxY > 0)
        m_maxY = maxY;
}

std::vector<InputAction> EvdevDecoder::feed(int type, int code, int value)
{
    std::vector<InputAction> out;
    InputAction a;
    if (type == EV_KEY && code == KEY_POWER) {
        if (value == 1) {
            a.kind = InputAction::Power;
            out.push_back(a);
        }
    } else if ((type == EV_KEY && code == kKoboSleepCover) || (type == EV_SW && code == SW_LID)) {
        if (value == 0 || value == 1) {
            a.kind = value ? InputAction::CoverClosed : InputAction::CoverOpened;
            out.push_back(a);
        }
    } else if (type == EV_KEY && code == BTN_TOUCH) {
        (value ? m_pressed : m_released) = true;
    } else if (type == EV_KEY) {
        a.key = qt_key_for_evdev(code);
        if (a.key != 0) {
            a.kind = value ? InputAction::KeyPress : InputAction::KeyRelease;
            a.autoRepeat = value == 2;
            out.push_back(a);
        }
    } else if (type == EV_ABS) {
        switch (code) {
        case ABS_X:
        case ABS_MT_POSITION_X:
            m_x = value;
            m_moved = true;
            break;
        case ABS_Y:
        case ABS_MT_POSITION_Y:
            m_y = value;
            m_moved = true;
            break;
        case ABS_MT_TRACKING_ID:
            (value < 0 ? m_released : m_pressed) = true;
            break;
        case ABS_PRESSURE:
            if (value == 0)
                m_released = true;
            break;
        default:
            break;
        }
    } else if (type == EV_SYN && code == SYN_REPORT) {
        a.pos = screenPoint();
        if (m_pressed && !m_down) {
            a.kind = InputAction::TouchDown;
            m_down = true;
            out.push_back(a);
        } else if (m_moved && m_down && !m_released) {
            a.kind = InputAction::TouchMove;
            out.push_back(a);
        }
        if (m_released && m_down) {
            a.kind = InputAction::TouchUp;
            m_down = false;
            out.push_back(a);
        }
        m_pressed = m_released = m_moved = false;
    }
    return out;
}

QPoint EvdevDecoder::screenPoint() const
{
    int x = m_x;
    int y = m_y;
    int maxX = m_maxX;
    int maxY = m_maxY;
    if (m_transform.swapXY) {
        std::swap(x, y);
        std::swap(maxX, maxY);
    }
    if (m_transform.mirrorX && maxX > 0)
        x = maxX - x;
    if (m_transform.mirrorY && maxY > 0)
        y = maxY - y;
    // Scale a touch grid that differs from the screen's pixels.
    if (maxX > 0 && maxX != m_screen.width() - 1)
        x = static_cast<int>(static_cast<long long>(x) * (m_screen.width() - 1) / maxX);
    if (maxY > 0 && maxY != m_screen.height() - 1)
        y = static_cast<int>(static_cast<long long>(y) * (m_screen.height() - 1) / maxY);
    return QPoint(x, y);
}
