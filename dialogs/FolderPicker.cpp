#include "FolderPicker.h"

#include "Replaceable.h"
#include "ResourceIds.h"
#include "StringTable.h"

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

QString PickFolder(QWidget* owner)
{
    return folderPicker().pickFolder(owner, LoadStringById(StringId::PickFolderTitle));
}
