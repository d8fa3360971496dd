#include "ArchiveTest.h"

#include "ArchiveCommand.h"
#include "FullArchiveTestRecord.h"
#include "Overdue.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "StringTable.h"
#include "ToolLocations.h"
#include "UpdateArchives.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QScopeGuard>

namespace {

// What 7-Zip says when it has read an archive and found it damaged (a checksum that does not match, a torn or
// unknown header, the end missing). Said about a file it could not read at all ("errno=", "System ERROR") it
// is no verdict on the archive: that file may be whole on a disk that failed for a moment.
bool sevenZipFoundDamage(const RunResult& run)
{
    if (run.exitCode != 2)
        return false;
    const QString said = run.output + QLatin1Char('\n') + run.secondOutput;
    if (said.contains(QLatin1String("errno=")) || said.contains(QLatin1String("System ERROR")))
        return false;
    static const QLatin1String kDamage[] = {
        QLatin1String("CRC Failed"),
        QLatin1String("Data Error"),
        QLatin1String("Headers Error"),
        QLatin1String("Unexpected end of archive"),
        QLatin1String("Is not archive"),
        QLatin1String("Cannot open the file as archive"),
        QLatin1String("Cannot open the file as ["),
    };
    for (const QLatin1String& words : kDamage) {
        if (said.contains(words))
            return true;
    }
    return false;
}

} // namespace

Command ArchiveTestCommand(const QString& program, const QString& archive)
{
    Command command;
    command.program = program;
    command.arguments = QStringList {QStringLiteral("t"), archive, QStringLiteral("-bsp1")};
    command.text = program + QStringLiteral(" t \"") + archive + QStringLiteral("\" -bsp1");
    command.progress = ProgressFormat::SevenZip;
    return command;
}

ArchiveTestResult TestArchive(
    const QString& program, const QString& archive, const JobContext& context, const std::optional<QString>& password)
{
    ArchiveTestResult tested;
    QElapsedTimer timer;
    timer.start();
    // No "-p" here: for a test it would mean the empty password. 7-Zip asks on standard input when it needs one.
    Command command = ArchiveTestCommand(program, archive);
    if (password)
        command.standardInput = PasswordInput(*password);
    const RunResult run = RunJobTool(command, context);
    WipeBytes(command.standardInput);
    tested.durationMs = timer.elapsed();
    if (run.stopped || (context.control && context.control->shouldStop())) {
        tested.stopped = true;
        return tested;
    }
    if (run.exitSignal != 0) {
        tested.problem = LoadStringById(StringId::TestKilled).arg(run.exitSignal);
    } else if (!run.error.isEmpty()) {
        tested.problem = LoadStringById(StringId::TestNotRun).arg(run.error);
    } else {
        tested.passwordTrouble = PasswordTroubleOf(run.exitCode, run.output, run.secondOutput);
        if (tested.passwordTrouble == PasswordTrouble::Wrong)
            tested.problem = WrongPasswordText(archive);
        else if (tested.passwordTrouble == PasswordTrouble::Missing)
            tested.problem = LoadStringById(StringId::ArchiveNeedsPassword).arg(archive);
        // Unlike a run, a test has no warnings worth keeping an archive for: any other code is a fault.
        else if (run.exitCode != 0)
            tested.problem = LoadStringById(StringId::TestExitCode).arg(run.exitCode);
        tested.damaged
            = !tested.problem.isEmpty() && tested.passwordTrouble == PasswordTrouble::None && sevenZipFoundDamage(run);
    }
    tested.good = tested.problem.isEmpty();
    return tested;
}

ChainBase CheckChainBase(
    const BackupSet& set, const QString& program, const JobContext& context, const std::optional<QString>& password)
{
    ChainBase base;
    const QString full = FullArchivePath(set);
    if (full.isEmpty())
        return base;
    if (QFileInfo(full).isFile()) {
        // The old chain keeps the old password, which nobody has any more: it is not opened, only replaced.
        if (set.passwordChanged) {
            base.startNewChain = true;
            base.note = LoadStringById(StringId::PasswordChangedNote);
            return base;
        }
        // A full run replaces the archive and an update run extends it: with a mistyped password either
        // would leave backups nobody can open.
        if (IsEncryptedSet(set) && password && !program.isEmpty()) {
            switch (CheckArchivePassword(program, full, *password, context.control)) {
            case PasswordCheck::Wrong:
                base.wrongPasswordArchive = full;
                return base;
            case PasswordCheck::NotEncrypted:
                base.startNewChain = true;
                base.note = LoadStringById(StringId::ArchiveNotEncryptedNote).arg(full);
                return base;
            case PasswordCheck::Opens:
            case PasswordCheck::Unreadable:
                break;
            }
        }
    }
    if (set.backupType == FullArchiving)
        return base;
    const int updates = CountUpdateArchives(set);
    // A chain at its length starts anew anyway, and a first run has no chain to extend.
    if (ChainRunCount(set) >= Settings().chainLength)
        return base;
    if (!QFileInfo(full).isFile()) {
        // The update archives left hold changes against an archive that is gone: a new chain starts, and they are
        // kept aside in the history.
        if (updates > 0) {
            base.startNewChain = true;
            base.note = LoadStringById(StringId::FullArchiveMissingNote).arg(full);
        }
        return base;
    }
    // Without the per-set test the full archive is only required to be there: testing it costs as much as
    // reading all of it on every run.
    if (!set.verifyArchive || program.isEmpty())
        return base;
    // A file unchanged since a recent good test is taken as sound: rot that leaves its figures alone is found by
    // the next periodic test or a verification, which tests everything.
    const QDateTime now = ProgramClock();
    if (FullArchiveTestHolds(set.fullArchiveTested, full, now, Settings().fullArchiveRetestDays))
        return base;
    // The figures of the file before its test, so that a change while it is read shows at the next run.
    const std::optional<FullArchiveIdentity> identity = FullArchiveIdentityOf(full);
    const ArchiveTestResult tested = TestArchive(program, full, context, password);
    base.testMs = tested.durationMs;
    if (tested.good && identity)
        base.tested = FullArchiveTestedText(*identity, now);
    if (tested.stopped) {
        base.stopped = true;
    } else if (tested.passwordTrouble != PasswordTrouble::None) {
        base.wrongPasswordArchive = full;
    } else if (tested.damaged) {
        base.startNewChain = true;
        base.note = LoadStringById(StringId::FullArchiveBrokenNote).arg(full);
    } else if (!tested.good) {
        // Killed (the OOM killer), out of memory, or the disk would not give the file: the archive may be
        // whole, and a new chain would push its update archives aside for nothing.
        base.failure = LoadStringById(StringId::ChainBaseNotTested).arg(full, tested.problem);
    }
    return base;
}
