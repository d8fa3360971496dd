#pragma once

// The program-wide settings, read at start-up and written when the main window closes.

#include <QString>

#include <optional>

extern qint32 defaultArcType;
extern qint32 defaultCompLevel;
extern QString defaultArcLocation;
extern qint32 minorUpdatedNumber;
extern qint32 langID;
extern QString roboPathXP;
// After how many days without a success a manual set counts as overdue; 0 never.
extern qint32 manualOverdueDays;
// The retention policy a new set starts with (BackupSet's keepLast... keepYearly); 0 turns a rule off.
extern qint32 defaultKeepLast;
extern qint32 defaultKeepHourly;
extern qint32 defaultKeepDaily;
extern qint32 defaultKeepWeekly;
extern qint32 defaultKeepMonthly;
extern qint32 defaultKeepYearly;
// How many days a good test of a chain's full archive, unchanged since, spares the update runs testing it again; 0
// tests it before every update run.
extern qint32 fullArchiveTestDays;

// The 7-Zip location is rewritten by the archive job's look-up on a worker thread, so it sits behind a lock.
QString pathTo7zExe();
void setPathTo7zExe(const QString& path);

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
