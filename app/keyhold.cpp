#include "app/keyhold.h"

bool KeyHold::press(bool autoRepeat)
{
    if (autoRepeat)
        return false;
    m_state = Down;
    return true;
}

KeyHold::Action KeyHold::release(bool autoRepeat)
{
    if (autoRepeat)
        return None;
    const State was = m_state;
    m_state = Up;
    return was == Down ? ShortPress : None;
}

KeyHold::Action KeyHold::timeout()
{
    if (m_state != Down)
        return None;
    m_state = Held;
    return Hold;
}
