#include "qt/gamesettingsdialog.h"
#include "ui_gamesettingsdialog.h"

#include "app/settings.h"
#include "core/configfileabstract.h"
#include "qt/dialoglists.h"

GameSettingsDialog::GameSettingsDialog(QWidget* parent)
    : Dialog(parent), m_ui(new Ui::GameSettingsDialog)
{
    m_ui->setupUi(this);
    translateTexts();
    enableKeyNavigation();

    const Settings settings(g_pConfig);
    m_ui->cbOpponent->addItems(engine_names());
    m_ui->cbOpponent->setCurrentIndex(settings.value(Settings::Opponent));
    m_ui->cbLevel->addItems(engine_levels());
    m_ui->cbLevel->setCurrentIndex(settings.value(Settings::Level));
    m_ui->cbPromotion->addItems(promotion_pieces());
    m_ui->cbPromotion->setCurrentIndex(settings.value(Settings::Promotion));
    m_ui->leMyName->setText(QString::fromUtf8(settings.myName().c_str()));

    connect(m_ui->btnOk, &QPushButton::clicked, this, &GameSettingsDialog::accept);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &GameSettingsDialog::reject);
    m_ui->cbOpponent->setFocus();
    showOnScreen();
}

GameSettingsDialog::~GameSettingsDialog() = default;

void GameSettingsDialog::accept()
{
    Dialog::accept();
    Settings settings(g_pConfig);
    settings.setMyName(m_ui->leMyName->text().toUtf8().toStdString());
    settings.setValue(Settings::Opponent, stored_index(m_ui->cbOpponent));
    settings.setValue(Settings::Level, stored_index(m_ui->cbLevel));
    settings.setValue(Settings::Promotion, stored_index(m_ui->cbPromotion));
}
