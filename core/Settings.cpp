#include "Settings.h"

#include "ProfileStore.h"
#include "ResourceIds.h"
#include "SetCollection.h"
#include "StringTable.h"
#include "UserMessages.h"

#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

#include <optional>
#include <variant>

LockedText::LockedText(const LockedText& other)
    : m_text(other.value())
{
}

LockedText& LockedText::operator=(const LockedText& other)
{
    if (this != &other)
        setValue(other.value());
    return *this;
}

QString LockedText::value() const
{
    QMutexLocker lock(&m_mutex);
    return m_text;
}

void LockedText::setValue(const QString& text)
{
    QMutexLocker lock(&m_mutex);
    m_text = text;
}

namespace {

ProgramSettings& programSettings()
{
    static ProgramSettings settings;
    return settings;
}

} // namespace

const ProgramSettings& Settings()
{
    return programSettings();
}

ProgramSettings& MutableSettings()
{
    return programSettings();
}

namespace {

// The 7-Zip location, reached through its lock.
struct LockedTextAccess
{
    QString (*get)(const ProgramSettings&);
    void (*set)(ProgramSettings&, const QString&);
};

// One key of the settings file: its name, the member of ProgramSettings that holds it (its type), the value when it is
// missing, and for a number the smallest value that means something (below it, or no whole number, reads as the
// default).
struct SettingKey
{
    QString key;
    std::variant<qint32 ProgramSettings::*, QString ProgramSettings::*, LockedTextAccess> value;
    QString defaultValue;
    std::optional<qint32> minimum = std::nullopt;
};

// A setting found out of its range by the last LoadSettings.
struct BadSetting
{
    QString key;
    QString found;
    QString used;
};
QList<BadSetting> badSettings;

// Every setting, in the order they are read and written.
const QList<SettingKey>& settingKeys()
{
    static const QList<SettingKey> keys = {
        {QStringLiteral("DefaultArcType"), &ProgramSettings::newSetArchiveType, QStringLiteral("1")},
        {QStringLiteral("DefaultCompLevel"), &ProgramSettings::newSetCompressionLevel, QStringLiteral("3")},
        {QStringLiteral("DefaultArcLocation"), &ProgramSettings::newSetDestination, QString()},
        {QStringLiteral("PathTo7zExe"),
            LockedTextAccess {[](const ProgramSettings& settings) { return settings.sevenZipPath.value(); },
                [](ProgramSettings& settings, const QString& text) { settings.sevenZipPath.setValue(text); }},
            kDefaultPathTo7zExe},
        // A negative count would start a new chain at every run.
        {QStringLiteral("MinorUpdatedNumber"), &ProgramSettings::chainLength, QStringLiteral("10"), 0},
        {QStringLiteral("LangID"), &ProgramSettings::languageId, QStringLiteral("0")},
        {QStringLiteral("RoboPathXP"), &ProgramSettings::rsyncPath, kDefaultRoboPathXP},
        {QStringLiteral("ManualOverdueDays"), &ProgramSettings::manualOverdueDays, QStringLiteral("7")},
        // A negative count means nothing; 0 turns the rule off.
        {QStringLiteral("DefaultKeepLast"), &ProgramSettings::newSetKeepLast, QStringLiteral("10"), 0},
        {QStringLiteral("DefaultKeepHourly"), &ProgramSettings::newSetKeepHourly, QStringLiteral("24"), 0},
        {QStringLiteral("DefaultKeepDaily"), &ProgramSettings::newSetKeepDaily, QStringLiteral("14"), 0},
        {QStringLiteral("DefaultKeepWeekly"), &ProgramSettings::newSetKeepWeekly, QStringLiteral("8"), 0},
        {QStringLiteral("DefaultKeepMonthly"), &ProgramSettings::newSetKeepMonthly, QStringLiteral("12"), 0},
        {QStringLiteral("DefaultKeepYearly"), &ProgramSettings::newSetKeepYearly, QStringLiteral("3"), 0},
        // 0 tests the full archive before every update run; a negative count would mean nothing.
        {QStringLiteral("FullArchiveTestDays"), &ProgramSettings::fullArchiveRetestDays, QStringLiteral("30"), 0},
    };
    return keys;
}

// Whether the text is a whole number of at least the key's minimum; any text passes for a key without one.
bool isInRange(const SettingKey& key, const QString& text)
{
    if (!key.minimum)
        return true;
    const std::optional<qint32> number = ParseWholeNumber(text);
    return number && *number >= *key.minimum;
}

template<class... Handlers> struct Overloaded : Handlers...
{
    using Handlers::operator()...;
};
template<class... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

void setFromText(ProgramSettings& settings, const SettingKey& key, const QString& text)
{
    std::visit(Overloaded {
                   [&](qint32 ProgramSettings::*member) { settings.*member = ParseProfileInt(text); },
                   [&](QString ProgramSettings::*member) { settings.*member = text; },
                   [&](const LockedTextAccess& access) { access.set(settings, text); },
               },
        key.value);
}

QString textOf(const ProgramSettings& settings, const SettingKey& key)
{
    return std::visit(Overloaded {
                          [&](qint32 ProgramSettings::*member) { return QString::number(settings.*member); },
                          [&](QString ProgramSettings::*member) { return settings.*member; },
                          [&](const LockedTextAccess& access) { return access.get(settings); },
                      },
        key.value);
}

} // namespace

std::optional<qint32> ParseWholeNumber(const QString& text)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    const QString trimmed = text.trimmed();
    bool ok = false;
    const qint32 number = trimmed.toInt(&ok, 10);
    if (!ok || !wholeNumber.match(trimmed).hasMatch())
        return std::nullopt;
    return number;
}

void LoadSettings()
{
    // The file is read once, whole; a missing or unreadable one gives every default.
    const IniFileRead read = g_profileStore->ReadSettingsFile();
    const IniDocument doc = read.document.value_or(IniDocument());
    const IniSectionValues values = doc.sectionValues(g_profileStore->sectionName());
    badSettings.clear();
    ProgramSettings& settings = programSettings();
    for (const SettingKey& key : settingKeys()) {
        const QString text = values.value(key.key).value_or(key.defaultValue);
        if (isInRange(key, text)) {
            setFromText(settings, key, text);
        } else {
            badSettings.append({key.key, text, key.defaultValue});
            setFromText(settings, key, key.defaultValue);
        }
    }
}

QStringList TakeSettingsReadAsDefault()
{
    QStringList lines;
    for (const BadSetting& bad : std::as_const(badSettings))
        lines.append(
            LoadStringById(StringId::SettingReadAsDefault).arg(SettingsFilePath(), bad.key, bad.found, bad.used));
    badSettings.clear();
    return lines;
}

bool SaveSettings()
{
    // One replacement of the file for all the keys, in the order they are read.
    IniValues values;
    for (const SettingKey& key : settingKeys())
        values.append({key.key, textOf(Settings(), key)});
    return g_profileStore->WriteSettingsValues(values);
}

QString SettingsFilePath()
{
    return g_profileStore->settingsFilePath();
}

bool SaveSetsAndSettings()
{
    QStringList failed;
    SaveAllBackupSets(&failed);
    if (!SaveSettings())
        failed.append(SettingsFilePath());
    if (failed.isEmpty())
        return true;
    userMessages().showMessage(
        LoadStringById(StringId::FilesNotSaved).arg(failed.join(QLatin1Char('\n'))), UserMessages::Icon::Error);
    return false;
}
