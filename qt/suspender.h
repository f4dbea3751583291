#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <memory>
#include <string>

class QLabel;
class QProcess;
class QWidget;

// Puts the reader to sleep on Power or a closed cover and wakes the screen
// again: the screen shows a note (with a full refresh) while the command
// runs that suspends the device, and the note goes when the command returns,
// on the next Power press or when the cover opens. Without a command the note
// stays until then. The game is left as it was.
class Suspender : public QObject {
public:
    Suspender(std::string command, const QRect& screen, QObject* parent = nullptr);
    ~Suspender() override;

    void powerPressed();
    void coverChanged(bool closed);
    bool isSuspended() const { return m_suspended; }

private:
    void suspend();
    void resume();

    std::string m_command;
    QRect m_screen;
    bool m_suspended = false;
    // Since the suspend command returned: the press that woke the device
    // arrives just after it.
    QElapsedTimer m_woken;
    // The window that had the keys before the note.
    QPointer<QWidget> m_active;
    std::unique_ptr<QLabel> m_note;
    QProcess* m_process;
};
