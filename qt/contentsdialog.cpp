#include "qt/contentsdialog.h"

#include "base/chessbase.h"
#include "core/transqt.h"
#include "qt/chessbasemodel.h"
#include "qt/gamelistmodel.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

ContentsDialog::ContentsDialog(QWidget* parent, ChessBase* base)
    : Dialog(parent), m_view(new QTreeView(this))
{
    m_view->header()->hide();
    QModelIndex current;
    if (base && base->contents.children.empty()) {
        m_games = new GameListModel(base, this);
        // Rows of one height: the view asks only for the lines it shows.
        m_view->setUniformRowHeights(true);
        m_view->setRootIsDecorated(false);
        m_view->setModel(m_games);
        current = m_games->currentIndex();
        if (!current.isValid())
            current = m_games->index(0, 0);
    } else {
        m_contents = new ChessBaseModel(this);
        m_contents->setBase(base);
        m_view->setModel(m_contents);
        current = m_contents->currentIndex();
        // Left and Right belong to the dialog, so no key could open a
        // branch: every entry is shown open, and Up and Down reach all.
        m_view->expandAll();
    }
    m_view->setCurrentIndex(current);

    QDialogButtonBox* buttons = makeOkCancelButtons();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addWidget(buttons);
    connect(m_view, &QTreeView::activated, this, &ContentsDialog::accept);

    routeArrowKeys(m_view);
    m_view->setFocus();
    showOnScreen();
    m_view->scrollTo(current, QAbstractItemView::PositionAtCenter);
}

void ContentsDialog::accept()
{
    const QModelIndex index = m_view->currentIndex();
    if (index.isValid())
        m_gameId = m_games ? m_games->gameId(index) : m_contents->gameId(index);
    Dialog::accept();
}
