#include "qt/gamesettingsdialog.h"
#include "ui_gamesettingsdialog.h"

#include "core/configfileabstract.h"
#include "core/trans.h"
#include "qt/dialoglists.h"

GameSettingsDialog::GameSettingsDialog(QWidget* parent)
    : Dialog(parent), m_ui(new Ui::GameSettingsDialog)
{
    m_ui->setupUi(this);
    translateTexts();
    enableKeyNavigation();

    m_ui->cbOpponent->addItems(engine_names());
    m_ui->cbOpponent->setCurrentIndex(g_pConfig->readInt("opponent", 0));

    m_ui->cbLevel->addItems(engine_levels());
    const int level = g_pConfig->readInt("level", 1);
    m_ui->cbLevel->setCurrentIndex(level < 0 ? 0 : level);

    m_ui->cbPromotion->addItems(promotion_pieces());
    m_ui->cbPromotion->setCurrentIndex(g_pConfig->readInt("promotion", 0));

    m_ui->leMyName->setText(
        QString::fromUtf8(g_pConfig->readString("my_name", translated("Human")).c_str()));

    connect(m_ui->btnOk, &QPushButton::clicked, this, &GameSettingsDialog::accept);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &GameSettingsDialog::reject);
    m_ui->cbOpponent->setFocus();
    showFullScreen();
}

GameSettingsDialog::~GameSettingsDialog() = default;

void GameSettingsDialog::accept()
{
    Dialog::accept();
    g_pConfig->writeString("my_name", m_ui->leMyName->text().toUtf8().constData());
    g_pConfig->writeInt("opponent", stored_index(m_ui->cbOpponent));
    g_pConfig->writeInt("level", stored_index(m_ui->cbLevel));
    g_pConfig->writeInt("promotion", stored_index(m_ui->cbPromotion));
}
