#include "EncryptedArchives.h"

#include "ArchivePasswords.h"
#include "ConsoleRunner.h"
#include "JobContext.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include "ReadableFigures.h"

bool IsEncryptedSet(const BackupSet& set)
{
    return set.encrypt && set.backupType != MirrorCopying;
}

std::optional<QString> KeptPassword(quint32 passwordId, const QString& setName, QString* problem)
{
    QString recorded;
    std::optional<QString> password = ArchivePasswordOf(passwordId, &recorded);
    if (!password && problem)
        *problem = recorded.isEmpty() ? LoadStringById(StringId::PasswordNotGiven).arg(setName) : recorded;
    return password;
}

std::optional<JobResult> TakeSetPassword(const BackupSet& set, std::optional<QString>& password)
{
    if (!IsEncryptedSet(set))
        return std::nullopt;
    QString problem;
    password = KeptPassword(set.id, set.name, &problem);
    if (!password)
        return JobFailure(set, JobOutcome::PasswordMissing, problem);
    // 7-Zip would only say "invalid argument" of it, after it scanned the source.
    if (const QString unusable = ArchivePasswordProblem(set, *password); !unusable.isEmpty())
        return JobFailure(set, JobOutcome::PasswordMissing, unusable);
    return std::nullopt;
}

QByteArray PasswordInput(const QString& password)
{
    QByteArray line = password.toUtf8();
    line.append('\n');
    QByteArray input = line + line;
    WipeBytes(line);
    return input;
}

void WipeBytes(QByteArray& bytes)
{
    bytes.fill('\0');
    bytes.clear();
}

PasswordTrouble PasswordTroubleOf(int exitCode, const QString& output, const QString& secondOutput)
{
    if (exitCode == 0)
        return PasswordTrouble::None;
    // "Cannot open encrypted archive. Wrong password?" for hidden names, "Wrong password : FILE" for data.
    const QLatin1String wrong("Wrong password");
    if (output.contains(wrong, Qt::CaseInsensitive) || secondOutput.contains(wrong, Qt::CaseInsensitive))
        return PasswordTrouble::Wrong;
    // Asked for a password with nothing to read, 7-Zip gives up as if interrupted.
    const QLatin1String gaveUp("Break signaled");
    if (exitCode == 255 && (output.contains(gaveUp) || secondOutput.contains(gaveUp)))
        return PasswordTrouble::Missing;
    return PasswordTrouble::None;
}

QString WrongPasswordText(const QString& archive)
{
    return LoadStringById(StringId::WrongPasswordFor).arg(archive);
}

RunControl& UncontrolledQuietRuns()
{
    static RunControl control;
    return control;
}

QuietRun RunQuietly(const Command& command, const RunControl* control, std::chrono::milliseconds timeLimit)
{
    RunControl limited(control ? control : &UncontrolledQuietRuns());
    if (timeLimit > std::chrono::milliseconds::zero())
        limited.setDeadline(QDeadlineTimer(timeLimit));
    RunOutput nowhere;
    nowhere.file = RunOutput::File::None;
    nowhere.keepBytes = true;
    RunResult result = ExecuteCommand(command, {}, &limited, {}, nowhere);
    QuietRun run;
    run.output = std::move(result.outputBytes);
    run.secondOutput = std::move(result.secondOutput);
    run.cut = result.outputLeftOut > 0;
    run.stopped = result.stopped;
    run.timedOut = result.stopReason == RunStopReason::TimeLimit;
    run.error = result.error;
    run.ran = result.error.isEmpty() && !result.stopped;
    run.exitCode = run.ran ? result.exitCode : -1;
    // The reason, whatever the tool did with the signal it got.
    if (run.timedOut)
        run.error = LoadStringById(StringId::QuietRunTimedOut)
                        .arg(FormatDuration(std::chrono::duration_cast<std::chrono::seconds>(timeLimit).count()));
    else if (run.stopped)
        run.error = LoadStringById(StringId::QuietRunStopped);
    return run;
}

namespace {

struct ListedFile
{
    QString path;
    qint64 size = 0;
    bool encrypted = false;
};

QList<ListedFile> listedFiles(const QByteArray& text)
{
    QList<ListedFile> files;
    ListedFile file;
    bool open = false;
    bool folder = false;
    auto close = [&] {
        if (open && !folder)
            files.append(file);
    };
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith("Path = ")) {
            close();
            file = ListedFile {QString::fromUtf8(trimmed.mid(7)), 0, false};
            open = true;
            folder = false;
        } else if (trimmed.startsWith("Size = ")) {
            file.size = trimmed.mid(7).toLongLong();
        } else if (trimmed.startsWith("Attributes = ")) {
            folder = trimmed.mid(13).startsWith('D');
        } else if (trimmed == "Folder = +") {
            folder = true;
        } else if (trimmed == "Encrypted = +") {
            file.encrypted = true;
        }
    }
    close();
    return files;
}

} // namespace

PasswordCheck CheckArchivePassword(
    const QString& program, const QString& archive, const QString& password, const RunControl* control)
{
    Command list;
    list.program = program;
    list.arguments = {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-ba"), QStringLiteral("-sccUTF-8"),
        QStringLiteral("--"), archive};
    list.standardInput = PasswordInput(password);
    list.resultPartBytes = kListingOutputBytes;
    const QuietRun listed = RunQuietly(list, control);
    WipeBytes(list.standardInput);
    if (!listed.ran || listed.exitCode != 0) {
        return PasswordTroubleOf(listed.exitCode, QString::fromUtf8(listed.output), listed.secondOutput)
                == PasswordTrouble::Wrong
            ? PasswordCheck::Wrong
            : PasswordCheck::Unreadable;
    }
    const QList<ListedFile> files = listedFiles(listed.output);
    const ListedFile* smallest = nullptr;
    for (const ListedFile& file : files) {
        if (file.encrypted && (!smallest || file.size < smallest->size))
            smallest = &file;
    }
    if (!smallest)
        return files.isEmpty() ? PasswordCheck::Opens : PasswordCheck::NotEncrypted;
    // A 7z archive with hidden names lists only with the right password.
    if (!archive.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
        return PasswordCheck::Opens;
    Command test;
    test.program = program;
    // -spd: the name is a name, not a pattern.
    test.arguments = {QStringLiteral("t"), QStringLiteral("-spd"), QStringLiteral("-sccUTF-8"), QStringLiteral("--"),
        archive, smallest->path};
    test.standardInput = PasswordInput(password);
    const QuietRun tested = RunQuietly(test, control);
    WipeBytes(test.standardInput);
    if (tested.ran && tested.exitCode == 0)
        return PasswordCheck::Opens;
    return PasswordTroubleOf(tested.exitCode, QString::fromUtf8(tested.output), tested.secondOutput)
            == PasswordTrouble::Wrong
        ? PasswordCheck::Wrong
        : PasswordCheck::Unreadable;
}
