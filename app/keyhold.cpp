#include "app/keyhold.h"

KeyHold::Step KeyHold::press(bool autoRepeat)
{
    switch (m_state) {
    case Up:
        if (autoRepeat)
            return {};
        m_state = Down;
        return {None, kHoldMs};
    case HeldUp:
        m_state = Held;
        return {None, kStopTimer};
    default:
        return {};
    }
}

KeyHold::Step KeyHold::release(bool autoRepeat)
{
    if (autoRepeat)
        return {};
    switch (m_state) {
    case Down:
        m_state = Up;
        return {ShortPress, kStopTimer};
    case Held:
        m_state = HeldUp;
        return {None, kSettleMs};
    default:
        return {};
    }
}

KeyHold::Step KeyHold::timeout()
{
    switch (m_state) {
    case Down:
        m_state = Held;
        return {Hold, kStopTimer};
    case HeldUp:
        m_state = Up;
        return {};
    default:
        return {};
    }
}
