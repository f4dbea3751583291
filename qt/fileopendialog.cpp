#include "qt/fileopendialog.h"

#include "core/transqt.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

FileOpenDialog::FileOpenDialog(QWidget* parent, const QString& directory, const QString& filter)
    : Dialog(parent), m_view(new QTreeView(this)), m_model(new QFileSystemModel(this))
{
    m_model->setNameFilters({filter});
    m_model->setNameFilterDisables(false);
    m_model->setRootPath(directory);

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addWidget(buttons);

    m_view->setModel(m_model);
    m_view->setRootIndex(m_model->index(directory));
    m_view->header()->hide();
    for (int column = 1; column <= 3; ++column)
        m_view->hideColumn(column);

    connect(buttons, &QDialogButtonBox::accepted, this, &FileOpenDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FileOpenDialog::reject);
    connect(m_view, &QTreeView::activated, this, &FileOpenDialog::accept);

    routeArrowKeys(m_view);
    m_view->setFocus();
    showFullScreen();
}

void FileOpenDialog::accept()
{
    const QModelIndex index = m_view->currentIndex();
    if (!index.isValid())
        return;
    const QFileInfo info(m_model->filePath(index));
    if (!info.isFile()) {
        // A folder opens in the tree; the dialog stays.
        m_view->expand(index);
        return;
    }
    m_path = info.absoluteFilePath();
    Dialog::accept();
}
