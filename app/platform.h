#pragma once

#include "views/rect.h"
#include "views/repainttarget.h"

#include <functional>
#include <string>

// What the controller asks of the window system. The main window implements
// it; tests and benchmarks implement it to record the calls. invalidate
// (from RepaintTarget) asks for a repaint of a screen area.
class Platform : public RepaintTarget {
public:
    enum MessageType {
        MessageInformation = 1,
        MessageQuestion = 2,
        MessageWarning = 3,
        MessageError = 4
    };

    // The screen area the controller lays its views out in.
    virtual Rect getClientRect() const = 0;
    // A message box; with a time-out (in ms, > 0) it closes itself after it.
    virtual void message(MessageType type, const char* title, const char* text,
                         int timeoutMs) const = 0;
    // A question answered with Yes (true) or No; No where nobody can answer.
    virtual bool askYesNo(const char* title, const char* text) const = 0;
    // The piece a pawn on the last rank becomes: 0 Queen, 1 Rook, 2 Bishop,
    // 3 Knight; -1 when the move is taken back. Queen where nobody can answer.
    virtual int askPromotion() const { return 0; }
    // Builds the main menu anew (its texts follow the language).
    virtual void createMainMenu() = 0;
    virtual void showMainMenu() = 0;
    // A full (flashing) refresh of the e-ink panel.
    virtual void fullRefresh() = 0;
    // Runs call delayMs after control is back in the event loop, reporting
    // its errors like any other action.
    virtual void defer(int delayMs, std::function<void()> call) = 0;
    // Runs a call that does not come from the user (an engine's answer)
    // inside the error handler of the user's actions.
    virtual void guard(const std::function<void()>& call) { call(); }
    // Shows a progress text over the window at once; "" hides it.
    virtual void showProgress(const std::string& text) = 0;

protected:
    ~Platform() override = default;
};
