#include "RunTestSupport.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

namespace {

// Outside every test's home, so that it is no part of what the tests compare there.
QString fakeSystemctlFolder()
{
    static QTemporaryDir folder(QStringLiteral(VELMORA_TEST_HOME "/fake-systemctl-XXXXXX"));
    static const bool written = [] {
        writeFile(folder.filePath(QStringLiteral("systemctl")),
            "#!/bin/sh\n"
            "[ \"$1\" = --user ] || exit 99\n"
            "shift; [ \"$1\" = --no-pager ] && shift\n"
            "[ -n \"$FAKE_SYSTEMCTL_LOG\" ] && printf '%s\\n' \"$*\" >> \"$FAKE_SYSTEMCTL_LOG\"\n"
            "if [ -z \"$FAKE_SYSTEMCTL_RUNNING\" ]; then\n"
            "  echo 'Failed to connect to bus: No medium found' >&2; exit 1\n"
            "fi\n"
            "case \"$1\" in\n"
            "  is-system-running) echo running ;;\n"
            "  list-timers) printf '%s' \"$FAKE_SYSTEMCTL_TIMERS\" ;;\n"
            "esac\n");
        return QFile::setPermissions(
            folder.filePath(QStringLiteral("systemctl")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }();
    EXPECT_TRUE(written);
    return folder.path();
}

} // namespace

void RunFixture::writeSet(const SetFile& set)
{
    const QString body = QStringLiteral("[Velmora Project file]\n"
                                        "nID=%1\nname=%2\narcname=%3\nsource=%4\ntarget=%5\n"
                                        "exTypeList=%6\nexPathList=%7\nArcType=0\nCompLevel=3\nSolid=0\n"
                                        "BackupType=%8\nlastrun=%9\n")
                             .arg(QString::number(m_nextId++), set.name, set.arcName, set.source, set.target,
                                 set.exTypeList, set.exPathList, QString::number(set.backupType), set.lastRun)
        + set.moreKeys;
    writeFile(setFilePath(set.name), body.toUtf8());
}

QString RunFixture::setFilePath(const QString& name) const
{
    return home.setFolder() + QLatin1Char('/') + name + QStringLiteral(".ini");
}

QString RunFixture::lastRunOf(const QString& name) const
{
    const QStringList lines = QString::fromUtf8(readFile(setFilePath(name))).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("lastrun=")))
            return line.mid(8);
    }
    return {};
}

void RunFixture::writeSettings(const QByteArray& lines)
{
    writeFile(home.settingsFile(), "[Velmora Project file]\n" + lines + "\n");
}

QProcessEnvironment RunFixture::childEnvironment() const
{
    // TempHome has pointed this process's HOME, XDG_* and TMPDIR at the test's home; the child inherits them.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    EXPECT_EQ(environment.value(QStringLiteral("HOME")), home.path());
    environment.insert(QStringLiteral("PATH"), fakeSystemctlFolder() + QLatin1Char(':') + environment.value("PATH"));
    environment.insert(QStringLiteral("FAKE_SYSTEMCTL_RUNNING"), systemdRuns ? "1" : "");
    environment.insert(QStringLiteral("FAKE_SYSTEMCTL_LOG"), systemctlLog);
    environment.insert(QStringLiteral("FAKE_SYSTEMCTL_TIMERS"), listTimers);
    return environment;
}

RunOutcome RunFixture::runVelmora(const QStringList& arguments)
{
    const std::unique_ptr<QProcess> process = startVelmora(arguments);
    return finish(*process);
}

std::unique_ptr<QProcess> RunFixture::startVelmora(const QStringList& arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(childEnvironment());
    process->setWorkingDirectory(home.path());
    process->setStandardInputFile(QProcess::nullDevice());
    process->start(QStringLiteral(VELMORA_RUN_PATH), arguments);
    EXPECT_TRUE(process->waitForStarted()) << process->errorString().toStdString();
    return process;
}

QString RunFixture::folder(const QString& relative) const
{
    const QString path = home.filePath(relative);
    QDir().mkpath(path);
    return path;
}

RunOutcome finish(QProcess& process)
{
    RunOutcome outcome;
    EXPECT_TRUE(process.waitForFinished(120000)) << "velmora-run did not end";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    outcome.exitCode = process.exitCode();
    outcome.output = QString::fromUtf8(process.readAllStandardOutput());
    outcome.errorOutput = QString::fromUtf8(process.readAllStandardError());
    return outcome;
}

QMap<QString, QByteArray> snapshotTree(const QString& folder)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(folder).relativeFilePath(path);
        tree.insert(relative, it.fileInfo().isDir() ? QByteArray("<folder>") : readFile(path));
    }
    return tree;
}

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

bool waitForText(const QString& path, const QString& text, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!QString::fromUtf8(readFile(path)).contains(text)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}
