#pragma once

#include "qt/dialog.h"

#include <memory>

namespace Ui {
class ViewSettingsDialog;
}

// The display settings: move list size, board font, automatic next puzzle,
// language and the board's decorations. Writes them back only when confirmed.
class ViewSettingsDialog : public Dialog {
    Q_OBJECT
public:
    explicit ViewSettingsDialog(QWidget* parent = nullptr);
    ~ViewSettingsDialog() override;

    void accept() override;

private:
    std::unique_ptr<Ui::ViewSettingsDialog> m_ui;
};
