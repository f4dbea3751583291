// The table of contents of a game base: reading it into a tree and finding
// the entry that covers a game.
#include "base/chessbase.h"

#include "core/exception.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>

namespace {

int clamp_int(int64_t value)
{
    return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

bool by_parent(const ChessBase::HeaderItem* a, const ChessBase::HeaderItem* b)
{
    if (a->parentId != b->parentId)
        return a->parentId < b->parentId;
    if (a->gameId != b->gameId)
        return a->gameId < b->gameId;
    return a->id < b->id;
}

} // namespace

void ChessBase::resetContents()
{
    contents = HeaderItem();
    items.clear();
}

void ChessBase::readContents()
{
    resetContents();
    SQLiteStatement statement(m_db, "select rowid, gameid, parent, text from contents");
    while (statement.step()) {
        HeaderItem item;
        item.id = clamp_int(statement.columnInt64(0));
        item.gameId = clamp_int(statement.columnInt64(1));
        item.parentId = clamp_int(statement.columnInt64(2));
        item.text = statement.columnText(3);
        items.push_back(std::move(item));
    }
    // Entries starting at the same game keep their order of insertion, so the
    // deepest heading of an import comes last.
    std::sort(items.begin(), items.end(), [](const HeaderItem& a, const HeaderItem& b) {
        return a.gameId != b.gameId ? a.gameId < b.gameId : a.id < b.id;
    });
    std::vector<HeaderItem*> sorted;
    sorted.reserve(items.size());
    for (HeaderItem& item : items)
        sorted.push_back(&item);
    std::sort(sorted.begin(), sorted.end(), by_parent);
    buildContents(&contents, sorted);
}

void ChessBase::buildContents(HeaderItem* item, const std::vector<HeaderItem*>& sorted)
{
    // Iterative, and every entry is placed once at most: a file whose parent
    // links form a cycle or a very deep chain cannot exhaust the stack.
    std::vector<HeaderItem*> pending{item};
    while (!pending.empty()) {
        HeaderItem* owner = pending.back();
        pending.pop_back();
        HeaderItem low;
        low.parentId = owner->id;
        low.gameId = INT_MIN;
        low.id = INT_MIN;
        auto it = std::lower_bound(sorted.begin(), sorted.end(), &low, by_parent);
        for (; it != sorted.end() && (*it)->parentId == owner->id; ++it) {
            HeaderItem* child = *it;
            if (child->parent || child == item)
                continue;
            child->row = static_cast<int>(owner->children.size());
            child->parent = owner;
            owner->children.push_back(child);
            pending.push_back(child);
        }
    }
}

const ChessBase::HeaderItem* ChessBase::getHeader(int gameId) const
{
    if (items.empty())
        return nullptr;
    // The last entry starting at or before the game; the first entry for a
    // game before all of them.
    auto it = std::upper_bound(items.begin(), items.end(), gameId,
                               [](int id, const HeaderItem& item) { return id < item.gameId; });
    if (it == items.begin())
        return &items.front();
    return &*(it - 1);
}

int64_t ChessBase::insertHeader(int parentId, int gameId, const std::string& text)
{
    SQLiteStatement statement(m_db, " insert into contents(parent,gameid,text)  values(?,?,?) ");
    statement.bind(1, parentId);
    statement.bind(2, gameId);
    statement.bind(3, text);
    statement.step();
    return sqlite3_last_insert_rowid(m_db);
}

int ChessBase::headerLevel(const HeaderItem* item)
{
    int level = 0;
    for (; item && item->parent; item = item->parent)
        ++level;
    return level;
}
