#include "OffsiteChecksums.h"

#include "IniFile.h"
#include "UserFolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// One line a file: SIZE, TIME (ms), MD5, SHA1 and the name last, so that it may hold blanks; tabs between.
constexpr int kFields = 5;

qint64 modifiedMsOf(const QFileInfo& info)
{
    return info.lastModified().toMSecsSinceEpoch();
}

bool isHex(const QString& text, qsizetype length)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]*$"));
    return text.size() == length && hex.match(text).hasMatch();
}

} // namespace

QString FileChecksums::ofKind(const QString& kind) const
{
    if (kind == QLatin1String("md5"))
        return md5;
    if (kind == QLatin1String("sha1"))
        return sha1;
    return {};
}

std::optional<FileChecksums> LocalChecksums(const QString& path, const RunControl* control)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QCryptographicHash md5(QCryptographicHash::Md5);
    QCryptographicHash sha1(QCryptographicHash::Sha1);
    QByteArray chunk(4 << 20, Qt::Uninitialized);
    for (;;) {
        // An archive of many gigabytes takes a while: Stop and the time limit end the reading too.
        if (control && control->shouldStop())
            return std::nullopt;
        const qint64 read = file.read(chunk.data(), chunk.size());
        if (read < 0)
            return std::nullopt;
        if (read == 0)
            break;
        const QByteArrayView part(chunk.constData(), read);
        md5.addData(part);
        sha1.addData(part);
    }
    return FileChecksums {QString::fromLatin1(md5.result().toHex()), QString::fromLatin1(sha1.result().toHex())};
}

QString OffsiteChecksums::pathOf(quint32 setId)
{
    return UserStateFolder() + QStringLiteral("/copy-checksums/set-%1").arg(setId);
}

OffsiteChecksums OffsiteChecksums::load(quint32 setId)
{
    OffsiteChecksums record;
    record.m_setId = setId;
    QFile file(pathOf(setId));
    if (!file.open(QIODevice::ReadOnly))
        return record;
    // Bounded: the record of a chain is a few lines; anything far larger is not ours.
    const QString text = QString::fromUtf8(file.read(qint64(4) << 20));
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != kFields || fields.at(4).isEmpty())
            continue;
        bool sizeOk = false;
        bool timeOk = false;
        CopiedFile copied;
        copied.size = fields.at(0).toLongLong(&sizeOk);
        copied.modifiedMs = fields.at(1).toLongLong(&timeOk);
        copied.sums = {fields.at(2), fields.at(3)};
        if (sizeOk && timeOk && copied.size >= 0 && isHex(copied.sums.md5, 32) && isHex(copied.sums.sha1, 40))
            record.m_files.insert(fields.at(4), copied);
    }
    return record;
}

bool OffsiteChecksums::save() const
{
    QByteArray text;
    for (auto it = m_files.constBegin(); it != m_files.constEnd(); ++it) {
        text += QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                    .arg(it->size)
                    .arg(it->modifiedMs)
                    .arg(it->sums.md5, it->sums.sha1, it.key())
                    .toUtf8();
    }
    const QString path = pathOf(m_setId);
    return QDir().mkpath(QFileInfo(path).path()) && IniFile::replaceFileAtomically(path, text);
}

std::optional<FileChecksums> OffsiteChecksums::sumsOf(const QString& name, const QString& localPath) const
{
    const auto found = m_files.constFind(name);
    if (found == m_files.constEnd())
        return std::nullopt;
    const QFileInfo info(localPath);
    // A full archive keeps its name when a chain starts anew: the record is of the old one then.
    if (info.size() != found->size || modifiedMsOf(info) != found->modifiedMs)
        return std::nullopt;
    return found->sums;
}

void OffsiteChecksums::record(const QString& name, const QString& localPath, const FileChecksums& sums)
{
    // A name the lines cannot hold is not recorded: its copy is then judged against the local file.
    if (name.contains(QLatin1Char('\t')) || name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
        return;
    const QFileInfo info(localPath);
    m_files.insert(name, {info.size(), modifiedMsOf(info), sums});
}

void OffsiteChecksums::keepOnly(const QStringList& names)
{
    for (auto it = m_files.begin(); it != m_files.end();) {
        if (names.contains(it.key()))
            ++it;
        else
            it = m_files.erase(it);
    }
}
