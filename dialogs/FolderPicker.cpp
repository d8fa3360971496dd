#include "FolderPicker.h"

#include "Replaceable.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

class StandardFolderPicker : public FolderPicker
{
public:
    QString pickFolder(QWidget* owner, const QString& title, const QString& startFolder) override
    {
        return QFileDialog::getExistingDirectory(owner, title, startFolder, QFileDialog::ShowDirsOnly);
    }
};

StandardFolderPicker standardPicker;
Replaceable<FolderPicker> picker(standardPicker);

} // namespace

void setFolderPicker(FolderPicker* replacement)
{
    picker.install(replacement);
}

FolderPicker& folderPicker()
{
    return picker.get();
}

QString StartFolderFor(const QString& typedPath)
{
    if (typedPath.isEmpty() || !QDir::isAbsolutePath(typedPath))
        return {};
    // A destination not made yet still opens next to where it will be.
    QString folder = QDir::cleanPath(typedPath);
    while (!QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            return {};
        folder = parent;
    }
    return folder;
}

QString PickFolder(QWidget* owner, const QString& typedPath)
{
    return folderPicker().pickFolder(owner, LoadStringById(StringId::PickFolderTitle), StartFolderFor(typedPath));
}
