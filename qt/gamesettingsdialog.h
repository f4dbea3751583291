#pragma once

#include "qt/dialog.h"

#include <memory>

namespace Ui {
class GameSettingsDialog;
}

// The game settings: opponent, engine level, promotion piece and the
// player's name. Reads the stored values when built and writes them back
// only when confirmed; the caller applies them.
class GameSettingsDialog : public Dialog {
    Q_OBJECT
public:
    explicit GameSettingsDialog(QWidget* parent = nullptr);
    ~GameSettingsDialog() override;

    void accept() override;

private:
    std::unique_ptr<Ui::GameSettingsDialog> m_ui;
};
