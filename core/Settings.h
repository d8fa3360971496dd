#pragma once

// The program-wide settings, read at start-up and written when the main window closes.

#include <QMutex>
#include <QString>

#include <optional>

// A text one thread may rewrite while others read it, each access under its own lock; copies take the value.
class LockedText
{
public:
    LockedText() = default;
    LockedText(const LockedText& other);
    LockedText& operator=(const LockedText& other);
    ~LockedText() = default;

    QString value() const;
    void setValue(const QString& text);

private:
    mutable QMutex m_mutex;
    QString m_text;
};

// The program-wide settings, one member per key of the settings file (the key after each member). Only the
// window's thread and velmora-run's start-up change them, except the 7-Zip location, which the archive job's
// look-up rewrites on a worker thread and so sits behind a lock.
struct ProgramSettings
{
    qint32 newSetArchiveType = 0; // DefaultArcType: the archive type a new set starts with (the type list's index)
    qint32 newSetCompressionLevel = 0; // DefaultCompLevel: the compression level a new set starts with
    QString newSetDestination; // DefaultArcLocation: the destination folder a new set starts with
    qint32 chainLength = 0; // MinorUpdatedNumber: update archives made against one full archive before a new one
    qint32 languageId = 0; // LangID: the interface language, 0 English, 1 Russian
    QString rsyncPath; // RoboPathXP: where rsync is expected
    qint32 manualOverdueDays = 0; // ManualOverdueDays: days without a success before a manual set is overdue; 0 never
    // DefaultKeepLast ... DefaultKeepYearly: the retention policy a new set starts with (BackupSet's keepLast ...
    // keepYearly); 0 turns a rule off. Sensible before the settings are read too, so a set made without them still
    // keeps its history.
    qint32 newSetKeepLast = 10;
    qint32 newSetKeepHourly = 24;
    qint32 newSetKeepDaily = 14;
    qint32 newSetKeepWeekly = 8;
    qint32 newSetKeepMonthly = 12;
    qint32 newSetKeepYearly = 3;
    // FullArchiveTestDays: how many days a good test of a chain's full archive, unchanged since, spares the update
    // runs testing it again; 0 tests it before every update run.
    qint32 fullArchiveRetestDays = 30;
    LockedText sevenZipPath; // PathTo7zExe: the 7-Zip program, empty when the look-up found none
};

// The settings of this process, and the same to change them (LoadSettings, the options, tests).
const ProgramSettings& Settings();
ProgramSettings& MutableSettings();

inline const QString kDefaultPathTo7zExe = QStringLiteral("/usr/bin/7zz");
inline const QString kDefaultRoboPathXP = QStringLiteral("/usr/bin/rsync");

// The whole number the text holds, blanks around it allowed, as the settings file and the options take it; nothing
// for any other text or a number out of range.
std::optional<qint32> ParseWholeNumber(const QString& text);

void LoadSettings();
// One line for each setting the last LoadSettings found out of its range and replaced with its default, in the
// interface language of the moment, and forgets them so that each is named once: the window shows them once
// it is up, velmora-run on standard error.
QStringList TakeSettingsReadAsDefault();
// False when the settings file could not be written. A file that already holds these settings is left untouched.
bool SaveSettings();
// Path of the settings file, for messages.
QString SettingsFilePath();

// Saves every changed set and the settings, as the window does when it closes. A file that could not be
// written is named to the user in one message. False when one could not.
bool SaveSetsAndSettings();
