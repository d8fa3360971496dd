#include "OffsiteTools.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

#include <initializer_list>

namespace {

QString packageOf(const QString& program)
{
    return program == QLatin1String("ssh") ? QStringLiteral("openssh-client") : program;
}

// The phrase of the list the text holds first, or nothing.
const char* foundPhrase(const QString& text, std::initializer_list<const char*> phrases,
    Qt::CaseSensitivity sensitivity = Qt::CaseSensitive)
{
    for (const char* phrase : phrases) {
        if (text.contains(QLatin1String(phrase), sensitivity))
            return phrase;
    }
    return nullptr;
}

bool containsAny(const QString& text, std::initializer_list<const char*> phrases,
    Qt::CaseSensitivity sensitivity = Qt::CaseSensitive)
{
    return foundPhrase(text, phrases, sensitivity) != nullptr;
}

// rclone starts each line of its log with the date and the time, which a reason does without.
QString withoutLogStamp(const QString& line)
{
    static const QRegularExpression stamp(QStringLiteral(R"(^\d{4}/\d\d/\d\d \d\d:\d\d:\d\d (?:[A-Z]+\s*: )?)"));
    return QString(line).remove(stamp);
}

// The last line that holds the phrase: the tool's own words for the cause, which the lines after it (rsync's
// "connection unexpectedly closed" after ssh's "Connection refused") only echo.
QString lineWith(const QString& text, const char* phrase, Qt::CaseSensitivity sensitivity)
{
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        if (it->contains(QLatin1String(phrase), sensitivity))
            return withoutLogStamp(it->trimmed());
    }
    return {};
}

QString lastLineOf(const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QString fallback;
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = withoutLogStamp(it->trimmed());
        if (line.isEmpty() || RclonePercent(line) >= 0)
            continue;
        // rsync's summary ("rsync error: ... (code 23) at main.c(1394)") says less than the line before it.
        if (line.startsWith(QLatin1String("rsync error:"))) {
            if (fallback.isEmpty())
                fallback = line;
            continue;
        }
        return line;
    }
    return fallback;
}

QString hostOf(const OffsiteTarget& target)
{
    if (!target.isSsh())
        return target.remote;
    return target.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + target.host + QLatin1Char(']') : target.host;
}

// What a person types to meet the host once: "ssh -p 2222 user@host".
QString sshCommandFor(const OffsiteTarget& target)
{
    QString command = QStringLiteral("ssh ");
    if (target.port != 0)
        command += QStringLiteral("-p %1 ").arg(target.port);
    if (!target.user.isEmpty())
        command += target.user + QLatin1Char('@');
    return command + target.host;
}

} // namespace

QString OffsiteToolPath(const QString& program, OffsiteOutcome* outcome)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty() && outcome)
        *outcome = OffsiteFailure(
            OffsiteCause::ToolMissing, LoadStringById(StringId::OffsiteToolMissing).arg(program, packageOf(program)));
    return path;
}

