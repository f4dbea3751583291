#pragma once

#include <QProcess>

#include <unistd.h>

// A child process in a process group of its own, so that stopping it also
// stops what a wrapper script started. Its set-up hook also makes Qt 5 start
// it with a plain fork, which user-mode emulators can run.
class GroupProcess : public QProcess {
public:
    explicit GroupProcess(QObject* parent = nullptr) : QProcess(parent)
    {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
        setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    }

protected:
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    void setupChildProcess() override
    {
        ::setpgid(0, 0);
    }
#endif
};
