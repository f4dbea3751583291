#include "core/configfileqt.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/signalwatcher.h"
#include "core/trans.h"
#include "core/version.h"
#include "qt/main/options.h"
#include "qt/platform.h"

#include <QApplication>
#include <QWidget>

#include <memory>

namespace {

void dress_application(const std::string& rootPath)
{
    QFont font = QApplication::font();
    font.setPixelSize(g_pConfig->readInt("font_size_default", 25));
    QApplication::setFont(font);

    QPalette palette = QApplication::palette();
    palette.setBrush(QPalette::All, QPalette::Window, QBrush(Qt::white, Qt::SolidPattern));
    palette.setBrush(QPalette::All, QPalette::Highlight, QBrush(Qt::black, Qt::SolidPattern));
    QApplication::setPalette(palette);

    const QString sheet =
        readStyleSheet(QString::fromUtf8(rootPath.c_str()) + QStringLiteral("/default.qss"));
    if (!sheet.isEmpty())
        qApp->setStyleSheet(sheet);
}

void show_window(QWidget& window, const StartOptions& options)
{
    if (options.windowSize.isValid()) {
        window.setFixedSize(options.windowSize);
        window.show();
    } else {
        window.showFullScreen();
    }
    eink_full_update();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    hide_pointer_on_panel();
    const StartOptions options = parse_start_options(argc, argv);
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &app, &QApplication::quit);

    try {
        if (options.rootPath.isEmpty())
            g_pConfig = new ConfigFileQt();
        else
            g_pConfig = new ConfigFileQt(options.rootPath);
        const std::string root = g_pConfig->getRootPath();
        if (root.empty())
            throw Exception(true, "Invalid 'root' parameter");
        const int level = g_pConfig->readInt("log_level", 2);
        g_pLog = new Log(root + "/inkmate.log.txt", level, level);
        g_pLog->write(1, Log::Info, "Program started, version: %s.%s", program_version(),
                      program_build_id());

        dress_application(root);

        std::unique_ptr<QWidget> window(new QWidget);
        show_window(*window, options);
        QApplication::exec();
    } catch (const Exception& e) {
        const char* title = translated("Error");
        messageBox(QMessageBox::Critical, QString::fromUtf8(title), QString::fromUtf8(e.what()),
                   QMessageBox::Ok, nullptr);
    }

    delete g_pConfig;
    g_pConfig = nullptr;
    if (g_pLog) {
        g_pLog->write(1, Log::Info, "Program finished");
        delete g_pLog;
        g_pLog = nullptr;
    }
    return 0;
}