QString ShellQuoted(const QString& word)
{
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString RsyncShellWord(const QString& word)
{
    // rsync splits -e at blanks only, and inside quotes takes a doubled quote for one.
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString RsyncLiteralPath(const QString& path)
{
    QString escaped;
    escaped.reserve(path.size() + 8);
    for (const QChar c : path) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('[')
            || c == QLatin1Char(']'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}

QString RsyncPathInside(const QString& folder)
{
    // exec: the remote rsync's exit is the command's, and no shell waits behind it.
    return QStringLiteral("cd -- %1 && exec rsync").arg(ShellQuoted(folder));
}

QStringList SshOptions(const OffsiteTarget& target)
{
    QStringList options;
    // ssh takes "~" from the password database, not HOME: the tests point it at their own files this way.
    const QString config = qEnvironmentVariable("VELMORA_SSH_CONFIG");
    if (!config.isEmpty() && QFileInfo(config).isFile())
        options << QStringLiteral("-F") << config;
    // Nobody is there to answer: no password, no passphrase, no "yes" to a key never seen; a host that stops
    // answering ends the run within about a minute instead of never.
    options << QStringLiteral("-o") << QStringLiteral("BatchMode=yes") << QStringLiteral("-o")
            << QStringLiteral("StrictHostKeyChecking=yes") << QStringLiteral("-o")
            << QStringLiteral("ConnectTimeout=20") << QStringLiteral("-o") << QStringLiteral("ServerAliveInterval=15")
            << QStringLiteral("-o") << QStringLiteral("ServerAliveCountMax=4");
    if (target.port != 0)
        options << QStringLiteral("-p") << QString::number(target.port);
    return options;
}

QStringList SshCommandArguments(const OffsiteTarget& target, const QString& remoteCommand)
{
    QStringList arguments = SshOptions(target);
    if (!target.user.isEmpty())
        arguments << QStringLiteral("-l") << target.user;
    arguments << QStringLiteral("--") << target.host << remoteCommand;
    return arguments;
}

QString RsyncRemoteShell(const QString& ssh, const OffsiteTarget& target)
{
    QStringList words {RsyncShellWord(ssh)};
    for (const QString& option : SshOptions(target))
        words.append(RsyncShellWord(option));
    return words.join(QLatin1Char(' '));
}

QStringList RcloneOptions()
{
    return {QStringLiteral("--ask-password=false"), QStringLiteral("--retries"), QStringLiteral("1"),
        QStringLiteral("--low-level-retries"), QStringLiteral("2"), QStringLiteral("--contimeout"),
        QStringLiteral("20s"), QStringLiteral("--timeout"), QStringLiteral("60s")};
}

QList<OffsiteFile> ParseRsyncListing(const QString& output)
{
    // "-rw-r--r--          1000 2026/12/08 05:12:44 docs.7z": type and mode, size, date, time, name.
    static const QRegularExpression line(
        QStringLiteral(R"(^([-a-z])\S{9}\S*\s+([\d,]+)\s+\d{4}/\d\d/\d\d\s+\d\d:\d\d:\d\d\s(.+)$)"));
    QList<OffsiteFile> files;
    for (const QString& text : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch() || match.captured(1) != QLatin1String("-"))
            continue;
        files.append({match.captured(3), match.captured(2).remove(QLatin1Char(',')).toLongLong()});
    }
    return files;
}

QList<OffsiteFile> ParseRcloneListing(const QString& json, bool* ok)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &error);
    if (ok)
        *ok = error.error == QJsonParseError::NoError && document.isArray();
    QList<OffsiteFile> files;
    const QJsonArray entries = document.array();
    for (const auto& entry : entries) {
        const QJsonObject object = entry.toObject();
        if (object.value(QLatin1String("IsDir")).toBool())
            continue;
        files.append(
            {object.value(QLatin1String("Name")).toString(), qint64(object.value(QLatin1String("Size")).toDouble(-1))});
    }
    return files;
}

RcloneFileFacts ParseRcloneFile(const QString& json)
{
    RcloneFileFacts facts;
    const QJsonArray entries = QJsonDocument::fromJson(json.toUtf8()).array();
    if (entries.isEmpty())
        return facts;
    const QJsonObject entry = entries.first().toObject();
    facts.size = qint64(entry.value(QLatin1String("Size")).toDouble(-1));
    facts.modified = QDateTime::fromString(entry.value(QLatin1String("ModTime")).toString(), Qt::ISODateWithMs);
    const QJsonObject hashes = entry.value(QLatin1String("Hashes")).toObject();
    for (auto it = hashes.constBegin(); it != hashes.constEnd(); ++it) {
        // A remote without the hash gives an empty text for it.
        if (!it.value().toString().isEmpty())
            facts.hashes.insert(it.key(), it.value().toString().toLower());
    }
    return facts;
}

