#pragma once

#include "qt/dialog.h"
#include "ui_gamesettingsdialog.h"

// The game settings: opponent, engine level, promotion piece and the
// player's name. Reads the stored values when built and writes them back
// only when confirmed; the caller applies them.
class GameSettingsDialog : public Dialog {
    Q_OBJECT
public:
    explicit GameSettingsDialog(QWidget* parent = nullptr);

    void accept() override;

    Ui::GameSettingsDialog m_ui;
};
