#include "qt/contentsdialog.h"

#include "core/transqt.h"
#include "qt/chessbasemodel.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

ContentsDialog::ContentsDialog(QWidget* parent, const ChessBase* base)
    : Dialog(parent), m_view(new QTreeView(this)), m_model(new ChessBaseModel(this))
{
    m_model->setBase(base);
    m_view->header()->hide();
    m_view->setModel(m_model);
    const QModelIndex current = m_model->currentIndex();
    m_view->setCurrentIndex(current);
    for (QModelIndex up = current.parent(); up.isValid(); up = up.parent())
        m_view->expand(up);
    // Left and Right belong to the dialog, so no key could open a branch:
    // every entry is shown open, and Up and Down reach all of them.
    m_view->expandAll();
    m_view->scrollTo(current);

    QDialogButtonBox* buttons = makeOkCancelButtons();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addWidget(buttons);
    connect(m_view, &QTreeView::activated, this, &ContentsDialog::accept);

    routeArrowKeys(m_view);
    m_view->setFocus();
    showOnScreen();
}

void ContentsDialog::accept()
{
    const QModelIndex index = m_view->currentIndex();
    if (index.isValid())
        m_gameId = m_model->gameId(index);
    Dialog::accept();
}
