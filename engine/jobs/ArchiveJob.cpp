// The archive job: 7-Zip writes a scratch archive (or an update archive) beside the set's archive, and only
// a complete one is put in its place.

#include "ArchiveJob.h"

#include "ArchiveCommand.h"
#include "ArchivePlacement.h"
#include "ArchiveTest.h"
#include "ChainHistory.h"
#include "EncryptedArchives.h"
#include "FullArchiveTestRecord.h"
#include "JobChecks.h"
#include "Jobs.h"
#include "Overdue.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "SourceScan.h"
#include "StringTable.h"
#include "TempFolder.h"
#include "ToolLocations.h"
#include "ToolWarnings.h"
#include "UpdateArchives.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace {

void removeIfPresent(const QString& path)
{
    if (!path.isEmpty() && QFileInfo::exists(path))
        QFile::remove(path);
}

// Whether the archive holds at least one entry; nothing when 7-Zip cannot tell.
std::optional<bool> archiveHasEntries(const QString& program, const QString& archive, const QByteArray& input)
{
    // An archive without entries is a few dozen bytes; anything larger holds something.
    if (QFileInfo(archive).size() > qint64(64) * 1024)
        return true;
    // Not through the console runner: this look is no part of the run's log. Hidden names need the password.
    Command list;
    list.program = program;
    list.arguments = {QStringLiteral("l"), QStringLiteral("-ba"), archive};
    list.standardInput = input;
    const QuietRun listed = RunQuietly(list);
    if (!listed.ran || listed.exitCode != 0)
        return std::nullopt;
    return !listed.output.trimmed().isEmpty();
}

// A run that archived nothing (exclusions that match every file) must not replace an archive that holds
// files: that would throw the last good backup away and call it done.
bool wouldReplaceWithNothing(
    const QString& program, const QString& scratch, const QString& full, const QByteArray& input)
{
    if (!QFileInfo(full).isFile() || archiveHasEntries(program, scratch, input).value_or(true))
        return false;
    return archiveHasEntries(program, full, input).value_or(true);
}

// At most this many names in a warning; the log has the rest.
constexpr qsizetype kNamesShown = SevenZipWarnings::kKeptNames;

QString namesOf(const QStringList& names, qsizetype count)
{
    QString text = names.mid(0, kNamesShown).join(QStringLiteral(", "));
    if (count > std::min(names.size(), kNamesShown))
        text += QStringLiteral(", …");
    return text;
}

// What the run left out or may have stored incomplete, each kind in a sentence of its own; a run with any
// of them is done with warnings.
void addArchiveWarnings(
    JobResult& done, const RunResult& run, const QStringList& specialLeftOut, const QStringList& changed)
{
    QStringList texts;
    if (run.exitCode != 0) {
        SevenZipWarnings warnings;
        warnings.addText(run.output);
        done.warningCount += warnings.count();
        texts.append(warnings.count() == 0 ? LoadStringById(StringId::SevenZipWarnings).arg(run.exitCode)
                                           : LoadStringById(StringId::FilesUnreadable)
                                                 .arg(warnings.count())
                                                 .arg(namesOf(warnings.names(), warnings.count())));
    }
    if (!specialLeftOut.isEmpty()) {
        done.warningCount += int(specialLeftOut.size());
        texts.append(LoadStringById(StringId::SpecialFilesLeftOut)
                         .arg(specialLeftOut.size())
                         .arg(namesOf(specialLeftOut, specialLeftOut.size())));
    }
    if (!changed.isEmpty()) {
        done.warningCount += int(changed.size());
        texts.append(
            LoadStringById(StringId::FilesChangedWhileRead).arg(changed.size()).arg(namesOf(changed, changed.size())));
    }
    done.warning = texts.join(QStringLiteral("; "));
}

// Sets the file's modification time, never through a link.
void stampArchiveTime(const QString& path, const QDateTime& time)
{
    const qint64 ms = time.toMSecsSinceEpoch();
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(ms / 1000), long(ms % 1000) * 1000000L}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

} // namespace

