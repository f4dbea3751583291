#include "qt/newgamedialog.h"
#include "ui_newgamedialog.h"

#include "core/trans.h"
#include "qt/dialoglists.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

NewGameDialog::NewGameDialog(QWidget* parent, int blackPlayer)
    : Dialog(parent), m_ui(new Ui::NewGameDialog)
{
    m_ui->setupUi(this);
    setUpClock(m_clocks[0], m_ui->cbControlWhite, m_ui->layout_gbWhite);
    setUpClock(m_clocks[1], m_ui->cbControlBlack, m_ui->layout_gbBlack);
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

const std::vector<TimeControl>& NewGameDialog::presets()
{
    static const std::vector<TimeControl> list = {{0, 0},          {300000, 3000}, {600000, 0},
                                                  {900000, 10000}, {1800000, 0},   {3600000, 0},
                                                  {5400000, 30000}};
    return list;
}

void NewGameDialog::setUpClock(ClockFields& fields, QComboBox* list, QGridLayout* layout)
{
    fields.list = list;
    list->setEnabled(true);
    list->addItem(QString::fromUtf8(translated("None")));
    for (size_t i = 1; i < presets().size(); ++i)
        list->addItem(QStringLiteral("%1 + %2")
                          .arg(presets()[i].baseMs / 60000)
                          .arg(presets()[i].incrementMs / 1000));
    list->addItem(QString::fromUtf8(translated("Custom")));

    fields.minutes = new QSpinBox(this);
    fields.minutes->setRange(1, 300);
    fields.minutes->setSuffix(QStringLiteral(" min"));
    fields.increment = new QSpinBox(this);
    fields.increment->setRange(0, 120);
    fields.increment->setSuffix(QStringLiteral(" s"));
    // The custom fields share the list's row and show for "Custom" only, so
    // the dialog keeps its height on a small screen.
    int row = 0;
    int column = 0;
    int rows = 0;
    int columns = 0;
    layout->getItemPosition(layout->indexOf(list), &row, &column, &rows, &columns);
    auto* both = new QHBoxLayout();
    both->addWidget(fields.minutes);
    both->addWidget(fields.increment);
    layout->addLayout(both, row, column + 1);

    // A preset fills the fields; the fields are edited for "Custom" only.
    auto follow = [fields](int index) {
        const bool preset = index >= 0 && static_cast<size_t>(index) < presets().size();
        const bool custom = !preset && index >= 0;
        if (preset && index > 0) {
            fields.minutes->setValue(static_cast<int>(presets()[index].baseMs / 60000));
            fields.increment->setValue(static_cast<int>(presets()[index].incrementMs / 1000));
        }
        fields.minutes->setEnabled(custom);
        fields.increment->setEnabled(custom);
        fields.minutes->setVisible(custom);
        fields.increment->setVisible(custom);
    };
    connect(list, QOverload<int>::of(&QComboBox::currentIndexChanged), this, follow);
    fields.minutes->setValue(5);
    list->setCurrentIndex(0);
    follow(0);
}

TimeControl NewGameDialog::sideControl(const ClockFields& fields) const
{
    if (fields.list->currentIndex() <= 0)
        return TimeControl();
    return TimeControl{fields.minutes->value() * 60000LL, fields.increment->value() * 1000LL};
}

GameTimeControl NewGameDialog::timeControl() const
{
    return {{sideControl(m_clocks[0]), sideControl(m_clocks[1])}};
}
