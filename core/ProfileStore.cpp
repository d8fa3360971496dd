#include "ProfileStore.h"

#include "FileDescriptor.h"
#include "LeftoverFiles.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ProfileStore* g_profileStore = nullptr;

namespace {

const QString kCompanyFolder = QStringLiteral("Quorvane");
const QString kIniSuffix = QStringLiteral(".ini");

QString joinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

std::optional<IniDocument> readDocument(const QString& path)
{
    return ProfileStore::ReadIniFile(path).document;
}

bool isValidUtf8(const QByteArray& bytes)
{
    // Qt replaces what it cannot decode (and overlong forms and surrogates), so the way back differs.
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// The length of the UTF-8 character at bytes[i] when it is one that decodes, else 0.
qsizetype utf8CharacterLength(const QByteArray& bytes, qsizetype i)
{
    const uchar lead = uchar(bytes.at(i));
    const qsizetype length = lead < 0x80 ? 1
        : (lead >> 5) == 0x6             ? 2
        : (lead >> 4) == 0xE             ? 3
        : (lead >> 3) == 0x1E            ? 4
                                         : 0;
    if (length == 0 || i + length > bytes.size())
        return 0;
    return isValidUtf8(bytes.mid(i, length)) ? length : 0;
}

QString readableFileName(const QByteArray& bytes)
{
    QString shown;
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype length = utf8CharacterLength(bytes, i);
        if (length == 0 || uchar(bytes.at(i)) < 0x20 || bytes.at(i) == 0x7F) {
            shown += QString::asprintf("\\x%02X", uint(uchar(bytes.at(i))));
            ++i;
            continue;
        }
        shown += QString::fromUtf8(bytes.mid(i, length));
        i += length;
    }
    return shown;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString problemText(SetFileProblem problem, int error)
{
    switch (problem) {
    case SetFileProblem::NotRegularFile:
        return LoadStringById(StringId::NotRegularFile);
    case SetFileProblem::NameNotUtf8:
        return LoadStringById(StringId::NameNotUtf8);
    case SetFileProblem::NotASetName:
        return LoadStringById(StringId::NameNotSetName);
    case SetFileProblem::Unreadable:
        return LoadStringById(StringId::FileUnreadable).arg(systemError(error));
    case SetFileProblem::None:
        break;
    }
    return {};
}

} // namespace

QString SkippedSetFile::message() const
{
    return LoadStringById(StringId::FileNotLoaded).arg(path, reason);
}

static FileStamp stampFromStat(const struct stat& info)
{
    return {qint64(info.st_size), qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec, quint64(info.st_dev),
        quint64(info.st_ino)};
}

std::optional<FileStamp> ProfileStore::StampOf(const QString& path)
{
    struct stat info;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return stampFromStat(info);
}

bool IniFileRead::missing() const
{
    return !document && (error == ENOENT || error == ENOTDIR);
}

IniFileRead ProfileStore::ReadIniFile(const QString& path)
{
    IniFileRead result;
    // Without O_NONBLOCK, opening a pipe for reading waits for a writer that may never come.
    FileDescriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) {
        result.error = errno;
        result.problem = SetFileProblem::Unreadable;
        return result;
    }
    // Checked on what was opened, so nothing swapped in since a look at the name is read instead.
    if (!S_ISREG(info.st_mode)) {
        result.problem = SetFileProblem::NotRegularFile;
        return result;
    }
    result.stamp = stampFromStat(info);
    // Read straight into the text's own buffer: one allocation, no copy. A file that grew since fstat
    // still comes whole, the buffer growing as it must.
    QByteArray bytes(std::max<qsizetype>(qsizetype(info.st_size) + 1, 4096), Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t got = ::read(fd.get(), bytes.data() + size, size_t(bytes.size() - size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.error = errno;
            result.problem = SetFileProblem::Unreadable;
            return result;
        }
        if (got == 0)
            break;
        size += got;
    }
    bytes.truncate(size);
    result.document = IniDocument::fromBytes(bytes);
    return result;
}

ProfileStore::ProfileStore(const QString& name, const QString& settingsBase, const QString& setBase)
    : storeName(name)
    , m_settingsBase(settingsBase.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                                            : settingsBase)
    , m_setBase(setBase.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) : setBase)
{
}

void ProfileStore::SelectSettingsFile()
{
    location = 0;
    useSetFile = false;
}

void ProfileStore::SelectSetFile(const QString& name)
{
    location = 1;
    setFileName = name;
    useSetFile = true;
}

bool ProfileStore::isValidSetName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

