#pragma once

// The seven program-wide settings, read at start-up and written when the main window closes.

#include <QString>

extern qint32 defaultArcType;
extern qint32 defaultCompLevel;
extern QString defaultArcLocation;
extern qint32 minorUpdatedNumber;
extern qint32 langID;
extern QString roboPathXP;

// The 7-Zip location is rewritten by the archive job's look-up on a worker thread, so it sits behind a lock.
QString pathTo7zExe();
void setPathTo7zExe(const QString& path);

inline const QString kDefaultPathTo7zExe = QStringLiteral("/usr/bin/7zz");
inline const QString kDefaultRoboPathXP = QStringLiteral("/usr/bin/rsync");

void LoadSettings();
void SaveSettings();
