// The verification job: each archive of the set tested in turn under the job's control.

#include "VerifyJob.h"

#include "ArchivePath.h"
#include "ArchiveTest.h"
#include "EncryptedArchives.h"
#include "FullArchiveTestRecord.h"
#include "JobChecks.h"
#include "Overdue.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "StringTable.h"
#include "ToolLocations.h"
#include "UpdateArchives.h"

#include <QFileInfo>
#include <QScopeGuard>

namespace {

QString checkLine(const QString& archive, const QString& what)
{
    return QStringLiteral("%1: %2").arg(archive, what);
}

} // namespace

JobResult RunVerifyJob(const BackupSet& set, const JobContext& context)
{
    if (set.backupType == MirrorCopying) {
        JobResult done {JobOutcome::Done, set.name, 0, {}, {}};
        done.note = LoadStringById(StringId::VerifyMirror).arg(set.name);
        return done;
    }
    if (!Locate7Zip())
        return JobFailure(set, JobOutcome::ToolMissing, LoadStringById(StringId::SevenZipMissing));
    const QString program = Settings().sevenZipPath.value();
    const OldFiles files = FindOldFiles(set);
    if (files.isEmpty())
        return JobFailure(set, JobOutcome::PrepareFailed, LoadStringById(StringId::VerifyNoArchive).arg(set.target));
    std::optional<QString> password;
    if (auto missing = TakeSetPassword(set, password))
        return *missing;
    auto wipePassword = qScopeGuard([&password] {
        if (password)
            password->fill(QChar(u'\0'));
    });

    QStringList checks;
    QStringList bad;
    QStringList wrongPassword;
    // Update archives without their full archive restore nothing: the gap is a fault of the chain.
    if (files.fullArchive.isEmpty()) {
        const QString full = FullArchivePath(set);
        checks.append(checkLine(full, LoadStringById(StringId::ArchiveMissing)));
        bad.append(QLatin1Char('\'') + QFileInfo(full).fileName() + QLatin1Char('\''));
    }
    const QStringList archives = files.paths();
    // What the test of the full archive found, for the set's file whatever the others' tests find.
    std::optional<QString> fullArchiveTested;
    for (const QString& archive : archives) {
        const bool isFullArchive = archive == files.fullArchive;
        const std::optional<FullArchiveIdentity> identity
            = isFullArchive ? FullArchiveIdentityOf(archive) : std::nullopt;
        const QDateTime testedAt = ProgramClock();
        const ArchiveTestResult tested = TestArchive(program, archive, context, password);
        // A bad or unopened full archive must be tested again before an update extends its chain.
        if (isFullArchive && !tested.stopped)
            fullArchiveTested = tested.good && identity ? FullArchiveTestedText(*identity, testedAt) : QString();
        if (tested.stopped) {
            JobResult stopped
                = JobStopped(set, context)
                      .value_or(JobFailure(set, JobOutcome::Stopped, LoadStringById(StringId::RunStopped)));
            stopped.checks = checks;
            return stopped;
        }
        if (tested.good) {
            checks.append(checkLine(archive, LoadStringById(StringId::ArchiveGood)));
        } else if (tested.passwordTrouble != PasswordTrouble::None) {
            checks.append(checkLine(archive, LoadStringById(StringId::WordWrongPassword)));
            wrongPassword.append(archive);
        } else {
            checks.append(checkLine(archive, LoadStringById(StringId::ArchiveNotGood).arg(tested.problem)));
            bad.append(QLatin1Char('\'') + QFileInfo(archive).fileName() + QLatin1Char('\''));
        }
    }
    // A password that opens none of them says nothing about the archives themselves.
    if (bad.isEmpty() && !wrongPassword.isEmpty()) {
        JobResult failed = JobFailure(set, JobOutcome::WrongPassword, WrongPasswordText(wrongPassword.first()));
        failed.checks = checks;
        failed.fullArchiveTested = fullArchiveTested;
        return failed;
    }
    for (const QString& archive : std::as_const(wrongPassword))
        bad.append(QLatin1Char('\'') + QFileInfo(archive).fileName() + QLatin1Char('\''));
    if (!bad.isEmpty()) {
        JobResult failed = JobFailure(
            set, JobOutcome::ArchiveBad, LoadStringById(StringId::VerifyFailed).arg(bad.join(QStringLiteral(", "))));
        failed.checks = checks;
        failed.fullArchiveTested = fullArchiveTested;
        return failed;
    }
    JobResult done {JobOutcome::Done, set.name, 0, {}, {}};
    done.note = LoadStringById(StringId::ArchivesGood).arg(archives.size());
    done.checks = checks;
    done.fullArchiveTested = fullArchiveTested;
    return done;
}
