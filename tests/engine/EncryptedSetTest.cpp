// Encrypted sets with the real 7zz: chains backed up and restored as of every point, the password kept off
// command lines, logs and texts, and a wrong or missing password that changes nothing.

#include "ArchiveCommand.h"
#include "ArchivePasswords.h"
#include "ArchiveTest.h"
#include "JobFixture.h"
#include "JobRunner.h"
#include "ResourceIds.h"
#include "RestoreJob.h"
#include "RestorePoints.h"
#include "RunLogs.h"
#include "SetCollection.h"
#include "Settings.h"
#include "StringTable.h"

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <unistd.h>

namespace {

// 7-Zip takes only ASCII passwords for zip archives: the zip sets get kZipPassword.
const QString kPassword = QStringLiteral("ключ с пробелом 42");
const QString kWrong = QStringLiteral("ключ с пробелом 43");
const QString kZipPassword = QStringLiteral("key with blank 42");
const QString kZipWrong = QStringLiteral("key with blank 43");

// "7zz l" as anyone holding the disk would run it: no password, nothing to answer a question with.
QString listedWithoutPassword(const QString& archive)
{
    QProcess list;
    list.setStandardInputFile(QProcess::nullDevice());
    list.start("7zz", {"l", "-slt", archive});
    list.waitForFinished(-1);
    return QString::fromUtf8(list.readAllStandardOutput() + list.readAllStandardError());
}

// The command lines of this process's children, read from /proc while they run.
class ChildWatcher
{
public:
    ChildWatcher()
        : m_thread([this] { watch(); })
    {
    }
    ~ChildWatcher() { stop(); }
    QStringList stop()
    {
        m_done = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_seen;
    }

private:
    void watch()
    {
        const QByteArray self = QByteArray::number(qint64(::getpid()));
        while (!m_done) {
            for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
                QFile stat("/proc/" + pid + "/stat");
                if (!stat.open(QIODevice::ReadOnly))
                    continue;
                const QByteArray text = stat.readAll();
                // "PID (NAME) STATE PPID ...": the name may hold blanks, the fields after it never do.
                const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
                if (fields.size() < 2 || fields.at(1) != self)
                    continue;
                QFile cmdline("/proc/" + pid + "/cmdline");
                if (cmdline.open(QIODevice::ReadOnly)) {
                    const QString line = QString::fromUtf8(cmdline.readAll().replace('\0', ' '));
                    if (!line.isEmpty() && !m_seen.contains(line))
                        m_seen.append(line);
                }
            }
            QThread::usleep(500);
        }
    }

    std::atomic<bool> m_done {false};
    QStringList m_seen;
    std::thread m_thread;
};

class EncryptedSetTest : public JobFixture
{
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        m_savedChainLength = Settings().chainLength;
        MutableSettings().chainLength = 50;
        SetSevenZipCandidates({"/usr/bin/7zz"});
    }
    void TearDown() override
    {
        ForgetArchivePasswords();
        MutableSettings().chainLength = m_savedChainLength;
        JobFixture::TearDown();
    }

    quint32 addEncrypted(qint32 backupType, qint32 arcType = 0)
    {
        const quint32 id = AddBackupSet(docsSet(backupType, arcType));
        // Made first and marked encrypted after, as the properties dialog does.
        BackupSet set = setOf(id);
        set.encrypt = true;
        EXPECT_TRUE(UpdateBackupSet(set));
        SaveBackupSet(id);
        SetArchivePassword(id, arcType == 0 ? kPassword : kZipPassword);
        return id;
    }
    BackupSet setOf(quint32 id)
    {
        BackupSet set;
        EXPECT_TRUE(GetBackupSet(id, set));
        return set;
    }
    QString archiveOf(qint32 arcType) const { return destination + (arcType == 0 ? "/docs.7z" : "/docs.zip"); }
    QStringList chainFiles() const { return QDir(destination).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    // Every file of the destination with its bytes.
    QMap<QString, QByteArray> destinationBytes() const { return treeContents(destination); }

    qint32 m_savedChainLength = 0;
};

} // namespace

