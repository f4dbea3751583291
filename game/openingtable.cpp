#include "game/openingtable.h"

#include "core/exception.h"
#include "game/game.h"
#include "game/pgnmove.h"

#include <fstream>

namespace {
std::string tag_value(const Game& game, const char* name)
{
    const auto found = game.headers.find(name);
    return found == game.headers.end() ? std::string() : found->second;
}
} // namespace

std::string OpeningTable::key(const Board& position)
{
    // Placement, side to move and castling: the first three FEN fields.
    std::string fen = position.exportToFEN();
    size_t end = fen.find(' ');
    for (int field = 1; field < 3 && end != std::string::npos; ++field)
        end = fen.find(' ', end + 1);
    return end == std::string::npos ? fen : fen.substr(0, end);
}

size_t OpeningTable::load(std::istream& in)
{
    Game line;
    for (;;) {
        try {
            if (!line.load(in))
                break;
            const std::string eco = tag_value(line, "ECO");
            std::string name = tag_value(line, "Opening");
            if (eco.empty() || name.empty())
                continue;
            for (const char* more : {"Variation", "SubVariation"}) {
                const std::string part = tag_value(line, more);
                if (!part.empty())
                    name += ", " + part;
            }
            line.open();
            const PGNMove* node = line.root;
            while (const PGNMove* next = node->findNextMove())
                node = next;
            // A later line of the same position does not rename it.
            m_names.emplace(key(node->boardAfter()), OpeningName{eco, name});
            line.close(false);
        } catch (const Exception&) {
            line.close(false);
        }
    }
    return m_names.size();
}

bool OpeningTable::loadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in)
        return false;
    load(in);
    return true;
}

std::string OpeningTable::locate(const std::string& folder)
{
    for (const std::string& path :
         {folder + "/openings/eco.pgn", std::string("/usr/share/pgn-extract/eco.pgn")}) {
        if (std::ifstream(path))
            return path;
    }
    return std::string();
}

const OpeningName* OpeningTable::find(const Board& position) const
{
    const auto found = m_names.find(key(position));
    return found == m_names.end() ? nullptr : &found->second;
}

const OpeningName* OpeningTable::find(const PGNMove* node) const
{
    for (; node != nullptr; node = node->parent) {
        if (const OpeningName* name = find(node->boardAfter()))
            return name;
    }
    return nullptr;
}

const OpeningName* OpeningTable::find(const Game& game) const
{
    if (m_names.empty())
        return nullptr;
    if (game.isOpen()) {
        const PGNMove* node = game.root;
        while (const PGNMove* next = node->findNextMove())
            node = next;
        return find(node);
    }
    Game copy(game);
    try {
        copy.open();
    } catch (const Exception&) {
        copy.close(false);
        return nullptr;
    }
    const PGNMove* node = copy.root;
    while (const PGNMove* next = node->findNextMove())
        node = next;
    const OpeningName* name = find(node);
    copy.close(false);
    return name;
}

bool OpeningTable::tag(Game& game) const
{
    if (!tag_value(game, "ECO").empty() || !tag_value(game, "Opening").empty())
        return false;
    const OpeningName* name = find(game);
    if (name == nullptr)
        return false;
    game.headers["ECO"] = name->eco;
    game.headers["Opening"] = name->name;
    return true;
}
