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

qint32 defaultArcType = 0;
qint32 defaultCompLevel = 0;
QString defaultArcLocation;
qint32 minorUpdatedNumber = 0;
qint32 langID = 0;
QString roboPathXP;
qint32 manualOverdueDays = 0;
// Sensible before the settings are read too, so a set made without them still keeps its history.
qint32 defaultKeepLast = 10;
qint32 defaultKeepHourly = 24;
qint32 defaultKeepDaily = 14;
qint32 defaultKeepWeekly = 8;
qint32 defaultKeepMonthly = 12;
qint32 defaultKeepYearly = 3;
qint32 fullArchiveTestDays = 30;

namespace {

QMutex pathTo7zExeMutex;
QString pathTo7zExeValue;

} // namespace

QString pathTo7zExe()
{
    QMutexLocker lock(&pathTo7zExeMutex);
    return pathTo7zExeValue;
}

void setPathTo7zExe(const QString& path)
{
    QMutexLocker lock(&pathTo7zExeMutex);
    pathTo7zExeValue = path;
}

namespace {

// A setting kept behind its own accessors rather than in a plain variable.
struct TextAccess
{
    QString (*get)();
    void (*set)(const QString&);
};

// One key of the settings file: its name, where its value lives (its type), the value when it is missing, and
// for a number the smallest value that means something (below it, or no whole number, reads as the default).
struct SettingKey
{
    QString key;
    std::variant<qint32*, QString*, TextAccess> value;
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
        {QStringLiteral("DefaultArcType"), &defaultArcType, QStringLiteral("1")},
        {QStringLiteral("DefaultCompLevel"), &defaultCompLevel, QStringLiteral("3")},
        {QStringLiteral("DefaultArcLocation"), &defaultArcLocation, QString()},
        {QStringLiteral("PathTo7zExe"), TextAccess {&pathTo7zExe, &setPathTo7zExe}, kDefaultPathTo7zExe},
        // A negative count would start a new chain at every run.
        {QStringLiteral("MinorUpdatedNumber"), &minorUpdatedNumber, QStringLiteral("10"), 0},
        {QStringLiteral("LangID"), &langID, QStringLiteral("0")},
        {QStringLiteral("RoboPathXP"), &roboPathXP, kDefaultRoboPathXP},
        {QStringLiteral("ManualOverdueDays"), &manualOverdueDays, QStringLiteral("7")},
        // A negative count means nothing; 0 turns the rule off.
        {QStringLiteral("DefaultKeepLast"), &defaultKeepLast, QStringLiteral("10"), 0},
        {QStringLiteral("DefaultKeepHourly"), &defaultKeepHourly, QStringLiteral("24"), 0},
        {QStringLiteral("DefaultKeepDaily"), &defaultKeepDaily, QStringLiteral("14"), 0},
        {QStringLiteral("DefaultKeepWeekly"), &defaultKeepWeekly, QStringLiteral("8"), 0},
        {QStringLiteral("DefaultKeepMonthly"), &defaultKeepMonthly, QStringLiteral("12"), 0},
        {QStringLiteral("DefaultKeepYearly"), &defaultKeepYearly, QStringLiteral("3"), 0},
        // 0 tests the full archive before every update run; a negative count would mean nothing.
        {QStringLiteral("FullArchiveTestDays"), &fullArchiveTestDays, QStringLiteral("30"), 0},
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

void setFromText(const SettingKey& key, const QString& text)
{
    if (auto number = std::get_if<qint32*>(&key.value))
        **number = ParseProfileInt(text);
    else if (auto value = std::get_if<QString*>(&key.value))
        **value = text;
    else
        std::get<TextAccess>(key.value).set(text);
}

QString textOf(const SettingKey& key)
{
    if (auto number = std::get_if<qint32*>(&key.value))
        return QString::number(**number);
    if (auto value = std::get_if<QString*>(&key.value))
        return **value;
    return std::get<TextAccess>(key.value).get();
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
    for (const SettingKey& key : settingKeys()) {
        const QString text = values.value(key.key).value_or(key.defaultValue);
        if (isInRange(key, text)) {
            setFromText(key, text);
        } else {
            badSettings.append({key.key, text, key.defaultValue});
            setFromText(key, key.defaultValue);
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
        values.append({key.key, textOf(key)});
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