TEST_F(EncryptedSetTest, ChainsOfBothTypesComeBackAsOfEveryPointAndHideWhatTheyMay)
{
    for (const qint32 arcType : {0, 1}) {
        SCOPED_TRACE(arcType == 0 ? "7z" : "zip");
        QDir(destination).removeRecursively();
        QDir().mkpath(destination);
        QDir(source).removeRecursively();
        makeTree(source, {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}, {"Новый файл.txt", "gamma"}});
        const quint32 id = addEncrypted(IncrementalArchiving, arcType);
        QList<QMap<QString, QByteArray>> states;
        // A zip update archive cannot mark a deletion: its chain only changes and adds.
        const QList<std::function<void()>> changes {
            [] {},
            [&] {
                writeFile(source + "/a.txt", "alpha, longer now");
                if (arcType == 0)
                    QFile::remove(source + "/sub/b.txt");
                writeFile(source + "/c.txt", "new");
            },
            [&] {
                writeFile(source + "/Новый файл.txt", "gamma, changed");
                if (arcType == 0)
                    QFile::remove(source + "/c.txt");
            },
        };
        for (const auto& change : changes) {
            change();
            states.prepend(treeContents(source));
            const JobResult result = RunSetJob(id);
            ASSERT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
            waitForNextSecond();
        }
        const BackupSet set = setOf(id);
        QString error;
        const QList<RestorePoint> points = RestorePointsOf(set, &error);
        ASSERT_EQ(points.size(), 3) << error.toStdString();
        for (int i = 0; i < points.size(); ++i) {
            const QString target = home.filePath(QString("restored %1 %2").arg(arcType).arg(i));
            JobRunner runner;
            const JobResult restored = runner.runRestore({points, i, target, {}});
            ASSERT_TRUE(restored.succeeded()) << restored.reason.toStdString();
            EXPECT_EQ(treeContents(target), states.at(i)) << "as of " << points.at(i).stamp.toStdString();
        }
        JobRunner runner;
        EXPECT_EQ(runner.runVerify(id).outcome, JobOutcome::Done);

        for (const RestorePoint& point : points) {
            const QString listed = listedWithoutPassword(point.path);
            if (arcType == 0) {
                // Hidden names: without the password nothing of the source shows.
                for (const char* name : {"a.txt", "b.txt", "c.txt", "Новый файл.txt", "sub"})
                    EXPECT_FALSE(listed.contains(name)) << listed.toStdString();
            } else {
                // Names stay visible in a zip archive; the data is AES-256, never ZipCrypto.
                EXPECT_TRUE(listed.contains("AES-256")) << listed.toStdString();
                EXPECT_FALSE(listed.contains("ZipCrypto")) << listed.toStdString();
            }
        }
        DeleteBackupSet(id);
    }
}

