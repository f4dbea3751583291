#include "tests/qt/shell.h"

#include "core/configfileqt.h"
#include "core/log.h"
#include "qt/application.h"
#include "qt/chessqt.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

Shell::Shell(const std::string& extraConfig)
{
    // Both board font kinds, from the program's own assets.
    testsupport::writeFile(m_root.file("pieces.png"), testsupport::readFile(testsupport::sourcePath(
                                                          "assets/fonts/inkmate-pieces-75.png")));
    testsupport::writeFile(m_root.file("chess.ttf"), testsupport::readFile(testsupport::sourcePath(
                                                         "assets/fonts/inkmate-chess.ttf")));
    testsupport::writeFile(m_root.file("inkmate.cfg"),
                           "[General]\n"
                           "board.font_00=TTF|Inkmate|Inkmate Chess|chess.ttf\n"
                           "board.font_01=BMP|Pieces|-|pieces.png\n" +
                               extraConfig);
}

Shell::~Shell()
{
    stop();
}

void Shell::start()
{
    ASSERT_FALSE(m_running);
    g_pConfig = new ConfigFileQt(QString::fromStdString(m_root.path()));
    g_pLog = new Log(m_root.file("inkmate.log.txt"), 3, 0);
    m_running = true;
    assemble_services();
    m_window = open_main_window(QSize(600, 800));
    m_window->activateWindow();
    m_window->setFocus();
    QApplication::processEvents();
}

void Shell::stop()
{
    if (!m_running)
        return;
    m_window.reset();
    release_catalogues();
    delete g_pConfig;
    g_pConfig = nullptr;
    release_translations();
    delete g_pLog;
    g_pLog = nullptr;
    m_running = false;
}

std::string Shell::log() const
{
    return testsupport::readFile(m_root.file("inkmate.log.txt"));
}

void Shell::key(int key)
{
    send_key(m_window.get(), key);
}

void Shell::cursorTo(int x, int y)
{
    ChessDocument& document = m_window->controller().document();
    ASSERT_TRUE(document.cursor.isValid());
    // Keys act on the screen; a turned board mirrors both directions.
    const int sign = document.isFlipped() ? -1 : 1;
    for (int i = 0; i < 16 && document.cursor.x != x; ++i)
        key((x - document.cursor.x) * sign > 0 ? Qt::Key_Right : Qt::Key_Left);
    for (int i = 0; i < 16 && document.cursor.y != y; ++i)
        key((y - document.cursor.y) * sign > 0 ? Qt::Key_Up : Qt::Key_Down);
    ASSERT_EQ(document.cursor.x, x);
    ASSERT_EQ(document.cursor.y, y);
    key(Qt::Key_Return);
}

void Shell::playByKeys(int fromX, int fromY, int toX, int toY)
{
    cursorTo(fromX, fromY);
    cursorTo(toX, toY);
}

bool wait_until(const std::function<bool()>& done, int timeoutMs)
{
    return testsupport::waitUntil(done, timeoutMs);
}

namespace {
// The dialog being run: the active modal widget, or (where the platform has
// no window activation) the visible modal dialog on top.
QDialog* shown_dialog()
{
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        return dialog;
    QDialog* found = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog && dialog->isVisible() && dialog->isModal())
            found = dialog;
    }
    return found;
}
} // namespace

void on_next_dialog(const std::function<void(QDialog*)>& action)
{
    auto* poll = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(poll, &QTimer::timeout, [poll, clock, action] {
        QDialog* dialog = shown_dialog();
        if (!dialog && clock->elapsed() < 10000)
            return;
        poll->stop();
        poll->deleteLater();
        delete clock;
        if (!dialog) {
            ADD_FAILURE() << "no dialog was shown";
            return;
        }
        action(dialog);
        // A dialog the action left open is closed later; the test then fails.
        QPointer<QDialog> open(dialog);
        QTimer::singleShot(10000, [open] {
            if (open && open->isVisible()) {
                ADD_FAILURE() << "dialog left open: " << open->objectName().toStdString();
                open->reject();
            }
        });
    });
    poll->start(10);
}

void press_key(QWidget* window, int key)
{
    // The window's focus child, as if the window were active.
    QWidget* target = window->focusWidget();
    if (!target)
        target = window;
    send_key(target, key);
}

std::string link_engine(const std::string& root, const std::string& kind, const std::string& name,
                        const std::string& program, const std::string& arguments)
{
    const std::string path = testsupport::findProgram(program);
    if (path.empty())
        return std::string();
    const std::string folder = root + "/engines";
    QDir().mkpath(QString::fromStdString(folder));
    const std::string link = folder + "/" + program;
    if (symlink(path.c_str(), link.c_str()) != 0)
        return std::string();
    return kind + "|" + name + "|engines/" + program + (arguments.empty() ? "" : " " + arguments);
}

void send_key(QWidget* widget, int key, KeyStroke stroke, bool autoRepeat)
{
    QString text;
    if (key >= 0x20 && key < 0x7f)
        text = QChar(key).toLower();
    else if (key == Qt::Key_Return)
        text = QStringLiteral("\r");
    if (stroke != KeyReleaseOnly) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text, autoRepeat);
        QApplication::sendEvent(widget, &press);
    }
    if (stroke != KeyPressOnly) {
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text, autoRepeat);
        QApplication::sendEvent(widget, &release);
    }
}

void pump()
{
    QCoreApplication::processEvents();
}
