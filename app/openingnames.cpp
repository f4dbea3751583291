#include "app/openingnames.h"

#include "app/chesscontroller.h"
#include "game/game.h"

OpeningNames::OpeningNames(ChessController& controller) : m_controller(controller) {}

const OpeningTable& OpeningNames::table()
{
    if (!m_loaded) {
        m_loaded = true;
        const std::string path = OpeningTable::locate(m_controller.settings().rootPath());
        if (path.empty() || !m_table.loadFile(path))
            log_info("No table of opening names");
        else
            log_info("%zu opening names from %s", m_table.size(), path.c_str());
    }
    return m_table;
}

void OpeningNames::refresh()
{
    ChessDocument& document = m_controller.document();
    const PGNMove* node = document.currentNode();
    std::string text;
    if (node != nullptr && !document.isPuzzle()) {
        if (const OpeningName* name = table().find(node))
            text = name->eco + " " + name->name;
    }
    document.opening = text;
}

bool OpeningNames::tag(Game& game)
{
    return !(game.flags & Game::FlagPuzzle) && table().tag(game);
}
