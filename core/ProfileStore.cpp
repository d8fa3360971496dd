#include "ProfileStore.h"

#include "LeftoverFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <limits>

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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return IniDocument::fromBytes(file.readAll());
}

} // namespace

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

QString ProfileStore::currentFilePath() const
{
    if (useSetFile) {
        if (!isValidSetName(setFileName))
            return {};
        return joinPath(setFolder(), setFileName + kIniSuffix);
    }
    return joinPath(settingsFolder(), storeName + kIniSuffix);
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

bool ProfileStore::WriteProfileValues(const IniValues& values, bool freshFile)
{
    const QString path = currentFilePath();
    if (path.isEmpty())
        return false;
    const auto existing = readDocument(path);
    IniDocument doc;
    if (freshFile) {
        doc = IniDocument::withSection(sectionName(), values);
        // Rewriting an unchanged file costs a disk flush for nothing.
        if (existing && existing->toBytes() == doc.toBytes())
            return true;
    } else {
        doc = existing.value_or(IniDocument());
        for (const auto& [key, value] : values) {
            if (!doc.setValue(sectionName(), key, value))
                return false;
        }
    }
    return writeDocument(path, doc);
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
    // QSaveFile's copy is the file's name, a dot and six random letters or digits.
    constexpr int suffixLength = 6;
    const QString settingsPrefix = storeName + kIniSuffix + QLatin1Char('.');
    RemoveLeftoverFiles(
        settingsFolder(), [&](const QString& name) { return IsTemporaryCopyName(name, settingsPrefix, suffixLength); });
    RemoveLeftoverFiles(setFolder(), [&](const QString& name) {
        const QString prefix = name.left(name.size() - suffixLength);
        return prefix.endsWith(kIniSuffix + QLatin1Char('.'), Qt::CaseSensitive)
            && isValidSetName(prefix.chopped(kIniSuffix.size() + 1)) && IsTemporaryCopyName(name, prefix, suffixLength);
    });
}

int ProfileStore::ListSetNames(QStringList& list) const
{
    const QDir folder(setFolder());
    if (!folder.exists())
        return 0;
    // Only the final ".ini" is the file's suffix: "a.ini.ini" is the set "a.ini".
    const QStringList files
        = folder.entryList({QStringLiteral("*") + kIniSuffix}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    int count = 0;
    for (const QString& file : files) {
        if (!file.endsWith(kIniSuffix, Qt::CaseSensitive))
            continue;
        const QString name = file.chopped(kIniSuffix.size());
        if (!isValidSetName(name))
            continue;
        list.append(name);
        ++count;
    }
    return count;
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
    // A line before any section: reads never see it, the file only has to exist.
    IniDocument doc = IniDocument::fromBytes("PathTo7zExe=C:\\Program Files\\7-Zip\\7zG.exe\n");
    writeDocument(path, doc);
}
