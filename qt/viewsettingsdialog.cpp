#include "qt/viewsettingsdialog.h"
#include "ui_viewsettingsdialog.h"

#include "core/configfileabstract.h"
#include "core/trans.h"
#include "qt/dialoglists.h"
#include "views/boardfontfactory.h"

namespace {

void check_from(QCheckBox* box, const char* key)
{
    box->setChecked(g_pConfig->readInt(key, 1) != 0);
}

void store_check(const QCheckBox* box, const char* key)
{
    g_pConfig->writeInt(key, box->isChecked() ? 1 : 0);
}

} // namespace

ViewSettingsDialog::ViewSettingsDialog(QWidget* parent)
    : Dialog(parent), m_ui(new Ui::ViewSettingsDialog)
{
    m_ui->setupUi(this);
    translateTexts();
    enableKeyNavigation();

    m_ui->cbHistorySize->addItems(history_sizes());
    m_ui->cbHistorySize->setCurrentIndex(g_pConfig->readInt("history.size", 3));

    for (const BoardFontDescriptor& font : BoardFontFactory::instance()->fonts())
        m_ui->cbPiecesSet->addItem(QString::fromUtf8(font.name.c_str()));
    m_ui->cbPiecesSet->setCurrentIndex(g_pConfig->readInt("board.font", 0));

    m_ui->cbAutoNextPuzzle->addItems(next_puzzle_delays());
    m_ui->cbAutoNextPuzzle->setCurrentIndex(g_pConfig->readInt("next_puzzle", 0));

    if (g_pTrans) {
        for (const Lang& lang : g_pTrans->languages())
            m_ui->cbLanguage->addItem(QString::fromUtf8(lang.name.c_str()));
        m_ui->cbLanguage->setCurrentIndex(static_cast<int>(g_pTrans->current()));
    } else {
        m_ui->cbLanguage->addItem(QStringLiteral("English"));
        m_ui->cbLanguage->setCurrentIndex(0);
    }

    check_from(m_ui->chkHeader, "header");
    check_from(m_ui->chkBoardAnnotation, "board.annotation");
    check_from(m_ui->chkBoardInnerFrame, "board.inner.frame");
    check_from(m_ui->chkBoardOuterFrame, "board.outer.frame");
    check_from(m_ui->chkAntialiasing, "board.font.aa");

    connect(m_ui->btnOk, &QPushButton::clicked, this, &ViewSettingsDialog::accept);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &ViewSettingsDialog::reject);
    m_ui->cbHistorySize->setFocus();
    showFullScreen();
}

ViewSettingsDialog::~ViewSettingsDialog() = default;

void ViewSettingsDialog::accept()
{
    Dialog::accept();
    g_pConfig->writeInt("lang", stored_index(m_ui->cbLanguage));
    store_check(m_ui->chkHeader, "header");
    g_pConfig->writeInt("history.size", stored_index(m_ui->cbHistorySize));
    g_pConfig->writeInt("next_puzzle", stored_index(m_ui->cbAutoNextPuzzle));
    store_check(m_ui->chkBoardAnnotation, "board.annotation");
    store_check(m_ui->chkBoardInnerFrame, "board.inner.frame");
    store_check(m_ui->chkBoardOuterFrame, "board.outer.frame");
    g_pConfig->writeInt("board.font", stored_index(m_ui->cbPiecesSet));
    store_check(m_ui->chkAntialiasing, "board.font.aa");
}
