#include "Settings.h"

#include "ProfileStore.h"

#include <QMutex>
#include <QMutexLocker>

qint32 defaultArcType = 0;
qint32 defaultCompLevel = 0;
QString defaultArcLocation;
qint32 minorUpdatedNumber = 0;
qint32 langID = 0;
QString roboPathXP;

namespace {

QMutex pathTo7zExeMutex;
QString pathTo7zExeValue;

} // namespace

QString pathTo7zExe()
{
    QMutexLocker lock(&pathTo7zExeMutex);
    return pathTo7zExeValue;
}

void setPathTo7zExe(const QString& path)
{
    QMutexLocker lock(&pathTo7zExeMutex);
    pathTo7zExeValue = path;
}

void LoadSettings()
{
    ProfileStore& store = *g_profileStore;
    store.SelectSettingsFile();
    defaultArcType = store.ReadProfileInt(QStringLiteral("DefaultArcType"), 1);
    defaultCompLevel = store.ReadProfileInt(QStringLiteral("DefaultCompLevel"), 3);
    defaultArcLocation = store.ReadProfileString(QStringLiteral("DefaultArcLocation"), QString());
    setPathTo7zExe(store.ReadProfileString(QStringLiteral("PathTo7zExe"), kDefaultPathTo7zExe));
    minorUpdatedNumber = store.ReadProfileInt(QStringLiteral("MinorUpdatedNumber"), 10);
    langID = store.ReadProfileInt(QStringLiteral("LangID"), 0);
    roboPathXP = store.ReadProfileString(QStringLiteral("RoboPathXP"), kDefaultRoboPathXP);
}

void SaveSettings()
{
    ProfileStore& store = *g_profileStore;
    store.SelectSettingsFile();
    // One replacement of the file for all seven keys, in the order they are read.
    store.WriteProfileValues({
        {QStringLiteral("DefaultArcType"), QString::number(defaultArcType)},
        {QStringLiteral("DefaultCompLevel"), QString::number(defaultCompLevel)},
        {QStringLiteral("DefaultArcLocation"), defaultArcLocation},
        {QStringLiteral("PathTo7zExe"), pathTo7zExe()},
        {QStringLiteral("MinorUpdatedNumber"), QString::number(minorUpdatedNumber)},
        {QStringLiteral("LangID"), QString::number(langID)},
        {QStringLiteral("RoboPathXP"), roboPathXP},
    });
}