QString ProfileStore::settingsFolder() const
{
    return joinPath(joinPath(m_settingsBase, kCompanyFolder), storeName);
}

QString ProfileStore::setFolder() const
{
    return joinPath(joinPath(m_setBase, kCompanyFolder), storeName);
}

QString ProfileStore::sectionName() const
{
    return storeName + QStringLiteral(" Project file");
}

QString ProfileStore::SetFilePath(const QString& name) const
{
    if (!isValidSetName(name))
        return {};
    return joinPath(setFolder(), name + kIniSuffix);
}

QString ProfileStore::currentFilePath() const
{
    return useSetFile ? SetFilePath(setFileName) : settingsFilePath();
}

IniFileRead ProfileStore::ReadSetFile(const QString& name) const
{
    const QString path = SetFilePath(name);
    if (path.isEmpty()) {
        IniFileRead result;
        result.error = ENOENT;
        result.problem = SetFileProblem::Unreadable;
        return result;
    }
    return ReadIniFile(path);
}

QString ProfileStore::ReadProfileString(const QString& key, const QString& defaultValue) const
{
    const QString path = currentFilePath();
    if (path.isEmpty())
        return defaultValue;
    const auto doc = readDocument(path);
    if (!doc)
        return defaultValue;
    return doc->value(sectionName(), key).value_or(defaultValue);
}

