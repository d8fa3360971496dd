#include "FileChooser.h"

#include "Replaceable.h"

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

StandardFileChooser standardChooser;
Replaceable<FileChooser> chooser(standardChooser);

} // namespace

void setFileChooser(FileChooser* replacement)
{
    chooser.install(replacement);
}

FileChooser& fileChooser()
{
    return chooser.get();
}
