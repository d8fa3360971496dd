#include "ShowHelp.h"

#include "ResourceIds.h"
#include "Settings.h"
#include "StringTable.h"
#include "UserFolders.h"
#include "UserMessages.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace {

UrlOpener& urlOpener()
{
    static UrlOpener opener;
    return opener;
}

} // namespace

QString HelpPagePath(const QString& dataFolder)
{
    // The page follows languageId as it is now, also when the language was switched during this run.
    const QString page = Settings().languageId == 1 ? QStringLiteral("help_ru.html") : QStringLiteral("help_en.html");
    return dataFolder + QStringLiteral("help/") + page;
}

QString HelpPagePath()
{
    return HelpPagePath(DataFolder());
}

void ShowHelp(const QString& dataFolder)
{
    const QString page = HelpPagePath(dataFolder);
    // Without the page a browser would only show an error of its own; the command then does nothing visible.
    if (!QFileInfo(page).isFile())
        return;
    OpenLocalPath(page);
}

void ShowHelp()
{
    ShowHelp(DataFolder());
}

void setUrlOpener(UrlOpener opener)
{
    urlOpener() = std::move(opener);
}

bool OpenUrl(const QUrl& url)
{
    if (urlOpener())
        return urlOpener()(url);
    return QDesktopServices::openUrl(url);
}

bool OpenLocalPath(const QString& path)
{
    if (OpenUrl(QUrl::fromLocalFile(path)))
        return true;
    userMessages().showMessage(LoadStringById(StringId::NothingOpens).arg(path), UserMessages::Icon::Warning);
    return false;
}
