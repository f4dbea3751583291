#pragma once

// Tells a short press of a key from a held one, by time. The owner starts a
// timer of kHoldMs when press() asks for it and calls timeout() when it
// fires: a key still down then is held; a key released before is a short
// press, which acts on its release. Auto-repeated presses and releases (sent
// by some key drivers while a key is down) never act, and a release without
// its own press (the press went to a dialog or menu) does nothing.
class KeyHold {
public:
    enum Action { None, ShortPress, Hold };

    static constexpr int kHoldMs = 500;

    // True when the hold timer is to be (re)started.
    bool press(bool autoRepeat);
    Action release(bool autoRepeat);
    Action timeout();

private:
    enum State { Up, Down, Held };
    State m_state = Up;
};
