#pragma once

// What the files of the restore job share among themselves, and no other file uses: RestoreJob.cpp runs the
// job, RestoreStaging.cpp keeps the staging folder, RestoreExtract.cpp and RestoreMirror.cpp write into it,
// RestoreSwap.cpp puts it over the source and RestorePreview.cpp tells beforehand what that would replace.

#include "EncryptedArchives.h"
#include "RestoreJob.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <ctime>
#include <optional>

namespace RestoreInternal {

// RestoreJobInternal.cpp: paths as the archive names them, the chosen paths, and a tool run under the job's
// control.
JobResult failure(const QString& name, JobOutcome outcome, const QString& reason, int exitCode = 0);
QString systemError();
QByteArray encoded(const QString& path);
bool entryExists(const QString& path);
QString cleanRelative(const QString& path);
bool isWithin(const QString& path, const QStringList& chosen);
bool isAbove(const QString& folder, const QStringList& chosen);
QStringList outermost(const QStringList& paths);
QString pointName(const RestorePoint& point);
QString makePath(const QString& path);
QString parentOf(const QString& relative);

struct ToolRun
{
    std::optional<JobResult> failed;
    int exitCode = 0;
    PasswordTrouble passwordTrouble = PasswordTrouble::None;
    // What the tool wrote, both streams.
    QString output;
};
ToolRun runTool(const Command& command, const JobContext& context, const QString& name, const QString& target);

// RestoreStaging.cpp.
QString writeMarker(const QString& staging);
bool isRestoreFolderName(const QString& name);

// The hidden folder a restore writes into, removed with what it holds unless it was kept as the target.
class Staging
{
public:
    // Beside the target, or inside it when restoring over it.
    Staging(const QString& target, bool inside);
    ~Staging();
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;

    const QString& path() const { return m_path; }
    QString file(const QString& relative) const { return m_path + QLatin1Char('/') + relative; }
    void keep() { m_kept = true; }
    // Takes the marker out, just before the folder becomes the target, and leaves the folder its time.
    void dropMarker() const;

private:
    QString m_path;
    bool m_kept = false;
};

QString placeStaging(const Staging& staged, const QString& target);

// RestoreSwap.cpp.
QString notFolderAbove(const QString& source, const QStringList& paths);

struct SavedTime
{
    QString path;
    struct timespec times[2];
};
std::optional<SavedTime> folderTime(const QString& path);
void putTimeBack(const SavedTime& saved);
QStringList homeTrashPaths();
bool isTrashFolder(const QString& absolute, const QStringList& homeTrash);
QString placeRestored(const RestoreRequest& request, Staging& staging, const QString& target, const QStringList& paths,
    qint64* trashed = nullptr);

// RestoreExtract.cpp and RestoreMirror.cpp: the point's files into the empty staging folder, then put in place.
JobResult restoreArchive(const RestoreRequest& request, const JobContext& context, const QString& target,
    const QStringList& paths, Staging& staging);
JobResult restoreMirror(const RestoreRequest& request, const JobContext& context, const QString& target,
    const QStringList& paths, Staging& staging);

} // namespace RestoreInternal
