#include "qt/newgamedialog.h"
#include "ui_newgamedialog.h"

#include "qt/dialoglists.h"

NewGameDialog::NewGameDialog(QWidget* parent, int blackPlayer)
    : Dialog(parent), m_ui(new Ui::NewGameDialog)
{
    m_ui->setupUi(this);
    translateTexts();
    enableKeyNavigation();

    for (const QString& name : engine_names()) {
        m_ui->cbPlayerWhite->addItem(name);
        m_ui->cbPlayerBlack->addItem(name);
    }
    m_ui->cbPlayerBlack->setCurrentIndex(blackPlayer);

    connect(m_ui->btnPlay, &QPushButton::clicked, this, &NewGameDialog::accept);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &NewGameDialog::reject);
    connect(m_ui->btnSwap, &QPushButton::clicked, this, &NewGameDialog::onSwap);
    m_ui->cbPlayerWhite->setFocus();
    showOnScreen();
}

NewGameDialog::~NewGameDialog() = default;

bool NewGameDialog::fromCurrentPosition() const
{
    return m_ui->chkCurrPos->isChecked();
}

bool NewGameDialog::addToBase() const
{
    return m_ui->chkAddToBase->isChecked();
}

void NewGameDialog::onSwap()
{
    const int white = m_ui->cbPlayerWhite->currentIndex();
    m_ui->cbPlayerWhite->setCurrentIndex(m_ui->cbPlayerBlack->currentIndex());
    m_ui->cbPlayerBlack->setCurrentIndex(white);
}

int NewGameDialog::whitePlayer() const
{
    return stored_index(m_ui->cbPlayerWhite);
}

int NewGameDialog::blackPlayer() const
{
    return stored_index(m_ui->cbPlayerBlack);
}
