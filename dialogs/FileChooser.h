#pragma once

// The open-file chooser, behind a small interface so that tests can answer it.

#include <QString>

class QWidget;

class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // The full path of an existing file the user chose, or empty text when the user cancels.
    virtual QString chooseFile(QWidget* owner, const QString& filter) = 0;
};

// Installs the chooser used from then on (not owned); nullptr restores the standard file dialog.
void setFileChooser(FileChooser* chooser);
FileChooser& fileChooser();
