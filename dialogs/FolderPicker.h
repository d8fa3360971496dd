#pragma once

// The folder picker the dialogs share, behind a small interface so that tests can answer it.

#include <QString>

class QWidget;

class FolderPicker
{
public:
    virtual ~FolderPicker() = default;
    // The full path of the chosen folder, or empty text when the user cancels.
    virtual QString pickFolder(QWidget* owner, const QString& title) = 0;
};

// Installs the picker used from then on (not owned); nullptr restores the standard folder dialog.
void setFolderPicker(FolderPicker* picker);
FolderPicker& folderPicker();

// Asks for a file-system folder, none preselected, under the one title every folder question has; empty
// text when cancelled.
QString PickFolder(QWidget* owner);