int RclonePercent(QStringView line)
{
    // "INFO  :   91.652 MiB / 286.102 MiB, 32%, 91.484 MiB/s, ETA 2s"
    static const QRegularExpression stats(QStringLiteral(R"(\d+(?:\.\d+)? \S*B / \d+(?:\.\d+)? \S*B, (\d{1,3})%,)"));
    const QRegularExpressionMatch match = stats.match(line.toString());
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

bool IsArchiveOfSet(const QString& fileName, const QString& arcName, const QString& extension)
{
    if (arcName.isEmpty() || extension.isEmpty())
        return false;
    if (fileName == arcName + QLatin1Char('.') + extension)
        return true;
    // The stamp as the archive job writes it ("2026-12-08_05h12m49s"): a file merely starting with the set's
    // name may belong to another set whose name starts the same.
    const QRegularExpression update(QLatin1Char('^') + QRegularExpression::escape(arcName)
        + QStringLiteral(R"(_upd_\d{4}-\d\d-\d\d_\d\dh\d\dm\d\ds\.)") + QRegularExpression::escape(extension)
        + QLatin1Char('$'));
    return update.match(fileName).hasMatch();
}

QString LastToolLine(const RunResult& run)
{
    const QString line = lastLineOf(run.secondOutput);
    return line.isEmpty() ? lastLineOf(run.output) : line;
}

QString OffsiteWhere(const OffsiteTarget& target)
{
    return target.toolLocation();
}

OffsiteOutcome ClassifyOffsiteFailure(const QString& tool, const RunResult& run, const OffsiteTarget& target)
{
    if (run.exitSignal != 0)
        return OffsiteFailure(OffsiteCause::Other,
            LoadStringById(StringId::OffsiteToolKilled).arg(tool, QString::number(run.exitSignal)));
    if (!run.error.isEmpty())
        return OffsiteFailure(OffsiteCause::Other, LoadStringById(StringId::ToolNotRun).arg(tool, run.error));
    const QString words = run.secondOutput + QLatin1Char('\n') + run.output;
    const QString last = LastToolLine(run);
    const QString host = hostOf(target);
    const QString where = OffsiteWhere(target);
    // The changed key first: ssh's warning about it ends with the same "verification failed" as an unknown one.
    if (containsAny(words, {"REMOTE HOST IDENTIFICATION HAS CHANGED", "knownhosts: key mismatch"}))
        return OffsiteFailure(OffsiteCause::HostKeyChanged, LoadStringById(StringId::OffsiteHostKeyChanged).arg(host));
    if (containsAny(words, {"Host key verification failed", "knownhosts: key is unknown"}))
        return OffsiteFailure(OffsiteCause::HostKeyUnknown,
            LoadStringById(StringId::OffsiteHostKeyUnknown).arg(host, sshCommandFor(target)));
    // The line that names the cause, else the tool's last one.
    auto quoted = [&words, &last](const char* phrase, Qt::CaseSensitivity sensitivity = Qt::CaseSensitive) {
        const QString line = lineWith(words, phrase, sensitivity);
        return line.isEmpty() ? last : line;
    };
    if (const char* phrase
        = foundPhrase(words, {"Permission denied (publickey", "unable to authenticate", "Too many authentication"}))
        return OffsiteFailure(
            OffsiteCause::LoginRefused, LoadStringById(StringId::OffsiteLoginRefused).arg(host, quoted(phrase)));
    if (containsAny(words, {"didn't find section in config file"}))
        return OffsiteFailure(
            OffsiteCause::ToolMissing, LoadStringById(StringId::OffsiteRemoteUnknown).arg(target.remote, last));
    if (const char* phrase = foundPhrase(words,
            {"no space left", "ENOSPC", "remaining disk space", "not enough space", "quota exceeded",
                "insufficient storage"},
            Qt::CaseInsensitive))
        return OffsiteFailure(OffsiteCause::NoSpace,
            LoadStringById(StringId::OffsiteNoSpace).arg(where, quoted(phrase, Qt::CaseInsensitive)));
    // The login worked but the remote has no rsync to talk to.
    if (containsAny(words, {"rsync: command not found", "rsync: not found"})
        || (tool == QLatin1String("rsync") && run.exitCode == 127))
        return OffsiteFailure(OffsiteCause::ToolMissing, LoadStringById(StringId::OffsiteRemoteRsyncMissing).arg(host));
    if (const char* phrase = foundPhrase(words,
            {"Could not resolve hostname", "Connection refused", "No route to host", "Connection timed out",
                "Network is unreachable", "Name or service not known", "Temporary failure in name resolution",
                "no such host", "not responding", "i/o timeout", "Connection closed", "Connection reset",
                "connection lost", "Broken pipe", "connection unexpectedly closed"}))
        return OffsiteFailure(
            OffsiteCause::Unreachable, LoadStringById(StringId::OffsiteUnreachable).arg(host, quoted(phrase)));
    if (const char* phrase
        = foundPhrase(words, {"Permission denied", "Read-only file system", "Operation not permitted"}))
        return OffsiteFailure(
            OffsiteCause::NotWritable, LoadStringById(StringId::OffsiteNotWritable).arg(where, quoted(phrase)));
    // ssh's own failures end in 255, and rsync's 12 and 255 are a stream that broke off.
    const bool sshFailed = tool == QLatin1String("ssh") && run.exitCode == 255;
    const bool rsyncCut = tool == QLatin1String("rsync") && (run.exitCode == 12 || run.exitCode == 255);
    if (sshFailed || rsyncCut)
        return OffsiteFailure(OffsiteCause::Unreachable, LoadStringById(StringId::OffsiteUnreachable).arg(host, last));
    return OffsiteFailure(OffsiteCause::Other,
        LoadStringById(StringId::OffsiteToolFailed).arg(tool, QString::number(run.exitCode), last));
}

OffsiteOutcome OffsiteFailure(OffsiteCause cause, const QString& reason)
{
    OffsiteOutcome outcome;
    outcome.cause = cause;
    outcome.reason = reason;
    return outcome;
}
