#pragma once

// Tells a short press of a key from a held one, by time. A short press acts
// on its release; a key still down after kHoldMs is held: that opens the menu
// and nothing else. Key drivers repeat a held key in three ways: presses and
// releases flagged as repeats, plain press and release pairs, or nothing;
// once the key is held every event of it is part of the hold until its real
// release, the last release not followed by a press within kSettleMs. A
// release without its own press (the press went to a dialog) does nothing.
//
// The owner runs one timer: each call says whether to start it (with that
// delay), stop it or leave it, and timeout() is called when it fires.
class KeyHold {
public:
    enum Action { None, ShortPress, Hold };
    // Timer instructions beside a delay in ms.
    static constexpr int kLeaveTimer = -1;
    static constexpr int kStopTimer = -2;

    static constexpr int kHoldMs = 500;
    // Longer than the gap between a driver's repeated release and press.
    static constexpr int kSettleMs = 150;

    struct Step {
        Action action = None;
        int timer = kLeaveTimer;
    };

    Step press(bool autoRepeat);
    Step release(bool autoRepeat);
    Step timeout();
    // Held and not yet really released: its events belong to the hold.
    bool isHeld() const { return m_state == Held || m_state == HeldUp; }

private:
    // HeldUp: released after a hold; a press within kSettleMs is a repeat.
    enum State { Up, Down, Held, HeldUp };
    State m_state = Up;
};
