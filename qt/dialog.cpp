#include "qt/dialog.h"

#include "core/transqt.h"
#include "qt/platform.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Dialog::Dialog(QWidget* parent) : QDialog(parent) {}

Dialog::~Dialog()
{
    eink_full_update();
}

void Dialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        reject();
        event->accept();
        return;
    case Qt::Key_Right:
        accept();
        event->accept();
        return;
    case Qt::Key_Escape:
    case Qt::Key_Back:
        // Cancelled on release, so the release does not reach the window
        // below; a Back that closed an open list is not seen here.
        m_backDown = true;
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void Dialog::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Back) {
        if (m_backDown && !event->isAutoRepeat())
            reject();
        m_backDown = false;
        event->accept();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

void Dialog::translateTexts()
{
    setWindowTitle(trans(windowTitle()));
    for (QLabel* label : findChildren<QLabel*>())
        label->setText(trans(label->text()));
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        button->setText(trans(button->text()));
    for (QGroupBox* group : findChildren<QGroupBox*>())
        group->setTitle(trans(group->title()));
}

QDialogButtonBox* Dialog::makeOkCancelButtons()
{
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this);
    // The toolkit's own texts are English (or carry a mnemonic "&").
    buttons->button(QDialogButtonBox::Ok)->setText(trans(QStringLiteral("OK")));
    buttons->button(QDialogButtonBox::Cancel)->setText(trans(QStringLiteral("Cancel")));
    connect(buttons, &QDialogButtonBox::accepted, this, &Dialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &Dialog::reject);
    return buttons;
}

void Dialog::showOnScreen()
{
    for (QLabel* label : findChildren<QLabel*>())
        label->setWordWrap(true);
    for (QComboBox* box : findChildren<QComboBox*>()) {
        // Sized by a few characters, not by its longest item; the open list
        // is as wide as its items (the toolkit keeps it on the screen).
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(4);
        box->view()->setTextElideMode(Qt::ElideRight);
    }
    QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
    if (main && main->isVisible() && !main->isFullScreen()) {
        setGeometry(main->geometry());
        show();
    } else {
        showFullScreen();
    }
}

void Dialog::routeArrowKeys(QWidget* widget)
{
    widget->installEventFilter(this);
}

void Dialog::enableKeyNavigation()
{
    for (QWidget* field : findChildren<QWidget*>()) {
        if (!(field->focusPolicy() & Qt::TabFocus))
            continue;
        if (!qobject_cast<QComboBox*>(field) && !qobject_cast<QAbstractButton*>(field) &&
            !qobject_cast<QLineEdit*>(field))
            continue;
        m_fields << field;
        field->installEventFilter(this);
    }
}

void Dialog::focusNeighbour(QWidget* field, bool next)
{
    // The focus chain of the form, skipping what cannot take the focus now.
    QWidget* w = field;
    for (int i = 0; i < 1000; ++i) {
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w == field)
            return;
        if (m_fields.contains(w) && w->isEnabled() && w->isVisibleTo(this)) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

bool Dialog::navigate(QWidget* field, QKeyEvent* event)
{
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        focusNeighbour(field, event->key() == Qt::Key_Down);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        if (auto* box = qobject_cast<QComboBox*>(field))
            box->showPopup();
        else if (auto* button = qobject_cast<QAbstractButton*>(field))
            button->click();
        else
            accept(); // a text field: the text is done
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (qobject_cast<QLineEdit*>(field))
            return false;
        keyPressEvent(event);
        return true;
    default:
        return false;
    }
}

bool Dialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && m_fields.contains(static_cast<QWidget*>(watched)))
        return navigate(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
            keyPressEvent(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
