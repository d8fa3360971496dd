#include "CMyListCtrl.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>

CMyListCtrl::CMyListCtrl(QWidget* parent)
    : QTreeWidget(parent)
{
    setColumnCount(2);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSortingEnabled(true);
    sortByColumn(0, Qt::AscendingOrder);
    // Rows stay in name order; the headers only label the columns.
    header()->setSectionsClickable(false);
    header()->setSortIndicatorShown(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    // The selection stays visible when the list loses the focus to a button.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(
        QPalette::Inactive, QPalette::HighlightedText, colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
}

QPoint CMyListCtrl::keyboardMenuPosition() const
{
    return viewport()->mapToGlobal(QPoint(5, 5));
}

void CMyListCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_taskMenu)
        return;
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? keyboardMenuPosition() : event->globalPos();
    emit contextMenuAboutToShow(at);
    m_taskMenu->exec(at);
    event->accept();
}