TEST_F(EncryptedSetTest, ThePasswordIsOnNoCommandLineLogOrText)
{
    // A few MB of data that does not compress, so that 7zz runs long enough to be seen.
    QByteArray noise(6 << 20, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    writeFile(source + "/noise.bin", noise);
    const quint32 id = addEncrypted(IncrementalArchiving);

    ChildWatcher watcher;
    const JobResult first = RunSetJob(id);
    writeFile(source + "/a.txt", "changed");
    const JobResult second = RunSetJob(id);
    const QStringList seen = watcher.stop();
    ASSERT_EQ(first.outcome, JobOutcome::Done) << first.reason.toStdString();
    ASSERT_EQ(second.outcome, JobOutcome::Done) << second.reason.toStdString();
    // The backup, its test and the update were all seen, each asking for the password with a bare -p or none.
    ASSERT_FALSE(seen.filter(QRegularExpression(" a .* -p -mhe=on")).isEmpty()) << seen.join('\n').toStdString();
    ASSERT_FALSE(seen.filter(QRegularExpression(" u .* -p -mhe=on")).isEmpty()) << seen.join('\n').toStdString();
    ASSERT_FALSE(seen.filter(QRegularExpression(" t ")).isEmpty()) << seen.join('\n').toStdString();
    for (const QString& line : seen)
        EXPECT_FALSE(line.contains(kPassword)) << line.toStdString();

    const BackupSet set = setOf(id);
    SetArchivePassword(id, kWrong);
    const JobResult wrong = RunSetJob(id);
    EXPECT_EQ(wrong.outcome, JobOutcome::WrongPassword);
    const ArchiveBuild preview = PreviewArchiveCommand(set);
    QStringList texts {preview.command.text, preview.command.arguments.join(' '), JobResultText(first),
        JobResultText(second), JobResultText(wrong), JobFailureText(wrong), SetResultText(setOf(id))};
    for (const KeptRun& run : KeptRunsOf(id))
        texts.append(QString::fromUtf8(readFile(run.path)));
    EXPECT_GE(KeptRunsOf(id).size(), 3);
    for (const QString& text : std::as_const(texts)) {
        EXPECT_FALSE(text.contains(kPassword)) << text.toStdString();
        EXPECT_FALSE(text.contains(kWrong)) << text.toStdString();
    }
}

TEST_F(EncryptedSetTest, AWrongPasswordIsReportedAsSuchAndChangesNothing)
{
    for (const qint32 arcType : {0, 1}) {
        SCOPED_TRACE(arcType == 0 ? "7z" : "zip");
        const quint32 id = addEncrypted(IncrementalArchiving, arcType);
        ASSERT_EQ(RunSetJob(id).outcome, JobOutcome::Done);
        waitForNextSecond();
        writeFile(source + "/a.txt", "changed " + QByteArray::number(arcType));
        ASSERT_EQ(RunSetJob(id).outcome, JobOutcome::Done);
        const BackupSet set = setOf(id);
        QString error;
        const QList<RestorePoint> points = RestorePointsOf(set, &error);
        ASSERT_EQ(points.size(), 2) << error.toStdString();
        const auto before = destinationBytes();

        SetArchivePassword(id, arcType == 0 ? kWrong : kZipWrong);
        waitForNextSecond();
        writeFile(source + "/a.txt", "changed again");
        // An update run, and a full run once the chain is at its length.
        const JobResult update = RunSetJob(id);
        EXPECT_EQ(update.outcome, JobOutcome::WrongPassword) << update.reason.toStdString();
        EXPECT_EQ(update.reason, LoadStringById(StringId::WrongPasswordFor).arg(archiveOf(arcType)));
        MutableSettings().chainLength = 1;
        EXPECT_EQ(RunSetJob(id).outcome, JobOutcome::WrongPassword);
        MutableSettings().chainLength = 50;
        JobRunner runner;
        const JobResult verified = runner.runVerify(id);
        EXPECT_EQ(verified.outcome, JobOutcome::WrongPassword) << verified.reason.toStdString();
        EXPECT_EQ(destinationBytes(), before);

        // The listing made with the right password above is not handed out for the wrong one.
        ListFailure failure = ListFailure::None;
        if (arcType == 0) {
            EXPECT_TRUE(RestorePointsOf(set, &error, &failure).isEmpty());
            EXPECT_EQ(failure, ListFailure::WrongPassword);
            EXPECT_FALSE(StateAsOf(points, 0, &error, &failure));
            EXPECT_EQ(failure, ListFailure::WrongPassword);
        }
        const QString target = home.filePath(QString("restored %1").arg(arcType));
        const JobResult restored = runner.runRestore({points, 0, target, {}});
        EXPECT_EQ(restored.outcome, JobOutcome::WrongPassword) << restored.reason.toStdString();
        EXPECT_FALSE(QFileInfo::exists(target));
        EXPECT_EQ(destinationBytes(), before);
        DeleteBackupSet(id);
    }

    // A set that only ever writes full archives does not replace its archive under another password either.
    QDir(destination).removeRecursively();
    QDir().mkpath(destination);
    const quint32 full = addEncrypted(FullArchiving);
    ASSERT_EQ(RunSetJob(full).outcome, JobOutcome::Done);
    const QByteArray archive = readFile(fullArchive());
    SetArchivePassword(full, kWrong);
    EXPECT_EQ(RunSetJob(full).outcome, JobOutcome::WrongPassword);
    EXPECT_EQ(readFile(fullArchive()), archive);
    EXPECT_EQ(QDir(destination).entryList({"docs*", ".docs*"}, QDir::Files | QDir::Hidden), QStringList({"docs.7z"}));
}

TEST_F(EncryptedSetTest, AChangedPasswordStartsANewChainAndTheFlagIsCleared)
{
    const quint32 id = addEncrypted(IncrementalArchiving);
    ASSERT_EQ(RunSetJob(id).outcome, JobOutcome::Done);
    waitForNextSecond();
    writeFile(source + "/a.txt", "changed");
    ASSERT_EQ(RunSetJob(id).outcome, JobOutcome::Done);
    ASSERT_EQ(updateArchives().size(), 1);

    SetArchivePassword(id, kWrong);
    ASSERT_TRUE(StampSetFileKeys("Docs", {{"PasswordChanged", "1"}}));
    ASSERT_TRUE(setOf(id).passwordChanged);
    const JobResult result = RunSetJob(id);
    ASSERT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
    EXPECT_TRUE(result.note.startsWith(LoadStringById(StringId::PasswordChangedNote)
        + ". The previous chain was kept in '" + destination + "/docs.history/"))
        << result.note.toStdString();
    // The old chain, under the old password, is kept aside whole; the new full archive opens with the new one.
    EXPECT_TRUE(updateArchives().isEmpty());
    EXPECT_EQ(QDir(destination + "/docs.history").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
    EXPECT_FALSE(setOf(id).passwordChanged);
    ArchivePasswordOf(id);
    JobRunner runner;
    EXPECT_EQ(runner.runVerify(id).outcome, JobOutcome::Done);
    // The next run extends the new chain.
    waitForNextSecond();
    writeFile(source + "/a.txt", "changed twice");
    const JobResult next = RunSetJob(id);
    ASSERT_EQ(next.outcome, JobOutcome::Done);
    EXPECT_TRUE(next.note.isEmpty()) << next.note.toStdString();
    EXPECT_EQ(updateArchives().size(), 1);
}

// "7zz t" with the password given, as a person restoring from a kept archive would: whether it opens whole.
bool opensWith(const QString& archive, const QString& password)
{
    QProcess test;
    test.setStandardInputFile(QProcess::nullDevice());
    test.start("7zz", {"t", "-p" + password, archive});
    test.waitForFinished(-1);
    return test.exitStatus() == QProcess::NormalExit && test.exitCode() == 0;
}

TEST_F(EncryptedSetTest, APasswordChangeOrEncryptionTurnedOnKeepsTheOldArchiveOfAFullSet)
{
    // A set that only makes full archives: its one archive is all it has, and after another password it is the
    // only backup that opens with the old one.
    const quint32 id = addEncrypted(FullArchiving);
    ASSERT_EQ(RunSetJob(id).outcome, JobOutcome::Done);
    const QByteArray oldArchive = readFile(fullArchive());
    SetArchivePassword(id, kWrong);
    ASSERT_TRUE(StampSetFileKeys("Docs", {{"PasswordChanged", "1"}}));
    const JobResult changed = RunSetJob(id);
    ASSERT_EQ(changed.outcome, JobOutcome::Done) << changed.reason.toStdString();
    EXPECT_TRUE(changed.note.contains("The previous chain was kept in '" + destination + "/docs.history/"))
        << changed.note.toStdString();
    QDirIterator kept(destination + "/docs.history", {"docs.7z"}, QDir::Files, QDirIterator::Subdirectories);
    ASSERT_TRUE(kept.hasNext()) << "the archive under the old password is gone";
    const QString keptArchive = kept.next();
    EXPECT_EQ(readFile(keptArchive), oldArchive);
    EXPECT_TRUE(opensWith(keptArchive, kPassword));
    EXPECT_TRUE(opensWith(fullArchive(), kWrong));
    EXPECT_FALSE(setOf(id).passwordChanged);
    // The next run with the same password keeps its earlier archive as a full set always does, and says nothing.
    const JobResult next = RunSetJob(id);
    ASSERT_EQ(next.outcome, JobOutcome::Done);
    EXPECT_TRUE(next.note.isEmpty()) << next.note.toStdString();
    EXPECT_EQ(QDir(destination + "/docs.history").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
    ASSERT_TRUE(DeleteBackupSet(id));

    // Encryption turned on: the archive made without it stays, readable by anyone who could read it before.
    QDir(destination).removeRecursively();
    QDir().mkpath(destination);
    const quint32 plain = AddBackupSet(docsSet(FullArchiving));
    ASSERT_EQ(RunSetJob(plain).outcome, JobOutcome::Done);
    const QByteArray plainArchive = readFile(fullArchive());
    BackupSet set = setOf(plain);
    set.encrypt = true;
    set.passwordChanged = true;
    ASSERT_TRUE(UpdateBackupSet(set));
    SaveBackupSet(plain);
    SetArchivePassword(plain, kPassword);
    waitForNextSecond();
    const JobResult encrypted = RunSetJob(plain);
    ASSERT_EQ(encrypted.outcome, JobOutcome::Done) << encrypted.reason.toStdString();
    QDirIterator keptPlain(destination + "/docs.history", {"docs.7z"}, QDir::Files, QDirIterator::Subdirectories);
    ASSERT_TRUE(keptPlain.hasNext()) << "the unencrypted archive is gone";
    EXPECT_EQ(readFile(keptPlain.next()), plainArchive);
    EXPECT_FALSE(listedWithoutPassword(fullArchive()).contains("a.txt"));
}

TEST_F(EncryptedSetTest, WithoutAPasswordNothingIsWrittenOrListed)
{
    // 7-Zip takes no letters beyond ASCII in a zip archive's password: said before anything runs.
    const quint32 zip = addEncrypted(FullArchiving, 1);
    SetArchivePassword(zip, QString::fromUtf8("ключ"));
    const JobResult cyrillic = RunSetJob(zip);
    EXPECT_EQ(cyrillic.outcome, JobOutcome::PasswordMissing);
    EXPECT_EQ(cyrillic.reason, LoadStringById(StringId::ZipPasswordNotAscii));
    EXPECT_TRUE(chainFiles().isEmpty());
    ASSERT_TRUE(DeleteBackupSet(zip));

    const quint32 id = addEncrypted(IncrementalArchiving);
    ForgetArchivePassword(id);
    const JobResult none = RunSetJob(id);
    EXPECT_EQ(none.outcome, JobOutcome::PasswordMissing);
    EXPECT_EQ(none.reason, LoadStringById(StringId::PasswordNotGiven).arg("Docs"));
    SetArchivePasswordProblem(id, "the keyring is locked or missing");
    const JobResult locked = RunSetJob(id);
    EXPECT_EQ(locked.outcome, JobOutcome::PasswordMissing);
    EXPECT_EQ(locked.reason, "the keyring is locked or missing");
    EXPECT_TRUE(chainFiles().isEmpty());

    SetArchivePassword(id, kPassword);
    ASSERT_EQ(RunSetJob(id).outcome, JobOutcome::Done);
    ForgetArchivePassword(id);
    ForgetArchiveListings();
    QString error;
    ListFailure failure = ListFailure::None;
    EXPECT_TRUE(RestorePointsOf(setOf(id), &error, &failure).isEmpty());
    EXPECT_EQ(failure, ListFailure::PasswordMissing);
    JobRunner runner;
    EXPECT_EQ(runner.runVerify(id).outcome, JobOutcome::PasswordMissing);

    // An archive found on disk: without a password it asks for one, with it it restores.
    EXPECT_TRUE(RestorePointsOfArchive(fullArchive(), &error, std::nullopt, &failure).isEmpty());
    EXPECT_EQ(failure, ListFailure::PasswordMissing);
    EXPECT_TRUE(RestorePointsOfArchive(fullArchive(), &error, kWrong, &failure).isEmpty());
    EXPECT_EQ(failure, ListFailure::WrongPassword);
    const QList<RestorePoint> points = RestorePointsOfArchive(fullArchive(), &error, kPassword, &failure);
    ASSERT_EQ(points.size(), 1) << error.toStdString();
    EXPECT_EQ(failure, ListFailure::None);
    const QString target = home.filePath("found");
    ASSERT_TRUE(runner.runRestore({points, 0, target, {}}).succeeded());
    EXPECT_EQ(treeContents(target), treeContents(source));
}
