#pragma once

#include <QAbstractListModel>

#include <cstdint>
#include <vector>

class ChessBase;

// The games of a base as a flat list, one line each: "12. White - Black
// 1-0". A line is read from the base when a view asks for it, so a base of
// millions of rows costs only its row ids. The base must stay open and
// unchanged while the model is in use.
class GameListModel : public QAbstractListModel {
    Q_OBJECT
public:
    GameListModel(ChessBase* base, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The base's current game, or an invalid index.
    QModelIndex currentIndex() const;
    int gameId(const QModelIndex& index) const;

private:
    ChessBase* m_base;
    std::vector<int64_t> m_ids;
};
