#pragma once

// The program's only top-level window: the list of backup sets.

#include <QDialog>

class QListWidget;

class CMyVelmoraDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CMyVelmoraDlg(QWidget* parent = nullptr);

    void FillSetList();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Esc never closes the window.
    void reject() override {}

private:
    QListWidget* m_list;
};

// Saves every set and the settings, then frees the profile store: the last thing the window does.
void SaveAllAndFreeStore();
