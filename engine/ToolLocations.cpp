#include "ToolLocations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex moduleFolderMutex;
QString moduleFolderOverride;

} // namespace

void OverrideModuleFolder(const QString& folder)
{
    QMutexLocker lock(&moduleFolderMutex);
    moduleFolderOverride = folder;
}

QString ModuleFolder()
{
    {
        QMutexLocker lock(&moduleFolderMutex);
        if (!moduleFolderOverride.isEmpty())
            return moduleFolderOverride;
    }
    QString folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                  : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
