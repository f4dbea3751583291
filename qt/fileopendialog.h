#pragma once

#include "qt/dialog.h"

#include <QString>

class QFileSystemModel;
class QTreeView;

// Picks one file below a folder, filtered by one name pattern ("*.pgn",
// "*.cdb"), starting at the file given as current (the open base) when it
// lies there. Activating a folder only opens it in the tree; the dialog is
// accepted only with a regular file chosen.
class FileOpenDialog : public Dialog {
    Q_OBJECT
public:
    FileOpenDialog(QWidget* parent, const QString& directory, const QString& filter,
                   const QString& current = QString());

    // The chosen absolute path; empty until a file was accepted.
    const QString& path() const { return m_path; }
    QTreeView* view() const { return m_view; }
    QFileSystemModel* model() const { return m_model; }

public slots:
    void accept() override;

private:
    QTreeView* m_view;
    QFileSystemModel* m_model;
    QString m_path;
};
