#include "qt/promotiondialog.h"

#include "core/transqt.h"

#include <QPushButton>
#include <QVBoxLayout>

PromotionDialog::PromotionDialog(QWidget* parent) : Dialog(parent)
{
    setWindowTitle(trans(QStringLiteral("Promotion")));
    auto* layout = new QVBoxLayout(this);
    const char* const names[] = {"Queen", "Rook", "Bishop", "Knight"};
    for (int i = 0; i < 4; ++i) {
        m_buttons[i] = new QPushButton(trans(QString::fromLatin1(names[i])), this);
        m_buttons[i]->setAutoDefault(false);
        layout->addWidget(m_buttons[i]);
        connect(m_buttons[i], &QPushButton::clicked, this, [this, i] {
            m_choice = i;
            QDialog::accept();
        });
    }
    enableKeyNavigation();
    m_buttons[0]->setFocus();
}

void PromotionDialog::accept()
{
    // Right (or any other way to confirm) takes the piece with the focus.
    for (int i = 0; i < 4; ++i)
        if (m_buttons[i]->hasFocus())
            m_choice = i;
    QDialog::accept();
}
