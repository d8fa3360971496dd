#include "FolderPicker.h"

#include <QFileDialog>

namespace {

class StandardFolderPicker : public FolderPicker
{
public:
    QString pickFolder(QWidget* owner, const QString& title) override
    {
        return QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
    }
};

StandardFolderPicker standardFolderPicker;
FolderPicker* installedPicker = nullptr;

} // namespace

void setFolderPicker(FolderPicker* picker)
{
    installedPicker = picker;
}

FolderPicker& folderPicker()
{
    return installedPicker ? *installedPicker : standardFolderPicker;
}

QString PickDirectory(const QString& title, QWidget* owner)
{
    return folderPicker().pickFolder(owner, title);
}
