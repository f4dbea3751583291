#include "qt/fileopendialog.h"

#include "core/transqt.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

FileOpenDialog::FileOpenDialog(QWidget* parent, const QString& directory, const QString& filter,
                               const QString& current)
    : Dialog(parent), m_view(new QTreeView(this)), m_model(new QFileSystemModel(this))
{
    m_model->setNameFilters({filter});
    m_model->setNameFilterDisables(false);
    m_model->setRootPath(directory);

    QDialogButtonBox* buttons = makeOkCancelButtons();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addWidget(buttons);

    m_view->setModel(m_model);
    m_view->setRootIndex(m_model->index(directory));
    m_view->header()->hide();
    for (int column = 1; column <= 3; ++column)
        m_view->hideColumn(column);

    connect(m_view, &QTreeView::activated, this, &FileOpenDialog::accept);

    // The open file is the current entry, selected like the other dialogs'.
    const QModelIndex open =
        current.isEmpty() ? QModelIndex() : m_model->index(QFileInfo(current).absoluteFilePath());
    if (open.isValid()) {
        for (QModelIndex up = open.parent(); up.isValid(); up = up.parent())
            m_view->expand(up);
        m_view->setCurrentIndex(open);
    }

    routeArrowKeys(m_view);
    m_view->setFocus();
    showOnScreen();
    // The folders are read in the background: the open file is brought into
    // view once its folder is there and sorted.
    const QPersistentModelIndex shown(open);
    const auto showOpen = [this, shown] {
        if (shown.isValid())
            m_view->scrollTo(shown, QAbstractItemView::PositionAtCenter);
    };
    connect(m_model, &QFileSystemModel::directoryLoaded, this,
            [showOpen] { QTimer::singleShot(0, showOpen); });
    showOpen();
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
