#include "qt/dialog.h"

#include "core/transqt.h"
#include "qt/platform.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

#include <QKeyEvent>

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
        // Cancelled on release, so the release does not reach the window below.
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void Dialog::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        reject();
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

void Dialog::routeArrowKeys(QWidget* widget)
{
    widget->installEventFilter(this);
}

bool Dialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
            keyPressEvent(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
