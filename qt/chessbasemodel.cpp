#include "qt/chessbasemodel.h"

#include "base/chessbase.h"

namespace {
using Item = ChessBase::HeaderItem;

const Item* item_of(const QModelIndex& index)
{
    return static_cast<const Item*>(index.internalPointer());
}
} // namespace

ChessBaseModel::ChessBaseModel(QObject* parent) : QAbstractItemModel(parent) {}

ChessBaseModel::~ChessBaseModel() = default;

void ChessBaseModel::setBase(const ChessBase* base)
{
    beginResetModel();
    m_base = base;
    endResetModel();
}

QModelIndex ChessBaseModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!m_base || column != 0 || row < 0)
        return QModelIndex();
    const Item* owner = parent.isValid() ? item_of(parent) : &m_base->contents;
    if (static_cast<size_t>(row) >= owner->children.size())
        return QModelIndex();
    return createIndex(row, 0, owner->children[static_cast<size_t>(row)]);
}

QModelIndex ChessBaseModel::parent(const QModelIndex& index) const
{
    if (!m_base || !index.isValid())
        return QModelIndex();
    const Item* owner = item_of(index)->parent;
    if (!owner || owner == &m_base->contents)
        return QModelIndex();
    return createIndex(owner->row, 0, const_cast<Item*>(owner));
}

int ChessBaseModel::rowCount(const QModelIndex& parent) const
{
    if (!m_base || parent.column() > 0)
        return 0;
    const Item* owner = parent.isValid() ? item_of(parent) : &m_base->contents;
    return static_cast<int>(owner->children.size());
}

int ChessBaseModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool ChessBaseModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant ChessBaseModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return QVariant();
    return QString::fromUtf8(item_of(index)->text.c_str());
}

QModelIndex ChessBaseModel::currentIndex() const
{
    if (!m_base)
        return QModelIndex();
    const Item* item = m_base->getHeader(m_base->game.id);
    // Entries outside the tree (a parent that names no entry) have no index.
    if (!item || !item->parent)
        return QModelIndex();
    return createIndex(item->row, 0, const_cast<Item*>(item));
}

int ChessBaseModel::gameId(const QModelIndex& index) const
{
    return index.isValid() ? item_of(index)->gameId : 0;
}
