#include "qt/platform.h"

#include "qt/einkrefresh.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QTimer>

#include <cstdio>

namespace {
int g_fullUpdates = 0;
}

void eink_full_update()
{
    ++g_fullUpdates;
    if (EinkRefresh* panel = EinkRefresh::instance())
        panel->requestFull();
}

int eink_full_update_count()
{
    return g_fullUpdates;
}

bool is_noninteractive()
{
    return qEnvironmentVariableIntValue("INKMATE_NONINTERACTIVE") == 1;
}

QMessageBox::StandardButton messageBox(QMessageBox::Icon icon, const QString& title,
                                       const QString& text, QMessageBox::StandardButtons buttons,
                                       QWidget* parent, int timeoutMs)
{
    if (is_noninteractive()) {
        fprintf(stderr, "%s: %s\n", title.toUtf8().constData(), text.toUtf8().constData());
        fflush(stderr);
        eink_full_update();
        return QMessageBox::NoButton;
    }
    QMessageBox box(icon, title, text, buttons, parent,
                    Qt::WindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint));
    bool timedOut = false;
    QTimer timeout;
    if (timeoutMs > 0) {
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &box, [&box, &timedOut] {
            timedOut = true;
            box.done(QMessageBox::NoButton);
        });
        timeout.start(timeoutMs);
    }
    const int chosen = box.exec();
    eink_full_update();
    return timedOut ? QMessageBox::NoButton : static_cast<QMessageBox::StandardButton>(chosen);
}

QString readStyleSheet(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QString result;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        const int nul = line.indexOf('\0');
        if (nul >= 0)
            line.truncate(nul);
        result += QString::fromLatin1(line);
    }
    return result;
}

void hide_pointer_on_panel()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("linuxfb") || platform == QLatin1String("eglfs"))
        QApplication::setOverrideCursor(Qt::BlankCursor);
}
