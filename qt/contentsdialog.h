#pragma once

#include "qt/dialog.h"

class ChessBase;
class ChessBaseModel;
class GameListModel;
class QTreeView;

// The table of contents of the open game base as a tree, or, for a base
// without headings, the list of its games; opens with the entry covering the
// current game selected. The result is the first game of the chosen entry, 0
// when nothing was chosen.
class ContentsDialog : public Dialog {
    Q_OBJECT
public:
    ContentsDialog(QWidget* parent, ChessBase* base);

    int gameId() const { return m_gameId; }
    QTreeView* view() const { return m_view; }

public slots:
    void accept() override;

private:
    int m_gameId = 0;
    QTreeView* m_view;
    // One of the two: the headings, or the games of a base without them.
    ChessBaseModel* m_contents = nullptr;
    GameListModel* m_games = nullptr;
};
