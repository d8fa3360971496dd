#include "IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A section header line: the name between '[' and the first ']', blanks trimmed. Views, not copies: every
// line of every set file passes through here.
std::optional<QStringView> sectionName(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return trimmed.sliced(1, close - 1).trimmed();
}

bool keyMatches(const QString& line, QStringView key, QString* value = nullptr)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    if (QStringView(line).left(eq).trimmed().compare(key.trimmed(), Qt::CaseInsensitive) != 0)
        return false;
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return true;
}

// Equal for names that compare equal without regard to case: each character folded as the comparison folds
// it. A surrogate is left out rather than folded alone, which the comparison does not do.
size_t foldedNameHash(QStringView name)
{
    size_t hash = 0;
    for (QChar c : name) {
        if (c.isSurrogate())
            continue;
        const char16_t unit = c.unicode();
        const char16_t folded = unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A'))
            : unit < 0x80                                    ? unit
                                                             : c.toCaseFolded().unicode();
        hash = hash * 31 + folded;
    }
    return hash;
}

bool hasLineBreakOrNul(const QString& text)
{
    for (QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c.isNull())
            return true;
    }
    return false;
}

} // namespace

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument doc;
    doc.m_source = bytes;
    QByteArrayView view(bytes);
    qsizetype sourceOffset = 0;
    if (view.startsWith("\xEF\xBB\xBF")) {
        doc.m_byteOrderMark = true;
        view = view.sliced(3);
        sourceOffset = 3;
    }
    if (view.isEmpty())
        return doc;
    doc.m_lines.reserve(view.count('\n') + 1);
    qsizetype start = 0;
    while (start <= view.size()) {
        qsizetype end = view.indexOf('\n', start);
        const bool last = end < 0;
        if (last)
            end = view.size();
        const QByteArrayView raw = view.sliced(start, end - start);
        QByteArrayView line = raw;
        if (line.endsWith('\r'))
            line.chop(1);
        if (!(last && raw.isEmpty())) {
            // A line of plain ASCII, as nearly every line is, reads the same in any decoder.
            const bool ascii = std::all_of(line.begin(), line.end(), [](char c) { return uchar(c) < 0x80; });
            if (ascii) {
                doc.m_lines.append({{}, sourceOffset + start, raw.size(), QString::fromLatin1(line)});
            } else {
                // A byte order mark inside the file is text like any other, and a line cut inside a character
                // still shows the rest of it.
                QStringDecoder decoder(
                    QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
                doc.m_lines.append({{}, sourceOffset + start, raw.size(), decoder(line)});
            }
        }
        if (last)
            break;
        start = end + 1;
    }
    return doc;
}

QByteArray IniDocument::toBytes() const
{
    QByteArray bytes;
    if (m_byteOrderMark)
        bytes += "\xEF\xBB\xBF";
    bytes.reserve(m_source.size() + 64);
    for (const Line& line : m_lines) {
        if (line.sourceLength >= 0)
            bytes += QByteArrayView(m_source).sliced(line.sourceStart, line.sourceLength);
        else
            bytes += line.raw;
        bytes += '\n';
    }
    return bytes;
}

void IniDocument::setLine(qsizetype index, const QString& text)
{
    m_lines[index] = {text.toUtf8(), 0, -1, text};
}

void IniDocument::insertLine(qsizetype index, const QString& text)
{
    m_lines.insert(index, {text.toUtf8(), 0, -1, text});
}

