#pragma once

#include "qt/dialog.h"
#include "ui_viewsettingsdialog.h"

// The display settings: move list size, board font, automatic next puzzle,
// language and the board's decorations. Writes them back only when confirmed.
class ViewSettingsDialog : public Dialog {
    Q_OBJECT
public:
    explicit ViewSettingsDialog(QWidget* parent = nullptr);

    void accept() override;

    Ui::ViewSettingsDialog m_ui;
};
