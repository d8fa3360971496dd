#pragma once

// The folder picker the dialogs share, behind a small interface so that tests can answer it.

#include <QString>

class QWidget;

class FolderPicker
{
public:
    virtual ~FolderPicker() = default;
    // The full path of the chosen folder, or empty text when the user cancels; the picker opens at
    // startFolder, or where it likes when that is empty.
    virtual QString pickFolder(QWidget* owner, const QString& title, const QString& startFolder) = 0;
};

// Installs the picker used from then on (not owned); nullptr restores the standard folder dialog.
void setFolderPicker(FolderPicker* picker);
FolderPicker& folderPicker();

// The folder a picker opens at for a path typed in a field: the path itself when it is a folder, else the
// nearest folder above it that exists; empty for a path that is empty or not absolute.
QString StartFolderFor(const QString& typedPath);

// Asks for a file-system folder under the one title every folder question has, opening at the folder of
// the path already typed (StartFolderFor); empty text when cancelled.
QString PickFolder(QWidget* owner, const QString& typedPath = QString());
