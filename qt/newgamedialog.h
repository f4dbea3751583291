#pragma once

#include "game/timecontrol.h"
#include "qt/dialog.h"

#include <memory>
#include <vector>

class QComboBox;
class QSpinBox;

namespace Ui {
class NewGameDialog;
}

// Collects the players of a new game (catalogue indexes, 0 = the human at
// the device), each side's time control (none, a preset such as 5+3, or
// minutes and an increment in seconds) and the game's properties; the main
// window reads them after exec.
class NewGameDialog : public Dialog {
    Q_OBJECT
public:
    NewGameDialog(QWidget* parent, int blackPlayer);
    ~NewGameDialog() override;

    int whitePlayer() const;
    int blackPlayer() const;
    bool fromCurrentPosition() const;
    bool addToBase() const;
    GameTimeControl timeControl() const;

    // The presets of the time-control lists: none first, custom last.
    static const std::vector<TimeControl>& presets();

public slots:
    void onSwap();

private:
    // Minutes and increment fields under a side's list, set from a preset.
    struct ClockFields {
        QComboBox* list = nullptr;
        QSpinBox* minutes = nullptr;
        QSpinBox* increment = nullptr;
    };
    void setUpClock(ClockFields& fields, QComboBox* list, class QGridLayout* layout);
    TimeControl sideControl(const ClockFields& fields) const;

    std::unique_ptr<Ui::NewGameDialog> m_ui;
    ClockFields m_clocks[2];
};
