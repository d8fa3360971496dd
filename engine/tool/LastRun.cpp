#include "LastRun.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>

namespace {

constexpr qsizetype kHeadChars = kLastRunTextChars / 2;
constexpr qsizetype kTailChars = kLastRunTextChars / 2;
// A cut moves at most this far to fall on a line's start or end.
constexpr qsizetype kLineSearchChars = qsizetype(64) * 1024;

// A text that keeps its first and its last part and counts what it left out between them.
struct BoundedText
{
    QString head;
    QString tail;
    qint64 leftOut = 0;
    // Once the head is full, everything goes to the tail, so the head stays the text's beginning.
    bool headFull = false;

    bool isEmpty() const { return head.isEmpty() && tail.isEmpty() && leftOut == 0; }
    bool endsWithLineEnd() const { return (tail.isEmpty() && leftOut == 0 ? head : tail).endsWith(QLatin1Char('\n')); }
    void append(QStringView text);
    // keptLog: the file is a set's kept log, which has only a part of a long output.
    QString compose(const QString& outputFile, bool keptLog) const;
};

// Not between the two halves of a surrogate pair.
qsizetype charBoundary(QStringView text, qsizetype position)
{
    if (position > 0 && position < text.size() && text.at(position).isLowSurrogate())
        return position - 1;
    return position;
}

void BoundedText::append(QStringView text)
{
    if (!headFull) {
        const qsizetype room = kHeadChars - head.size();
        if (text.size() <= room) {
            head += text;
            return;
        }
        // The head ends at a line end when one is near, so that no line is cut in two.
        const qsizetype lineEnd = text.first(room).lastIndexOf(QLatin1Char('\n'));
        const qsizetype taken
            = lineEnd >= 0 && room - lineEnd <= kLineSearchChars ? lineEnd + 1 : charBoundary(text, room);
        head += text.first(taken);
        text = text.sliced(taken);
        headFull = true;
    }
    tail += text;
    if (tail.size() <= kTailChars)
        return;
    qsizetype cut = tail.size() - kTailChars;
    const qsizetype lineStart = tail.indexOf(QLatin1Char('\n'), cut);
    cut = lineStart >= 0 && lineStart - cut < kLineSearchChars ? lineStart + 1 : charBoundary(tail, cut);
    tail.remove(0, cut);
    leftOut += cut;
}

QString BoundedText::compose(const QString& outputFile, bool keptLog) const
{
    if (leftOut == 0)
        return head + tail;
    const QString count = QString::number(leftOut);
    const QString cutLine = outputFile.isEmpty() ? LoadStringById(StringId::CharactersLeftOut).arg(count)
        : keptLog ? LoadStringById(StringId::CharactersLeftOutOfKeptLog).arg(count, outputFile)
                  : LoadStringById(StringId::LogCharactersLeftOut).arg(count, outputFile);
    const QString lineEnd = head.endsWith(QLatin1Char('\n')) ? QString() : QStringLiteral("\n");
    return head + lineEnd + cutLine + QLatin1Char('\n') + tail;
}

struct BoundedTexts
{
    BoundedText logText;
    BoundedText logText2;
    BoundedText runError;
};

QMutex textsMutex;
BoundedTexts texts;
// Each stream's file starts afresh with the first tool after a clear. Not emptied by the clear itself: the
// window clears before it knows that no other program is running a backup that writes the file right now.
bool outputStartsAfresh[2] = {true, true};
// The file each stream's output went to last; empty for the stream's own file.
QString lastOutputPath[2];

QString cacheOutputPath(bool secondStream)
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return {};
    return cache
        + (secondStream ? QStringLiteral("/Quorvane/Velmora/last-run-errors.log")
                        : QStringLiteral("/Quorvane/Velmora/last-run.log"));
}

void appendSection(BoundedText& to, const QString& heading, const QString& text, bool keepEmpty)
{
    if (text.isEmpty() && !(keepEmpty && !heading.isEmpty()))
        return;
    if (!to.isEmpty() && !to.endsWithLineEnd())
        to.append(u"\n");
    if (!heading.isEmpty())
        to.append(QString(heading + QLatin1Char('\n')));
    to.append(text);
}

} // namespace

LastRunTexts GetLastRunTexts()
{
    const QString output = LastRunOutputPath(false);
    const QString errors = LastRunOutputPath(true);
    QMutexLocker lock(&textsMutex);
    return {texts.logText.compose(output, !lastOutputPath[0].isEmpty()),
        texts.logText2.compose(errors, !lastOutputPath[1].isEmpty()), texts.runError.compose({}, false)};
}

void SetLastRunTexts(const LastRunTexts& newTexts)
{
    QMutexLocker lock(&textsMutex);
    texts = {};
    texts.logText.append(newTexts.logText);
    texts.logText2.append(newTexts.logText2);
    texts.runError.append(newTexts.runError);
    outputStartsAfresh[0] = outputStartsAfresh[1] = true;
}

void ClearLastRunTexts()
{
    SetLastRunTexts({});
}

void AppendLastRunTexts(const QString& heading, const LastRunTexts& added)
{
    QMutexLocker lock(&textsMutex);
    // Every set of a run of all sets is named in the log, also one whose tool printed nothing.
    appendSection(texts.logText, heading, added.logText, true);
    appendSection(texts.logText2, heading, added.logText2, false);
    appendSection(texts.runError, heading, added.runError, false);
}

QString LastRunOutputPath(bool secondStream)
{
    QMutexLocker lock(&textsMutex);
    const QString& last = lastOutputPath[secondStream ? 1 : 0];
    return last.isEmpty() ? cacheOutputPath(secondStream) : last;
}

void RenameRunLogPath(const QString& from, const QString& to)
{
    QMutexLocker lock(&textsMutex);
    for (QString& last : lastOutputPath) {
        if (last == from)
            last = to;
    }
}

RunOutputFile OpenLastRunOutput(QFile& file, bool secondStream, const QString& keptLogPath, QString& error)
{
    // Tool output names the user's files and folders: for the user's eyes only.
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    if (!keptLogPath.isEmpty()) {
        file.setFileName(keptLogPath);
        // Both streams append to the one file, so neither writes over what the other wrote.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered | QIODevice::Append, ownerOnly)) {
            error = file.errorString();
            return RunOutputFile::None;
        }
        QMutexLocker lock(&textsMutex);
        lastOutputPath[secondStream ? 1 : 0] = keptLogPath;
        return RunOutputFile::KeptLog;
    }
    const QString path = cacheOutputPath(secondStream);
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QMutexLocker lock(&textsMutex);
    bool& afresh = outputStartsAfresh[secondStream ? 1 : 0];
    file.setFileName(path);
    // Unbuffered: every piece goes straight to the file as it arrives, without a copy in between.
    const QIODevice::OpenMode mode
        = QIODevice::WriteOnly | QIODevice::Unbuffered | (afresh ? QIODevice::Truncate : QIODevice::Append);
    if (!file.open(mode, ownerOnly)) {
        error = file.errorString();
        return RunOutputFile::None;
    }
    // Also when an older file was made with looser rights.
    file.setPermissions(ownerOnly);
    afresh = false;
    lastOutputPath[secondStream ? 1 : 0].clear();
    return RunOutputFile::WholeOutput;
}
