#include "app/settings.h"
#include "core/configfileqt.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/signalwatcher.h"
#include "core/trans.h"
#include "core/version.h"
#include "qt/application.h"
#include "qt/chessqt.h"
#include "qt/einkrefresh.h"
#include "qt/main/options.h"
#include "qt/main/testinput.h"
#include "qt/platform.h"
#include "qt/reader.h"

#include <QApplication>

#include <cstdio>
#include <memory>

namespace {

void dress_application(const std::string& rootPath)
{
    QFont font = QApplication::font();
    font.setPixelSize(Settings(g_pConfig).value(Settings::FontSizeDefault));
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

} // namespace

int main(int argc, char** argv)
{
    // On a reader the panel is found before Qt chooses its platform.
    Reader reader;
    if (!reader.prepare()) {
        fprintf(stderr, "inkmate: %s\n", reader.error().c_str());
        return 2;
    }
    QApplication app(argc, argv);
    hide_pointer_on_panel();
    StartOptions options = parse_start_options(argc, argv);
    if (reader.onPanel() && !options.windowSize.isValid())
        options.windowSize = reader.screenSize();
    // A terminate or interrupt signal closes the windows through the event
    // loop, so the teardown below stores the game and the settings.
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &app, [] {
        ChessQt::setTerminating();
        QApplication::closeAllWindows();
        QApplication::quit();
    });

    try {
        if (options.rootPath.isEmpty())
            g_pConfig = new ConfigFileQt();
        else
            g_pConfig = new ConfigFileQt(options.rootPath);
        const std::string root = g_pConfig->getRootPath();
        if (root.empty())
            throw Exception(true, "Invalid 'root' parameter");
        const int level = Settings(g_pConfig).value(Settings::LogLevel);
        g_pLog = new Log(root + "/inkmate.log.txt", level, level);
        g_pLog->write(1, Log::Info, "Program started, version: %s.%s", program_version(),
                      program_build_id());

        assemble_services();
        dress_application(root);
        reader.start();

        std::unique_ptr<ChessQt> window = open_main_window(options.windowSize);
        install_test_input(window->controller());
        if (reader.onPanel()) {
            place_on_panel(window.get());
            eink_full_update();
            reader.listen();
        }
        QApplication::exec();
        window.reset();
    } catch (const Exception& e) {
        const char* title = translated("Error");
        messageBox(QMessageBox::Critical, QString::fromUtf8(title), QString::fromUtf8(e.what()),
                   QMessageBox::Ok, nullptr);
    }

    reader.stop();
    EinkRefresh::destroy();
    release_catalogues();
    delete g_pConfig;
    g_pConfig = nullptr;
    release_translations();
    if (g_pLog) {
        g_pLog->write(1, Log::Info, "Program finished");
        delete g_pLog;
        g_pLog = nullptr;
    }
    return 0;
}
