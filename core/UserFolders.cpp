#include "UserFolders.h"

#include "BackupSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString standardFolder(QStandardPaths::StandardLocation location)
{
    return QStandardPaths::writableLocation(location);
}

// Firefox keeps its profile list in one of these, depending on how it was installed.
QStringList firefoxFolders()
{
    const QString home = QDir::homePath();
    return {
        home + QStringLiteral("/.mozilla/firefox"),
        home + QStringLiteral("/snap/firefox/common/.mozilla/firefox"),
        home + QStringLiteral("/.var/app/org.mozilla.firefox/.mozilla/firefox"),
    };
}

} // namespace

QString SpecialFolderPath(int csidl)
{
    switch (csidl) {
    case CSIDL_APPDATA:
        return standardFolder(QStandardPaths::GenericConfigLocation);
    case CSIDL_PERSONAL:
        return standardFolder(QStandardPaths::DocumentsLocation);
    case CSIDL_MYPICTURES:
        return standardFolder(QStandardPaths::PicturesLocation);
    case CSIDL_MYMUSIC:
        return standardFolder(QStandardPaths::MusicLocation);
    case CSIDL_DESKTOPDIRECTORY:
        return standardFolder(QStandardPaths::DesktopLocation);
    case CSIDL_FAVORITES:
        return QDir::homePath();
    default:
        return {};
    }
}

QString FirefoxProfileFolder()
{
    QString firefoxFolder;
    for (const QString& folder : firefoxFolders()) {
        if (QFileInfo(folder + QStringLiteral("/profiles.ini")).isFile()) {
            firefoxFolder = folder;
            break;
        }
    }
    if (firefoxFolder.isEmpty())
        return {};
    QFile file(firefoxFolder + QStringLiteral("/profiles.ini"));
    if (!file.open(QIODevice::ReadOnly))
        return {};

    QString result;
    bool insideFirstProfile = false;
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.compare(QLatin1String("[Profile0]"), Qt::CaseInsensitive) == 0) {
            insideFirstProfile = true;
            continue;
        }
        if (!insideFirstProfile)
            continue;
        if (line.contains(QLatin1String("[Profile")))
            break;
        if (line.startsWith(QLatin1String("Path="))) {
            const QString path = line.mid(line.indexOf(QLatin1Char('=')) + 1);
            // A later Path= line of the same section wins, as it would for Firefox.
            result = path.startsWith(kPathSeparator) ? path : firefoxFolder + kPathSeparator + path;
        }
    }
    return result;
}

QString ModuleFolder()
{
    QString folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                  : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString DataFolder(const QString& programFolder)
{
    const QDir installed(programFolder + QStringLiteral(VELMORA_DATA_FROM_BIN));
    return installed.exists() ? QDir::cleanPath(installed.absolutePath()) + QLatin1Char('/') : programFolder;
}

QString DataFolder()
{
    return DataFolder(ModuleFolder());
}

QString ProgramVersion()
{
    return QStringLiteral(VELMORA_VERSION);
}

QString ApplicationId()
{
    return QStringLiteral(VELMORA_APP_ID);
}

QString UserStateFolder()
{
    // Qt 6.4 has no state location; a relative XDG_STATE_HOME is invalid and ignored, as the XDG rules ask.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Quorvane/Velmora");
}
