#pragma once

#include "qt/dialog.h"

struct PuzzleDashboard;

// The puzzle dashboard of the shown base: its text and the rating's course.
// OK, Left or Right close it.
class DashboardDialog : public Dialog {
    Q_OBJECT
public:
    DashboardDialog(QWidget* parent, const PuzzleDashboard& dashboard);
};
