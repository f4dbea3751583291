#pragma once

#include "qt/dialog.h"

class QPushButton;

// The piece a pawn on the last rank becomes: Queen, Rook, Bishop, Knight,
// one button each, Queen preselected. Up and Down walk the buttons, OK or a
// touch picks one, Right takes the one with the focus, Left takes the move
// back.
class PromotionDialog : public Dialog {
    Q_OBJECT
public:
    explicit PromotionDialog(QWidget* parent = nullptr);

    // 0 Queen, 1 Rook, 2 Bishop, 3 Knight; -1 when the dialog was cancelled.
    int choice() const { return result() == QDialog::Accepted ? m_choice : -1; }
    // The piece's button (index as choice()).
    QPushButton* button(int index) const { return m_buttons[index]; }

    void accept() override;

private:
    QPushButton* m_buttons[4];
    int m_choice = 0;
};
