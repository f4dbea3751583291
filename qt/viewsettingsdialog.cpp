#include "qt/viewsettingsdialog.h"
#include "ui_viewsettingsdialog.h"

#include "app/settings.h"
#include "core/configfileabstract.h"
#include "core/trans.h"
#include "qt/dialoglists.h"
#include "views/boardfontfactory.h"

namespace {

// The check boxes and the settings they show.
struct CheckedSetting {
    QCheckBox* Ui::ViewSettingsDialog::*box;
    Settings::Flag flag;
};
const CheckedSetting kChecks[] = {
    {&Ui::ViewSettingsDialog::chkHeader, Settings::Header},
    {&Ui::ViewSettingsDialog::chkBoardAnnotation, Settings::BoardAnnotation},
    {&Ui::ViewSettingsDialog::chkBoardInnerFrame, Settings::BoardInnerFrame},
    {&Ui::ViewSettingsDialog::chkBoardOuterFrame, Settings::BoardOuterFrame},
    {&Ui::ViewSettingsDialog::chkAntialiasing, Settings::BoardFontAntiAliasing},
};

} // namespace

ViewSettingsDialog::ViewSettingsDialog(QWidget* parent)
    : Dialog(parent), m_ui(new Ui::ViewSettingsDialog)
{
    m_ui->setupUi(this);
    translateTexts();
    enableKeyNavigation();

    const Settings settings(g_pConfig);
    m_ui->cbHistorySize->addItems(history_sizes());
    m_ui->cbHistorySize->setCurrentIndex(settings.value(Settings::HistorySize));

    for (const BoardFontDescriptor& font : BoardFontFactory::instance()->fonts())
        m_ui->cbPiecesSet->addItem(QString::fromUtf8(font.name.c_str()));
    m_ui->cbPiecesSet->setCurrentIndex(settings.value(Settings::BoardFont));

    m_ui->cbAutoNextPuzzle->addItems(next_puzzle_delays());
    m_ui->cbAutoNextPuzzle->setCurrentIndex(settings.value(Settings::NextPuzzle));

    if (g_pTrans) {
        for (const Lang& lang : g_pTrans->languages())
            m_ui->cbLanguage->addItem(QString::fromUtf8(lang.name.c_str()));
        m_ui->cbLanguage->setCurrentIndex(static_cast<int>(g_pTrans->current()));
    } else {
        m_ui->cbLanguage->addItem(QStringLiteral("English"));
        m_ui->cbLanguage->setCurrentIndex(0);
    }

    for (const CheckedSetting& check : kChecks)
        ((*m_ui).*check.box)->setChecked(settings.flag(check.flag));

    connect(m_ui->btnOk, &QPushButton::clicked, this, &ViewSettingsDialog::accept);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &ViewSettingsDialog::reject);
    m_ui->cbHistorySize->setFocus();
    showOnScreen();
}

ViewSettingsDialog::~ViewSettingsDialog() = default;

void ViewSettingsDialog::accept()
{
    Dialog::accept();
    Settings settings(g_pConfig);
    settings.setValue(Settings::Lang, stored_index(m_ui->cbLanguage));
    settings.setValue(Settings::HistorySize, stored_index(m_ui->cbHistorySize));
    settings.setValue(Settings::NextPuzzle, stored_index(m_ui->cbAutoNextPuzzle));
    settings.setValue(Settings::BoardFont, stored_index(m_ui->cbPiecesSet));
    for (const CheckedSetting& check : kChecks)
        settings.setFlag(check.flag, ((*m_ui).*check.box)->isChecked());
}
