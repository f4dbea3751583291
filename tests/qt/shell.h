#pragma once

#include "tests/support/test_support.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class ChessQt;
class QDialog;
class QWidget;

// The program's shell as main assembles it, on a temporary root folder with
// its own configuration, log and data folder. start() and stop() are the
// steps of main around the event loop, so a test can also restart.
class Shell {
public:
    // extraConfig: more "key=value" lines for inkmate.cfg.
    explicit Shell(const std::string& extraConfig = std::string());
    ~Shell();

    void start();
    void stop();
    ChessQt& window() { return *m_window; }
    const testsupport::TempDir& root() const { return m_root; }
    std::string dataPath() const { return m_root.path() + "/chess"; }
    std::string log() const;

    // Presses and releases a key on the window.
    void key(int key);
    // Moves the board cursor to (x, y) with the arrow keys, then presses Return.
    void cursorTo(int x, int y);
    // Plays a move with the keys alone.
    void playByKeys(int fromX, int fromY, int toX, int toY);

private:
    testsupport::TempDir m_root;
    std::unique_ptr<ChessQt> m_window;
    bool m_running = false;
};

// Processes events until done() holds or timeoutMs passed; returns done().
bool wait_until(const std::function<bool()>& done, int timeoutMs = 10000);

// Runs action on the next modal dialog once it is shown (from inside its
// exec). A dialog still open 10 seconds later is rejected, so no test ever
// waits on a box.
void on_next_dialog(const std::function<void(QDialog*)>& action);

enum KeyStroke { KeyPressAndRelease, KeyPressOnly, KeyReleaseOnly };
// Delivers key events to a widget as the keyboard would (autoRepeat marks a
// key that is held down).
void send_key(QWidget* widget, int key, KeyStroke stroke = KeyPressAndRelease,
              bool autoRepeat = false);
// Processes the events that are waiting (a test waits for what it expects
// with wait_until).
void pump();

// Sends a key press and release to the widget that has the focus in window
// (or to window itself).
void press_key(QWidget* window, int key);

// Writes an engine entry's link below the root: "engines/NAME" -> program.
// Returns the catalogue entry, or "" when the program is not installed.
std::string link_engine(const std::string& root, const std::string& kind, const std::string& name,
                        const std::string& program, const std::string& arguments = std::string());

// The widget of a dialog's form with that object name (null when missing).
template <typename Widget> Widget* form(const QObject* dialog, const char* name)
{
    return dialog->findChild<Widget*>(QString::fromLatin1(name));
}
