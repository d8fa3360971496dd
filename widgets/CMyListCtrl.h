#pragma once

// The list of backup sets: a two-column list whose one addition is the "Task" menu as its context menu.

#include <QTreeWidget>

class QMenu;

class CMyListCtrl : public QTreeWidget
{
    Q_OBJECT

public:
    explicit CMyListCtrl(QWidget* parent = nullptr);

    // The menu shown on a right-click or the menu key; not owned.
    void setContextTaskMenu(QMenu* menu) { m_taskMenu = menu; }
    // Where a context menu asked for from the keyboard opens: just inside the list's top-left corner.
    QPoint keyboardMenuPosition() const;

signals:
    // Emitted with the global point just before the menu is shown.
    void contextMenuAboutToShow(const QPoint& globalPosition);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QMenu* m_taskMenu = nullptr;
};
