// velmora-run: runs Velmora's backup sets from a terminal, a systemd timer or cron, with the window
// program's settings and set files.

#include "BackupRuns.h"
#include "CheckRuns.h"
#include "DesktopNotice.h"
#include "InterfaceLanguage.h"
#include "ProfileStore.h"
#include "PruneRuns.h"
#include "ResourceIds.h"
#include "RestoreRuns.h"
#include "RunOptions.h"
#include "RunPasswords.h"
#include "ScheduleRuns.h"
#include "SetCollection.h"
#include "Settings.h"
#include "StringTable.h"
#include "Terminal.h"
#include "TerminalMessages.h"
#include "UserFolders.h"

#include <QCoreApplication>

namespace {

QString quotedList(const QStringList& names)
{
    QStringList quoted;
    for (const QString& name : names)
        quoted.append(QLatin1Char('\'') + name + QLatin1Char('\''));
    return quoted.join(QStringLiteral(", "));
}

// The store as the window opens it, but only read: velmora-run writes nothing but the results of the sets it
// ran (and the lock while it runs) and a disk accepted for a set, so a dry run or a list leaves the disk as
// it was. The settings come first, before the command line is read, so that the help and a usage error are
// already in the interface language the window uses.
void openSettings()
{
    g_profileStore = new ProfileStore(QStringLiteral("Velmora"));
    LoadSettings();
    ApplyInterfaceLanguage(Settings().languageId, TranslationsFolder());
}

void openStore(SetLoad load)
{
    for (const QString& line : TakeSettingsReadAsDefault())
        PrintErrorLine(line);
    LoadAllBackupSets(load);
}

// Every file of the set folder is either loaded or named here.
bool reportSkippedSetFiles()
{
    const QList<SkippedSetFile> skipped = SkippedSetFiles();
    for (const SkippedSetFile& file : skipped)
        PrintErrorLine(file.message());
    return !skipped.isEmpty();
}

int run(const RunOptions& options)
{
    // --list saves nothing, not even a set's result.
    openStore(options.mode == RunOptions::Mode::List ? SetLoad::ShowOnly : SetLoad::ChangeNothing);
    // Read once, before anything runs, and refused in the interface language the store chose.
    if (!options.passwordFile.isEmpty()) {
        const PasswordFileRead read = ReadPasswordFile(options.passwordFile);
        if (!read.password) {
            PrintErrorLine(read.refusal);
            return ExitUsageError;
        }
        SetRunPassword(read.password);
        QStringList earlier;
        for (const QString& file : options.earlierPasswordFiles) {
            const PasswordFileRead earlierRead = ReadPasswordFile(file);
            if (!earlierRead.password) {
                PrintErrorLine(earlierRead.refusal);
                return ExitUsageError;
            }
            earlier.append(*earlierRead.password);
        }
        SetRunEarlierPasswords(earlier);
    }
    // A restore from an archive alone reads no set file: there may be none on a new computer.
    const bool skippedFiles = options.archive.isEmpty() && reportSkippedSetFiles();
    if (options.mode == RunOptions::Mode::Points || options.mode == RunOptions::Mode::Restore
        || options.mode == RunOptions::Mode::Versions)
        return RunRestoreMode(options);
    if (options.mode == RunOptions::Mode::AcceptDestination)
        return AcceptDestination(options.names.constFirst());
    if (options.mode == RunOptions::Mode::Check)
        return CheckSets(!options.noNotify);
    if (options.mode == RunOptions::Mode::List) {
        ListSets();
        return ExitAllSucceeded;
    }
    if (options.mode == RunOptions::Mode::InstallSchedules)
        return InstallSchedules();
    if (options.mode == RunOptions::Mode::Pin || options.mode == RunOptions::Mode::Unpin)
        return PinPoint(options.names.constFirst(), options.stamp, options.mode == RunOptions::Mode::Pin);
    QStringList setNames;
    if (options.all) {
        setNames = AllSetNames();
        if (setNames.isEmpty() && !skippedFiles)
            PrintErrorLine(LoadStringById(StringId::RunNoSets));
    } else {
        QStringList unknown;
        setNames = FindSetNames(options.names, unknown);
        if (!unknown.isEmpty()) {
            PrintErrorLine(LoadStringById(StringId::RunUnknownSets).arg(quotedList(unknown)));
            return ExitUsageError;
        }
    }
    if (options.mode == RunOptions::Mode::Prune) {
        const int status = PruneSets(setNames, options.all || setNames.size() > 1, options.dryRun, options.noWait);
        return options.all && skippedFiles ? ExitSomeFailed : status;
    }
    if (options.mode == RunOptions::Mode::Verify) {
        // An unreadable set file is a set --all could not test.
        const int status = VerifySets(setNames, options.all, options.noWait);
        return options.all && skippedFiles ? ExitSomeFailed : status;
    }
    const int status = options.dryRun ? DryRunSets(setNames) : RunSets(setNames, options.all, options.noWait);
    // A set file that could not be read is a set that --all did not run.
    if (options.all && skippedFiles && (status == ExitAllSucceeded || status == ExitDoneWithWarnings))
        return ExitSomeFailed;
    return status;
}

int runCommandLine(const QStringList& arguments)
{
    if (arguments.value(0) == QLatin1String(kNoticeWaiterOption))
        return RunNoticeWaiter(arguments.mid(1));
    const RunOptions options = ParseRunOptions(arguments);
    if (options.mode == RunOptions::Mode::Help) {
        PrintLine(RunHelpText());
        return ExitAllSucceeded;
    }
    if (options.mode == RunOptions::Mode::Version) {
        PrintLine(QStringLiteral("velmora-run ") + ProgramVersion());
        return ExitAllSucceeded;
    }
    if (options.mode == RunOptions::Mode::UsageError) {
        PrintErrorLine(options.error);
        PrintErrorLine(LoadStringById(StringId::RunSeeHelp));
        return ExitUsageError;
    }

    TerminalMessages messages(options.allowEmptySource);
    setUserMessages(&messages);
    SetDesktopNotices(!options.noNotify);
    const int status = run(options);
    setUserMessages(nullptr);
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    CloseInheritedFiles(argc, argv);
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QCoreApplication::setApplicationName(QStringLiteral("velmora-run"));

    openSettings();
    const int status = runCommandLine(QCoreApplication::arguments().mid(1));
    delete g_profileStore;
    g_profileStore = nullptr;
    return status;
}