qint32 ParseProfileInt(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 magnitude = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        magnitude = magnitude * 10 + (text.at(i).unicode() - '0');
        // Saturate instead of overflowing on absurd values.
        if (magnitude > qint64(std::numeric_limits<qint32>::max()) + 1)
            magnitude = qint64(std::numeric_limits<qint32>::max()) + 1;
    }
    const qint64 value = negative ? -magnitude : magnitude;
    return qint32(std::clamp<qint64>(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

qint32 ProfileStore::ReadProfileInt(const QString& key, qint32 defaultValue) const
{
    return ParseProfileInt(ReadProfileString(key, QString::number(defaultValue)));
}

bool ProfileStore::writeDocument(const QString& path, const IniDocument& doc)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    return IniFile::replaceFileAtomically(path, doc.toBytes());
}

bool ProfileStore::writeValues(const QString& path, const IniValues& values, bool freshFile, FileStamp* stamp)
{
    if (path.isEmpty())
        return false;
    const IniFileRead existing = ReadIniFile(path);
    // Keys are written into what the file holds: a file there that cannot be read is left alone rather
    // than replaced by these keys alone.
    if (!freshFile && !existing.document && !existing.missing())
        return false;
    IniDocument doc;
    if (freshFile) {
        doc = IniDocument::withSection(sectionName(), values);
        // Rewriting an unchanged file costs a disk flush for nothing.
        if (existing.document && existing.document->toBytes() == doc.toBytes()) {
            if (stamp)
                *stamp = existing.stamp;
            return true;
        }
    } else {
        doc = existing.document.value_or(IniDocument());
        for (const auto& [key, value] : values) {
            if (!doc.setValue(sectionName(), key, value))
                return false;
        }
        // Keys that already hold these values: the file stays as it is, its time too.
        if (existing.document && existing.document->toBytes() == doc.toBytes()) {
            if (stamp)
                *stamp = existing.stamp;
            return true;
        }
    }
    if (!writeDocument(path, doc))
        return false;
    if (stamp)
        *stamp = StampOf(path).value_or(FileStamp());
    return true;
}

bool ProfileStore::WriteProfileValues(const IniValues& values, bool freshFile)
{
    return writeValues(currentFilePath(), values, freshFile, nullptr);
}

bool ProfileStore::WriteSetFileValues(const QString& name, const IniValues& values, bool freshFile, FileStamp* stamp)
{
    return writeValues(SetFilePath(name), values, freshFile, stamp);
}

QString ProfileStore::settingsFilePath() const
{
    return joinPath(settingsFolder(), storeName + kIniSuffix);
}

bool ProfileStore::WriteSettingsValues(const IniValues& values)
{
    return writeValues(settingsFilePath(), values, false, nullptr);
}

IniFileRead ProfileStore::ReadSettingsFile() const
{
    return ReadIniFile(settingsFilePath());
}

std::optional<FileStamp> ProfileStore::SetFileStamp(const QString& name) const
{
    return StampOf(SetFilePath(name));
}

bool ProfileStore::WriteProfileString(const QString& key, const QString& value)
{
    return WriteProfileValues({{key, value}});
}

bool ProfileStore::WriteProfileInt(const QString& key, qint32 value)
{
    return WriteProfileString(key, QString::number(value));
}

void ProfileStore::RemoveSaveLeftovers() const
{
    // Only the hidden copies this program names, ".NAME.ini.velmora-" and six letters or digits: a user's
    // own "Docs.ini.backup" or another program's copy is never touched.
    const QString settingsPrefix = IniFile::temporaryCopyPrefix(storeName + kIniSuffix);
    RemoveLeftoverFiles(settingsFolder(), [&](const QString& name) {
        return IsTemporaryCopyName(name, settingsPrefix, IniFile::kTemporaryCopySuffixLength);
    });
    const QString mark = kIniSuffix + QLatin1String(IniFile::kTemporaryCopyMark);
    RemoveLeftoverFiles(setFolder(), [&](const QString& name) {
        const QString prefix = name.left(name.size() - IniFile::kTemporaryCopySuffixLength);
        if (!prefix.startsWith(QLatin1Char('.')) || !prefix.endsWith(mark, Qt::CaseSensitive))
            return false;
        const QString setName = prefix.mid(1, prefix.size() - 1 - mark.size());
        return isValidSetName(setName) && IsTemporaryCopyName(name, prefix, IniFile::kTemporaryCopySuffixLength);
    });
}

SetFolderScan ProfileStore::ScanSetFolder() const
{
    SetFolderScan scan;
    const QString folder = setFolder();
    const QByteArray encodedFolder = QFile::encodeName(folder);
    DIR* dir = ::opendir(encodedFolder.constData());
    if (!dir)
        return scan;
    const QByteArray suffix = kIniSuffix.toUtf8();
    auto skip = [&](const QByteArray& fileName, SetFileProblem problem, int error = 0) {
        scan.skipped.append(DescribeSkippedSetFile(fileName, problem, error));
    };
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray fileName(entry->d_name);
        // Only the final ".ini" is the file's suffix: "a.ini.ini" is the set "a.ini".
        if (!fileName.endsWith(suffix))
            continue;
        if (!isValidUtf8(fileName)) {
            skip(fileName, SetFileProblem::NameNotUtf8);
            continue;
        }
        const QString name = QString::fromUtf8(fileName).chopped(kIniSuffix.size());
        if (!isValidSetName(name)) {
            skip(fileName, SetFileProblem::NotASetName);
            continue;
        }
        // The folder's own word that the entry is a regular file spares a look per set; the read checks
        // again on what it opens.
        if (entry->d_type == DT_REG) {
            scan.names.append(name);
            continue;
        }
        const QByteArray path = encodedFolder + '/' + fileName;
        struct stat info;
        // A link to a set file is a set file. Only what cannot be followed is looked at again, to tell a
        // file gone since the folder was listed from a broken link: one call per set with many sets.
        if (::stat(path.constData(), &info) != 0) {
            const int error = errno;
            if (::lstat(path.constData(), &info) != 0)
                continue;
            skip(fileName, SetFileProblem::Unreadable, error);
            continue;
        }
        if (!S_ISREG(info.st_mode)) {
            skip(fileName, SetFileProblem::NotRegularFile);
            continue;
        }
        scan.names.append(name);
    }
    ::closedir(dir);
    std::sort(scan.names.begin(), scan.names.end());
    std::sort(scan.skipped.begin(), scan.skipped.end(),
        [](const SkippedSetFile& a, const SkippedSetFile& b) { return a.fileName < b.fileName; });
    return scan;
}

SkippedSetFile ProfileStore::DescribeSkippedSetFile(const QByteArray& fileName, SetFileProblem problem, int error) const
{
    const QString shown = readableFileName(fileName);
    return {shown, joinPath(setFolder(), shown), problem, problemText(problem, error)};
}

int ProfileStore::ListSetNames(QStringList& list) const
{
    const QStringList names = ScanSetFolder().names;
    list.append(names);
    return int(names.size());
}

bool ProfileStore::DeleteSetFile(const QString& name)
{
    if (!isValidSetName(name))
        return false;
    const QString path = joinPath(setFolder(), name + kIniSuffix);
    if (!QFileInfo::exists(path))
        return false;
    return QFile::remove(path);
}

void ProfileStore::EnsureSettingsFile()
{
    const QString path = currentFilePath();
    if (path.isEmpty() || QFileInfo::exists(path))
        return;
    // A line before any section: reads never see it, the file only has to exist. It names the default the
    // settings take, so a user reading the new file is not misled.
    IniDocument doc = IniDocument::fromBytes("PathTo7zExe=" + kDefaultPathTo7zExe.toUtf8() + '\n');
    writeDocument(path, doc);
}
