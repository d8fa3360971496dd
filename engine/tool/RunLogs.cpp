#include "RunLogs.h"

#include "LastRun.h"
#include "UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kTimeFormat = QStringLiteral("yyyyMMdd-HHmmss-zzz");
const QString kRunning = QStringLiteral("running");

QString logName(const QDateTime& started, const QString& state)
{
    return started.toString(kTimeFormat) + QLatin1Char('.') + state + QStringLiteral(".log");
}

// Newest first: the time leads the name in a form that sorts.
QStringList logNames(quint32 setId)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{8}-\\d{6}-\\d{3}\\.[a-z]+\\.log$"));
    QStringList names = QDir(RunLogsFolderOf(setId)).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::Reversed);
    names.removeIf([](const QString& name) { return !pattern.match(name).hasMatch(); });
    return names;
}

void removeOldest(quint32 setId)
{
    const QStringList names = logNames(setId);
    QDir folder(RunLogsFolderOf(setId));
    qint64 kept = 0;
    for (qsizetype i = 0; i < names.size(); ++i) {
        kept += QFileInfo(folder.filePath(names.at(i))).size();
        if (i >= kKeptRunsPerSet || (i > 0 && kept > kKeptLogBytesPerSet))
            folder.remove(names.at(i));
    }
}

} // namespace

QString RunLogsFolder()
{
    return UserStateFolder() + QStringLiteral("/logs");
}

QString RunLogsFolderOf(quint32 setId)
{
    return RunLogsFolder() + QStringLiteral("/set-") + QString::number(setId);
}

QList<KeptRun> KeptRunsOf(quint32 setId)
{
    QList<KeptRun> runs;
    const QString folder = RunLogsFolderOf(setId);
    for (const QString& name : logNames(setId)) {
        const QStringList parts = name.split(QLatin1Char('.'));
        KeptRun run;
        run.started = QDateTime::fromString(parts.at(0), kTimeFormat);
        run.result = ResultKindFromKey(parts.at(1));
        run.path = folder + QLatin1Char('/') + name;
        runs.append(run);
    }
    return runs;
}

QString BeginRunLog(quint32 setId)
{
    const QString folder = RunLogsFolderOf(setId);
    if (!QDir().mkpath(folder))
        return {};
    QDateTime started = QDateTime::currentDateTime();
    QString path = folder + QLatin1Char('/') + logName(started, kRunning);
    // Two runs of one set within a millisecond still get a file each.
    while (QFile::exists(path)) {
        started = started.addMSecs(1);
        path = folder + QLatin1Char('/') + logName(started, kRunning);
    }
    QFile file(path);
    // Tool output names the user's files and folders: for the user's eyes only.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner))
        return {};
    file.close();
    return path;
}

QString EndRunLog(quint32 setId, const QString& path, const JobResult& result)
{
    if (path.isEmpty())
        return {};
    const JobResultKind kind = ResultKindOf(result);
    if (kind == JobResultKind::NotRun) {
        QFile::remove(path);
        return {};
    }
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            QByteArray line = "== " + JobResultText(result).toUtf8() + '\n';
            // The tool's last line may have had no line end.
            if (file.size() > 0) {
                QFile reader(path);
                if (reader.open(QIODevice::ReadOnly) && reader.seek(file.size() - 1) && reader.read(1) != "\n")
                    line.prepend('\n');
            }
            file.write(line);
        }
    }
    QString finalPath = path;
    const QString suffix = QLatin1Char('.') + kRunning + QStringLiteral(".log");
    if (path.endsWith(suffix)) {
        finalPath = path.chopped(suffix.size()) + QLatin1Char('.') + ResultKindKey(kind) + QStringLiteral(".log");
        if (QFile::rename(path, finalPath))
            RenameRunLogPath(path, finalPath);
        else
            finalPath = path;
    }
    removeOldest(setId);
    return finalPath;
}

QByteArray ReadLogTail(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (maxBytes <= 0 || !file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    const qint64 start = qMax<qint64>(0, size - maxBytes);
    if (!file.seek(start))
        return {};
    QByteArray tail = file.read(size - start);
    if (start > 0) {
        // Begin at a line's start, unless the whole tail is one line.
        const qsizetype lineEnd = tail.indexOf('\n');
        if (lineEnd >= 0 && lineEnd + 1 < tail.size())
            tail.remove(0, lineEnd + 1);
    }
    return tail;
}

QByteArray ReadLogTailLines(const QString& path, int maxLines, qint64 maxBytes)
{
    QFile file(path);
    if (maxLines <= 0 || maxBytes <= 0 || !file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    constexpr qint64 kBlock = qint64(64) * 1024;
    // Blocks from the end until they hold enough line ends; a line end that closes the file's last line
    // starts no further line, so it is not counted.
    QList<QByteArray> blocks;
    qint64 start = size;
    qint64 lineEnds = 0;
    bool lastByte = true;
    while (start > 0 && size - start < maxBytes && lineEnds < maxLines) {
        const qint64 blockStart = std::max<qint64>({0, start - kBlock, size - maxBytes});
        if (!file.seek(blockStart))
            return {};
        QByteArray block = file.read(start - blockStart);
        lineEnds += block.count('\n') - (lastByte && block.endsWith('\n') ? 1 : 0);
        lastByte = false;
        blocks.prepend(std::move(block));
        start = blockStart;
    }
    const QByteArray tail = blocks.isEmpty() ? QByteArray() : QByteArray(blocks.join());
    // Keep only the last maxLines lines.
    qsizetype position = tail.endsWith('\n') ? tail.size() - 1 : tail.size();
    for (int lines = 0; lines < maxLines; ++lines) {
        position = position > 0 ? tail.lastIndexOf('\n', position - 1) : -1;
        if (position < 0)
            break;
    }
    if (position >= 0)
        return tail.sliced(position + 1);
    // Fewer lines than asked for: all of them, without a first one that maxBytes cut.
    const qsizetype firstEnd = tail.indexOf('\n');
    return start > 0 && firstEnd >= 0 && firstEnd + 1 < tail.size() ? tail.sliced(firstEnd + 1) : tail;
}
