#pragma once

// What the velmora-run tests share: a temporary home with set files and settings written as the window
// writes them, and velmora-run started as a process in that home.

#include "BackupSet.h"
#include "TempHome.h"

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

struct SetFile
{
    QString name;
    QString source;
    QString target;
    qint32 backupType = FullArchiving;
    QString arcName = QStringLiteral("arc");
    QString exTypeList;
    QString exPathList;
    QString lastRun = QStringLiteral("0");
    // Lines of further keys ("Schedule=2\n"), written after the others.
    QString moreKeys;

    SetFile withExTypeList(const QString& value) const { return with(&SetFile::exTypeList, value); }
    SetFile withExPathList(const QString& value) const { return with(&SetFile::exPathList, value); }
    SetFile withLastRun(const QString& value) const { return with(&SetFile::lastRun, value); }
    SetFile withKeys(const QString& lines) const { return with(&SetFile::moreKeys, lines); }

private:
    SetFile with(QString SetFile::*field, const QString& value) const
    {
        SetFile changed = *this;
        changed.*field = value;
        return changed;
    }
};

inline SetFile setOf(const QString& name, const QString& source, const QString& target,
    qint32 backupType = FullArchiving, const QString& arcName = QStringLiteral("arc"))
{
    SetFile set;
    set.name = name;
    set.source = source;
    set.target = target;
    set.backupType = backupType;
    set.arcName = arcName;
    return set;
}

struct RunOutcome
{
    int exitCode = -1;
    QString output;
    QString errorOutput;
};

class RunFixture : public ::testing::Test
{
protected:
    void writeSet(const SetFile& set);
    QString setFilePath(const QString& name) const;
    QString lastRunOf(const QString& name) const;
    // Adds the lines to the settings file ("RoboPathXP=/path/to/rsync").
    void writeSettings(const QByteArray& lines);
    // The child's environment: this test's home, temporary and configuration folders, and a systemctl of the
    // tests' own first in PATH, so that no test reaches the real one. It answers as a machine without a systemd
    // user instance unless systemdRuns, records its arguments one call a line into systemctlLog when that is
    // set, and prints listTimers for list-timers.
    QProcessEnvironment childEnvironment() const;
    bool systemdRuns = false;
    QString systemctlLog;
    QString listTimers;
    RunOutcome runVelmora(const QStringList& arguments);
    std::unique_ptr<QProcess> startVelmora(const QStringList& arguments);
    QString lockFilePath() const { return home.filePath(QStringLiteral(".config/Quorvane/Velmora/velmora.lock")); }
    QString folder(const QString& relative) const;

    TempHome home;

private:
    quint32 m_nextId = 1;
};

RunOutcome finish(QProcess& process);
// Every folder and file below the folder, with each file's bytes.
QMap<QString, QByteArray> snapshotTree(const QString& folder);
QString today();
// Waits until the file exists and holds the text; false after the timeout.
bool waitForText(const QString& path, const QString& text, int timeoutMs = 15000);
