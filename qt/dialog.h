#pragma once

#include <QDialog>

class QDialogButtonBox;

// Base of every dialog of the shell. The reader's keys drive it: Left
// cancels, Right confirms, Escape (Back) cancels when it is released. Inside a text
// field Left and Right move its cursor; Up and Down leave the field and OK
// confirms the dialog. Closing a dialog asks the e-ink panel for a full
// refresh to clear its ghost.
class Dialog : public QDialog {
    Q_OBJECT
public:
    explicit Dialog(QWidget* parent = nullptr);
    ~Dialog() override;

protected:
    // Passes the window title and every label, button and group title
    // through the translation table; called after a form is set up.
    void translateTexts();
    // "OK" and "Cancel", translated, wired to accept() and reject().
    QDialogButtonBox* makeOkCancelButtons();
    // Shows the dialog over the whole screen: full screen, or over the main
    // window when that is a desktop window of a reader's size. Long texts
    // fit a narrow screen: labels wrap, lists are as narrow as the screen
    // needs and open wider than their box.
    void showOnScreen();
    // Lets Left and Right reach the dialog even while a widget that would
    // use them itself (a tree or list view) has the focus.
    void routeArrowKeys(QWidget* widget);
    // Key navigation of a form without a keyboard: Up and Down move the focus
    // between the fields (out of a text field too), OK (Return, Select) opens
    // a list, toggles a box, presses a button or, in a text field, confirms;
    // Left and Right stay the dialog's (but edit a line).
    void enableKeyNavigation();

    bool eventFilter(QObject* watched, QEvent* event) override;

    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    bool navigate(QWidget* field, QKeyEvent* event);
    void focusNeighbour(QWidget* field, bool next);

    QList<QWidget*> m_fields;
    // Escape or Back went down in the dialog itself (not in an open list).
    bool m_backDown = false;
};
