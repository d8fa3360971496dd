#pragma once

// The about box: the program's name, version and the tools it runs.

#include <QDialog>

class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