qsizetype IniDocument::findSection(const QString& section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines.at(i).text);
        if (name && name->compare(QStringView(section).trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return std::nullopt;
    for (qsizetype i = header + 1; i < m_lines.size(); ++i) {
        const QString& line = m_lines.at(i).text;
        if (sectionName(line))
            break;
        QString found;
        if (keyMatches(line, key, &found))
            return found;
    }
    return std::nullopt;
}

IniSectionValues IniDocument::sectionValues(const QString& section) const
{
    IniSectionValues values;
    const qsizetype header = findSection(section);
    if (header < 0)
        return values;
    values.m_entries.reserve(m_lines.size() - header - 1);
    for (qsizetype i = header + 1; i < m_lines.size(); ++i) {
        const QString& line = m_lines.at(i).text;
        if (sectionName(line))
            break;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QStringView name = QStringView(line).left(eq).trimmed();
        values.m_entries.append({foldedNameHash(name), name, QStringView(line).sliced(eq + 1).trimmed()});
    }
    return values;
}

std::optional<QString> IniSectionValues::value(QStringView key) const
{
    const QStringView name = key.trimmed();
    const size_t hash = foldedNameHash(name);
    for (const Entry& entry : m_entries) {
        // Nearly every file spells the name as it is asked for, which compares far faster than letters folded.
        if (entry.nameHash == hash && (entry.name == name || entry.name.compare(name, Qt::CaseInsensitive) == 0))
            return entry.value.toString();
    }
    return std::nullopt;
}

bool IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    if (!IniFile::isStorableKey(key) || !IniFile::isStorableValue(value) || !IniFile::isStorableKey(section)
        || section.contains(QLatin1Char(']')))
        return false;
    const QString newLine = key + QLatin1Char('=') + value;
    const qsizetype header = findSection(section);
    if (header < 0) {
        insertLine(m_lines.size(), QLatin1Char('[') + section + QLatin1Char(']'));
        insertLine(m_lines.size(), newLine);
        return true;
    }
    // The new key goes after the section's last non-blank line, before any blank lines that part sections.
    qsizetype insertAt = header + 1;
    for (qsizetype i = header + 1; i < m_lines.size(); ++i) {
        const QString& line = m_lines.at(i).text;
        if (sectionName(line))
            break;
        if (keyMatches(line, key)) {
            setLine(i, newLine);
            return true;
        }
        if (!line.trimmed().isEmpty())
            insertAt = i + 1;
    }
    insertLine(insertAt, newLine);
    return true;
}

IniDocument IniDocument::withSection(const QString& section, const IniValues& values)
{
    IniDocument doc;
    for (const auto& [key, value] : values)
        doc.setValue(section, key, value);
    return doc;
}

namespace IniFile {

// Read from the process status rather than with umask(), which would change it for a moment for every thread.
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask);
            }
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

bool isStorableKey(const QString& key)
{
    return !key.trimmed().isEmpty() && !key.contains(QLatin1Char('=')) && !hasLineBreakOrNul(key)
        && !key.trimmed().startsWith(QLatin1Char('['));
}

bool isStorableValue(const QString& value)
{
    return !hasLineBreakOrNul(value);
}

QString temporaryCopyPrefix(const QString& fileName)
{
    return QLatin1Char('.') + fileName + QLatin1String(kTemporaryCopyMark);
}

bool replaceFileAtomically(const QString& path, const QByteArray& bytes, LinkAtPath links, bool* linkFound)
{
    if (linkFound)
        *linkFound = false;
    QString target = path;
    if (const QFileInfo info(path); info.isSymLink()) {
        if (links == LinkAtPath::Refuse) {
            if (linkFound)
                *linkFound = true;
            return false;
        }
        target = info.canonicalFilePath();
        if (target.isEmpty())
            target = info.symLinkTarget();
    }
    const QFileInfo targetInfo(target);
    const QByteArray finalPath = QFile::encodeName(target);
    // A pipe or a device in the file's place is not a file to replace, and the folder of a device is
    // no place for a copy.
    struct stat old;
    const bool exists = ::lstat(finalPath.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return false;
    const QByteArray folder = QFile::encodeName(targetInfo.absolutePath());
    QByteArray temporary = folder + '/' + QFile::encodeName(temporaryCopyPrefix(targetInfo.fileName()))
        + QByteArray(kTemporaryCopySuffixLength, 'X');
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    auto fail = [&] {
        ::close(fd);
        ::unlink(temporary.constData());
        return false;
    };

    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return fail();
        done += wrote;
    }
    // The user's own permission bits survive the save: a settings file closed to others stays closed.
    // Someone else's file, or none, gets what a newly created file would.
    const mode_t mode = exists && old.st_uid == ::geteuid() ? old.st_mode & 07777 : 0666 & ~currentUmask();
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
        return fail();
    if (::close(fd) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    // The only step that touches the old file, and it is atomic.
    if (::rename(temporary.constData(), finalPath.constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    // The rename itself is on disk only once the folder is.
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

} // namespace IniFile
