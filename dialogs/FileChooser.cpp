#include "FileChooser.h"

#include <QFileDialog>

namespace {

class StandardFileChooser : public FileChooser
{
public:
    QString chooseFile(QWidget* owner, const QString& filter) override
    {
        // The open dialog only accepts files that exist; the working folder stays where it was.
        return QFileDialog::getOpenFileName(owner, QString(), QString(), filter);
    }
};

StandardFileChooser standardFileChooser;
FileChooser* installedChooser = nullptr;

} // namespace

void setFileChooser(FileChooser* chooser)
{
    installedChooser = chooser;
}

FileChooser& fileChooser()
{
    return installedChooser ? *installedChooser : standardFileChooser;
}
