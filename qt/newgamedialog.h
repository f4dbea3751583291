#pragma once

#include "qt/dialog.h"

#include <memory>

namespace Ui {
class NewGameDialog;
}

// Collects the players of a new game (catalogue indexes, 0 = the human at
// the device) and its properties; the main window reads them after exec.
class NewGameDialog : public Dialog {
    Q_OBJECT
public:
    NewGameDialog(QWidget* parent, int blackPlayer);
    ~NewGameDialog() override;

    int whitePlayer() const;
    int blackPlayer() const;
    bool fromCurrentPosition() const;
    bool addToBase() const;

public slots:
    void onSwap();

private:
    std::unique_ptr<Ui::NewGameDialog> m_ui;
};
