#pragma once

#include "qt/dialog.h"

class ChessBase;
class ChessBaseModel;
class QTreeView;

// The table of contents of the open game base as a tree; opens with the
// entry covering the current game selected. The result is the first game of
// the chosen entry, 0 when nothing was chosen.
class ContentsDialog : public Dialog {
    Q_OBJECT
public:
    ContentsDialog(QWidget* parent, const ChessBase* base);

    int gameId() const { return m_gameId; }
    QTreeView* view() const { return m_view; }

public slots:
    void accept() override;

private:
    int m_gameId = 0;
    QTreeView* m_view;
    ChessBaseModel* m_model;
};
