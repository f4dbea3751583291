#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Asks the e-ink panel for a full, flashing refresh (EinkRefresh). Nothing on
// desktops; the calls are counted so tests can see them.
void eink_full_update();
int eink_full_update_count();

// A modal message box followed by a full refresh; the button chosen. A box
// with a time-out (timeoutMs > 0) closes itself after it, answering
// NoButton. With the environment variable INKMATE_NONINTERACTIVE=1 the title
// and text go to standard error and the call returns NoButton at once.
QMessageBox::StandardButton messageBox(QMessageBox::Icon icon, const QString& title,
                                       const QString& text, QMessageBox::StandardButtons buttons,
                                       QWidget* parent, int timeoutMs = 0);

// The whole text of a style sheet, or "" when the file cannot be opened.
QString readStyleSheet(const QString& fileName);

// True where nobody can answer a modal box (tests, scripted runs).
bool is_noninteractive();

// Hides the pointer on framebuffer platforms; desktops keep theirs.
void hide_pointer_on_panel();