JobResult RunArchiveJob(const BackupSet& stored, const JobContext& context)
{
    BackupSet set = stored;
    if (const auto problem = ArchiveSetProblem(set))
        return *problem;
    if (const auto stopped = JobStopped(set, context))
        return *stopped;

    // Never unencrypted in its place: without its password an encrypted set is not backed up at all.
    std::optional<QString> password;
    if (auto missing = TakeSetPassword(set, password))
        return *missing;
    QByteArray passwordInput = password ? PasswordInput(*password) : QByteArray();
    auto wipePassword = qScopeGuard([&] {
        WipeBytes(passwordInput);
        if (password)
            password->fill(QChar(u'\0'));
    });

    // The tests of the run are part of its one pass of progress, which the archiving tool reports: they run
    // under its control but show no progress of their own.
    JobContext testContext = context;
    testContext.progress = {};
    // An update archive counts only beside a full archive that is there and sound.
    const ChainBase chainBase
        = CheckChainBase(set, Locate7Zip() ? Settings().sevenZipPath.value() : QString(), testContext, password);
    if (chainBase.stopped) {
        if (const auto stopped = JobStopped(set, context))
            return *stopped;
    }
    if (!chainBase.wrongPasswordArchive.isEmpty())
        return JobFailure(set, JobOutcome::WrongPassword, WrongPasswordText(chainBase.wrongPasswordArchive));
    if (!chainBase.failure.isEmpty())
        return JobFailure(set, JobOutcome::ToolFailed, chainBase.failure);
    // The source as 7-Zip will find it: what a zip archive cannot hold, and each file's size and time.
    const SourceScan scan = ScanSource(set);
    const bool zipSet = ArcTypeName(set) == QLatin1String("zip");
    SpecialFileSwitches specialFiles;
    if (zipSet) {
        specialFiles = SpecialFileExclusions(set, scan);
        if (!specialFiles.unsafeName.isEmpty())
            return JobFailure(set, JobOutcome::PrepareFailed,
                LoadStringById(StringId::SpecialFileUnsafeName).arg(specialFiles.unsafeName, set.source));
    }
    ArchiveBuild build = BuildArchiveCommand(set, chainBase.startNewChain);
    switch (build.failure) {
    case BuildFailure::None:
        break;
    case BuildFailure::ToolMissing:
        return JobFailure(set, JobOutcome::ToolMissing, LoadStringById(StringId::SevenZipMissing));
    case BuildFailure::ListFileUnwritable:
        return JobFailure(
            set, JobOutcome::PrepareFailed, LoadStringById(StringId::ExclusionListNotWritten).arg(build.error));
    case BuildFailure::ArchiveTypeInvalid:
        return JobFailure(set, JobOutcome::PrepareFailed, ArchiveTypeInvalidReason(set));
    }

    // 7-Zip would open a pipe, waiting for ever for a writer, and store a socket or a device in a zip archive
    // as nothing a restore could bring back: they are left out, each by its own path.
    for (const QString& exclusion : std::as_const(specialFiles.switches)) {
        build.command.arguments.append(exclusion);
        build.command.text += QStringLiteral(" \"") + exclusion + QLatin1Char('"');
    }

    // A run killed while 7-Zip wrote or the job placed an archive left its temporary copy beside it.
    RemovePlacementLeftovers(build.fullArchivePath);
    RemoveUpdateArchiveLeftovers(set.target, set.arcName, ArcTypeName(set));
    const bool updateMode = build.archiveMode == QLatin1String("u");
    build.command.standardInput = passwordInput;
    const RunResult run = RunJobTool(build.command, context);
    WipeBytes(build.command.standardInput);
    RemoveTempFile(build.listFilePath);
    // Whatever 7-Zip half wrote goes; the previous archive and chain stay as they were.
    auto discardNewArchive = [&] {
        removeIfPresent(build.scratchArchivePath);
        removeIfPresent(build.updateWritePath);
    };

    // Also when the tool ended by itself just as the stop came (Ctrl+C reaches it directly from a terminal).
    if (run.stopped || context.control->shouldStop()) {
        discardNewArchive();
        if (const auto stopped = JobStopped(set, context))
            return *stopped;
    }
    const QString tool = ToolName(build.command);
    if (run.exitSignal != 0) {
        discardNewArchive();
        return JobFailure(
            set, JobOutcome::ToolFailed, LoadStringById(StringId::ToolKilled).arg(tool).arg(run.exitSignal));
    }
    if (!run.error.isEmpty()) {
        discardNewArchive();
        return JobFailure(set, JobOutcome::StartFailed, LoadStringById(StringId::ToolNotRun).arg(tool, run.error));
    }
    // 7-Zip exits with 1 on warnings (a file it could not read): the archive is still the newest backup.
    if (run.exitCode < 0 || run.exitCode >= 2) {
        discardNewArchive();
        if (PasswordTroubleOf(run.exitCode, run.output, run.secondOutput) == PasswordTrouble::Wrong)
            return JobFailure(set, JobOutcome::WrongPassword, WrongPasswordText(build.fullArchivePath), run.exitCode);
        return JobFailure(set, JobOutcome::ToolFailed,
            LoadStringById(StringId::ToolExitCode).arg(tool).arg(run.exitCode), run.exitCode);
    }

    // 7-Zip stores a file being rewritten as far as it got, and says nothing.
    const QStringList changed = FilesChangedSince(set, scan);

    // A 7-Zip that exits 0 after writing a torn archive must not get it counted as the newest backup.
    const QString written = updateMode ? build.updateWritePath : build.scratchArchivePath;
    const QString finalName = updateMode ? build.updateArchivePath : build.fullArchivePath;
    qint64 testMs = -1;
    if (set.verifyArchive && QFileInfo::exists(written)) {
        const ArchiveTestResult tested = TestArchive(build.command.program, written, testContext, password);
        if (tested.stopped || !tested.good) {
            discardNewArchive();
            if (const auto stopped = JobStopped(set, context))
                return *stopped;
            if (tested.passwordTrouble != PasswordTrouble::None)
                return JobFailure(set, JobOutcome::WrongPassword, WrongPasswordText(finalName), run.exitCode);
            return JobFailure(set, JobOutcome::ArchiveBad,
                LoadStringById(StringId::NewArchiveNotGood).arg(finalName, tested.problem), run.exitCode);
        }
        testMs = tested.durationMs;
    }

    if (context.copying)
        context.copying();
    QString keptChain;
    if (!updateMode) {
        if (!QFileInfo::exists(build.scratchArchivePath))
            return JobFailure(set, JobOutcome::PlaceFailed,
                LoadStringById(StringId::ArchiveNotPlaced).arg(LoadStringById(StringId::NoArchiveWritten)),
                run.exitCode);
        if (wouldReplaceWithNothing(
                build.command.program, build.scratchArchivePath, build.fullArchivePath, passwordInput)) {
            discardNewArchive();
            return JobFailure(set, JobOutcome::NothingArchived,
                LoadStringById(StringId::NothingArchived).arg(set.source, build.fullArchivePath), run.exitCode);
        }
        // The old chain, or a full set's one archive, goes whole into the history as the new archive takes its
        // place: thinning, not the next run, decides when a point goes.
        // The new archive's time is its stamp as a point: the run's, from the program's clock, set while it still
        // has its hidden name so that no kill leaves it in place with another.
        stampArchiveTime(build.scratchArchivePath, FreeRunTime(set));
        const ChainReplacement placed = ReplaceChain(set, build.scratchArchivePath);
        if (!placed.placed) {
            discardNewArchive();
            return JobFailure(set, JobOutcome::PlaceFailed,
                LoadStringById(StringId::ArchiveNotPlaced).arg(placed.error), run.exitCode);
        }
        keptChain = placed.keptIn;
    } else if (QFileInfo::exists(build.updateWritePath)) {
        // 7-Zip leaves its update archive to the system's write-back; the run is done once it is on disk
        // under its own name, which never replaces another run's update archive.
        const QString error = MoveIntoPlaceNoReplace(build.updateWritePath, build.updateArchivePath);
        if (!error.isEmpty()) {
            discardNewArchive();
            return JobFailure(
                set, JobOutcome::PlaceFailed, LoadStringById(StringId::ArchiveNotPlaced).arg(error), run.exitCode);
        }
    }
    JobResult done {JobOutcome::Done, set.name, run.exitCode, {}, {}};
    done.archiveMode = build.archiveMode;
    // An update run with nothing new may write no update archive at all.
    if (!updateMode || QFileInfo::exists(finalName))
        done.bytesWritten = QFileInfo(finalName).size();
    if (!updateMode) {
        // The new full archive tested good before it took its name, which changed none of its content.
        const std::optional<FullArchiveIdentity> placedFull = FullArchiveIdentityOf(build.fullArchivePath);
        done.fullArchiveTested
            = testMs >= 0 && placedFull ? FullArchiveTestedText(*placedFull, ProgramClock()) : QString();
    } else if (!chainBase.tested.isEmpty()) {
        done.fullArchiveTested = chainBase.tested;
    }
    // The run's figure of testing counts the full archive's test too, which may take longer than the rest.
    if (chainBase.testMs >= 0)
        testMs = std::max<qint64>(testMs, 0) + chainBase.testMs;
    done.testMs = testMs;
    done.note = chainBase.note;
    // A chain at its length goes into the history every so often, which needs no word; one started for a
    // reason says where the old one went.
    if (!keptChain.isEmpty() && !done.note.isEmpty()) {
        done.note += (done.note.endsWith(QLatin1Char('.')) ? QStringLiteral(" ") : QStringLiteral(". "))
            + LoadStringById(StringId::OldChainKept).arg(keptChain);
    }
    addArchiveWarnings(done, run, zipSet ? scan.specialFiles : QStringList(), changed);
    return done;
}
