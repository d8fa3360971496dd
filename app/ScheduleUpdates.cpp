#include "ScheduleUpdates.h"

#include "ResourceIds.h"
#include "Schedules.h"
#include "SetCollection.h"
#include "StringTable.h"
#include "UserMessages.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QThreadPool>

namespace {

QThreadPool& updateThread()
{
    static QThreadPool* pool = [] {
        auto* threads = new QThreadPool;
        // One at a time, so that an older copy of the sets never lands after a newer one.
        threads->setMaxThreadCount(1);
        return threads;
    }();
    return *pool;
}

bool g_toldNoSystemd = false;

void report(const ScheduleUpdate& update)
{
    if (!update.problems.isEmpty())
        userMessages().showMessage(update.problems.join(QLatin1Char('\n')), UserMessages::Icon::Warning);
    if (update.noSystemd && !update.crontabLines.isEmpty() && !g_toldNoSystemd) {
        g_toldNoSystemd = true;
        userMessages().showMessageWithText(LoadStringById(StringId::NoSystemdUser),
            update.crontabLines.join(QLatin1Char('\n')), UserMessages::Icon::Warning);
    }
}

} // namespace

void UpdateSchedulesInBackground()
{
    QList<BackupSet> sets;
    {
        QMutexLocker lock(&backupSetsMutex());
        sets = backupSets;
    }
    const QString runProgram = VelmoraRunPath();
    updateThread().start([sets, runProgram] {
        const ScheduleUpdate update = UpdateSchedules(sets, runProgram);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [update] { report(update); }, Qt::QueuedConnection);
    });
}

void WaitForScheduleUpdates()
{
    updateThread().waitForDone();
}
