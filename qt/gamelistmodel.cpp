#include "qt/gamelistmodel.h"

#include "base/chessbase.h"
#include "base/storedrow.h"
#include "game/game.h"

#include <algorithm>

namespace {
QString name_or_mark(const std::string& name)
{
    return name.empty() ? QStringLiteral("?") : QString::fromUtf8(name.c_str());
}
} // namespace

GameListModel::GameListModel(ChessBase* base, QObject* parent)
    : QAbstractListModel(parent), m_base(base),
      m_ids(base ? base->rowIds() : std::vector<int64_t>())
{
}

int GameListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_ids.size());
}

QVariant GameListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount(QModelIndex()))
        return QVariant();
    const int64_t id = m_ids[static_cast<size_t>(index.row())];
    StoredRow row;
    if (!m_base->games().read(id, &row))
        return QString::number(id);
    const GameResult result =
        row.resultValid ? static_cast<GameResult>(row.result) : ResultInProgress;
    return QStringLiteral("%1. %2 - %3  %4")
        .arg(id)
        .arg(name_or_mark(row.texts[GamesTable::ColWhite - GamesTable::ColEvent]),
             name_or_mark(row.texts[GamesTable::ColBlack - GamesTable::ColEvent]),
             QString::fromLatin1(Game::game_result_to_str(result)));
}

QModelIndex GameListModel::currentIndex() const
{
    if (!m_base)
        return QModelIndex();
    const auto at = std::lower_bound(m_ids.begin(), m_ids.end(), m_base->game.id);
    if (at == m_ids.end() || *at != m_base->game.id)
        return QModelIndex();
    return index(static_cast<int>(at - m_ids.begin()), 0);
}

int GameListModel::gameId(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= rowCount(QModelIndex()))
        return 0;
    return static_cast<int>(m_ids[static_cast<size_t>(index.row())]);
}
