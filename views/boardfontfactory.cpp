#include "views/boardfontfactory.h"

#include "core/configfileabstract.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"
#include "views/bmpboarddisplayer.h"
#include "views/ttfboarddisplayer.h"

#include <QFontDatabase>
#include <QString>

#include <cstdio>
#include <memory>

BoardFontFactory* BoardFontFactory::pFactory = nullptr;

namespace {
constexpr int kMaxFonts = 100;
}

BoardFontFactory* BoardFontFactory::instance()
{
    if (!pFactory)
        pFactory = new BoardFontFactory();
    return pFactory;
}

void BoardFontFactory::init(const ConfigFileAbstract* config)
{
    // Parse into a new list so a bad entry leaves the catalogue as it was.
    std::vector<BoardFontDescriptor> fonts;
    const std::string root = config ? config->getRootPath() : std::string(".");
    for (int i = 0; config && i < kMaxFonts; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "board.font_%02d", i);
        const std::string value = config->readString(key, "");
        if (value.empty())
            break;
        fonts.emplace_back(value, root);
    }
    if (fonts.empty())
        throw Exception(true, "%s", translated("No board fonts found!"));
    instance()->m_fonts = std::move(fonts);
}

void BoardFontFactory::destroy()
{
    delete pFactory;
    pFactory = nullptr;
}

int BoardFontFactory::usableIndex(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_fonts.size())) {
        if (g_pLog)
            g_pLog->write(2, Log::Warning, "Board font %d is not in the list, using font 0", index);
        return 0;
    }
    return index;
}

AbstractBoardDisplayer* BoardFontFactory::createBoardDisplayer(int index, int size,
                                                               bool antialias) const
{
    if (m_fonts.empty())
        throw Exception(true, "%s", translated("No board fonts found!"));
    const BoardFontDescriptor& font = m_fonts[usableIndex(index)];
    std::unique_ptr<AbstractBoardDisplayer> displayer;
    if (font.kind == BoardFontDescriptor::TrueType) {
        displayer =
            std::make_unique<TtfBoardDisplayer>(font.family.c_str(), size, antialias ? 1 : 0);
    } else {
        displayer = std::make_unique<BmpBoardDisplayer>(font.file.c_str(), size);
    }
    return displayer.release();
}

std::vector<int> BoardFontFactory::registerTrueTypeFonts() const
{
    std::vector<int> registered;
    for (const BoardFontDescriptor& font : m_fonts) {
        // Only TrueType sets are fonts; bitmap sets are images.
        if (font.kind != BoardFontDescriptor::TrueType)
            continue;
        if (g_pLog)
            g_pLog->write(2, Log::Info, "Add application font: %s", font.file.c_str());
        const int id = QFontDatabase::addApplicationFont(QString::fromStdString(font.file));
        if (id >= 0)
            registered.push_back(id);
        else if (g_pLog)
            g_pLog->write(1, Log::Warning, "Couldn't register board font: %s", font.file.c_str());
    }
    return registered;
}
