#pragma once

#include "qt/dialog.h"
#include "ui_newgamedialog.h"

// Collects the players of a new game (catalogue indexes, 0 = the human at
// the device) and its properties; the main window reads them after exec.
class NewGameDialog : public Dialog {
    Q_OBJECT
public:
    NewGameDialog(QWidget* parent, int blackPlayer);

    int whitePlayer() const;
    int blackPlayer() const;
    bool fromCurrentPosition() const { return m_ui.chkCurrPos->isChecked(); }
    bool addToBase() const { return m_ui.chkAddToBase->isChecked(); }

    Ui::NewGameDialog m_ui;

public slots:
    void onSwap();
};
