#pragma once

// A test with its own home, a source tree, a destination, a record of the program runner's signals, and ways
// to put a stand-in 7-Zip in place of the real one.

#include "JobSignals.h"
#include "Jobs.h"
#include "StoreFixture.h"
#include "ToolLocations.h"
#include "ToolTestSupport.h"

#include <QDateTime>
#include <QDir>

#include <fcntl.h>
#include <sys/stat.h>

class JobFixture : public StoreFixture
{
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        MutableSettings().rsyncPath = QStringLiteral("/usr/bin/rsync");
        SetSevenZipCandidates({});
        recorder.watch(JobRunner::shared());
        source = home.filePath("src");
        destination = home.filePath("My Disk");
        makeTree(source, {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}, {"Новый файл.txt", "gamma"}});
        QDir().mkpath(destination);
    }
    void TearDown() override
    {
        WaitForJobThread();
        SetSevenZipCandidates({});
        StoreFixture::TearDown();
    }

    // The set "Docs" of the fixture's folders, not yet added.
    BackupSet docsSet(qint32 backupType, qint32 arcType = 0) const
    {
        BackupSet set;
        set.name = QStringLiteral("Docs");
        set.arcName = QStringLiteral("docs");
        set.source = source;
        set.target = destination;
        set.backupType = backupType;
        set.arcType = arcType;
        return set;
    }
    quint32 addSet(qint32 backupType, qint32 arcType = 0)
    {
        const quint32 id = AddBackupSet(docsSet(backupType, arcType));
        SaveBackupSet(id);
        return id;
    }
    QString fullArchive() const { return destination + "/docs.7z"; }
    QStringList updateArchives() const
    {
        return QDir(destination).entryList({"docs_upd_*.7z"}, QDir::Files, QDir::Name);
    }
    // A folder's modification time, which QFile cannot set.
    static void setFolderTime(const QString& path, const QDateTime& time)
    {
        const qint64 msecs = time.toMSecsSinceEpoch();
        const struct timespec times[2]
            = {{msecs / 1000, (msecs % 1000) * 1000000}, {msecs / 1000, (msecs % 1000) * 1000000}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0) << path.toStdString();
    }
    // A fake 7zz beside the "program", for failures the real one cannot be made to show.
    void useFake7Zip(const QByteArray& script)
    {
        const QString folder = home.filePath("fakebin");
        writeScript(folder + "/7zz", script);
        SetSevenZipCandidates({folder + "/7zz"});
    }

    JobSignalRecorder recorder;
    QString source;
    QString destination;
};
