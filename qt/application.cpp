#include "qt/application.h"

#include "app/settings.h"
#include "core/configfileabstract.h"
#include "core/log.h"
#include "core/trans.h"
#include "engine/enginefactory.h"
#include "qt/chessqt.h"
#include "qt/platform.h"
#include "views/boardfontfactory.h"

#include <QDir>

void assemble_services()
{
    g_pTrans = new Trans(g_pConfig);
    g_pTrans->load(static_cast<unsigned>(Settings(g_pConfig).value(Settings::Lang)));

    EngineFactory::instance().init(g_pConfig);
    BoardFontFactory::init(g_pConfig);

    BoardFontFactory::instance()->registerTrueTypeFonts();
}

std::unique_ptr<ChessQt> open_main_window(const QSize& windowSize)
{
    std::unique_ptr<ChessQt> window(new ChessQt(windowSize));
    // The default base lives in the data folder, which a fresh root lacks.
    QDir().mkpath(QString::fromStdString(g_pConfig->getDataPath()));
    // A last base that cannot be opened any more (removed, damaged) is
    // reported and the default base is opened instead.
    ChessController& controller = window->controller();
    // The first start (no base opened before) tells how to reach the menu.
    if (controller.settings().lastOpened().empty())
        controller.document().tip = translated("Menu: hold OK or press the Menu key");
    controller.bases().openBaseOrRestore(controller.bases().defaultBasePath(), std::string());
    controller.onSelectGame();
    eink_full_update();
    return window;
}

void release_catalogues()
{
    EngineFactory::destroy();
    BoardFontFactory::destroy();
}

void release_translations()
{
    delete g_pTrans;
    g_pTrans = nullptr;
}
