#pragma once

#include <QAbstractItemModel>

class ChessBase;

// The table of contents of a game base as a one-column tree for the item
// views. An index carries the contents item it stands for; without a base
// the model is empty. The base and its contents must not change while the
// model is in use.
class ChessBaseModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit ChessBaseModel(QObject* parent = nullptr);
    ~ChessBaseModel() override;

    void setBase(const ChessBase* base);

    QModelIndex index(int row, int column, const QModelIndex& parent) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    bool hasChildren(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The entry that covers the base's current game, or an invalid index.
    QModelIndex currentIndex() const;
    // The first game of the entry an index stands for; 0 for an invalid one.
    int gameId(const QModelIndex& index) const;

private:
    const ChessBase* m_base = nullptr;
};
