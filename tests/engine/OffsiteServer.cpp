#include "OffsiteServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QList>
#include <QStandardPaths>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// How long the server may take to come up before the tests give up on it; a bound, not a pace.
constexpr int kStartLimitMs = 30000;

bool writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

QByteArray readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

sockaddr_in loopback(int port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A port nobody listens on right now.
int freePort()
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket < 0)
        return 0;
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof(address);
    int port = 0;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0
        && ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(socket);
    return port;
}

bool takesConnections(int port)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket < 0)
        return false;
    const sockaddr_in address = loopback(port);
    const bool connected = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(socket);
    return connected;
}

bool runQuietly(const QString& program, const QStringList& arguments, QString* output = nullptr)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(-1))
        return false;
    if (output)
        *output = QString::fromLocal8Bit(process.readAll()).trimmed();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The processes below pid, children first.
QList<qint64> descendantsOf(qint64 pid)
{
    QList<qint64> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 child = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        const QByteArray stat = readText(QStringLiteral("/proc/%1/stat").arg(child));
        // "PID (NAME) STATE PPID ...": the name may hold blanks, the fields after it never do.
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toLongLong() == pid) {
            found.append(child);
            found += descendantsOf(child);
        }
    }
    return found;
}

void setOrRestore(const char* name, bool had, const QByteArray& value)
{
    if (had)
        qputenv(name, value);
    else
        qunsetenv(name);
}

} // namespace

OffsiteServer::OffsiteServer()
{
    m_hadSshConfig = qEnvironmentVariableIsSet("VELMORA_SSH_CONFIG");
    m_savedSshConfig = qgetenv("VELMORA_SSH_CONFIG");
    m_hadRcloneConfig = qEnvironmentVariableIsSet("RCLONE_CONFIG");
    m_savedRcloneConfig = qgetenv("RCLONE_CONFIG");
    if (const passwd* entry = ::getpwuid(::geteuid()))
        m_user = QString::fromLocal8Bit(entry->pw_name);
}

OffsiteServer::~OffsiteServer()
{
    stop();
    setOrRestore("VELMORA_SSH_CONFIG", m_hadSshConfig, m_savedSshConfig);
    setOrRestore("RCLONE_CONFIG", m_hadRcloneConfig, m_savedRcloneConfig);
}

bool OffsiteServer::writeFiles(QString* problem)
{
    const QString keygen = QStandardPaths::findExecutable(QStringLiteral("ssh-keygen"));
    if (keygen.isEmpty()) {
        *problem = QStringLiteral("ssh-keygen is not installed");
        return false;
    }
    for (const QString& key : {QStringLiteral("host_key"), QStringLiteral("client_key"), QStringLiteral("other_key")}) {
        QString output;
        if (!runQuietly(keygen,
                {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"), QStringLiteral("-N"), QString(),
                    QStringLiteral("-C"), QStringLiteral("velmora-test"), QStringLiteral("-f"), path(key)},
                &output)) {
            *problem = QStringLiteral("ssh-keygen failed: ") + output;
            return false;
        }
    }
    const QByteArray hostKey = readText(path(QStringLiteral("host_key.pub"))).trimmed();
    const QByteArray port = QByteArray::number(m_port);
    bool written = writeText(path(QStringLiteral("authorized_keys")), readText(path(QStringLiteral("client_key.pub"))))
        && writeText(path(QStringLiteral("known_hosts")), "[127.0.0.1]:" + port + ' ' + hostKey + '\n')
        && writeText(path(QStringLiteral("known_hosts_none")), "")
        && writeText(path(QStringLiteral("known_hosts_changed")),
            "[127.0.0.1]:" + port + ' ' + readText(path(QStringLiteral("other_key.pub"))).trimmed() + '\n');
    const QByteArray folder = QFile::encodeName(m_dir.path());
    const QByteArrayList server {"Port " + port, "ListenAddress 127.0.0.1", "HostKey \"" + folder + "/host_key\"",
        "AuthorizedKeysFile \"" + folder + "/authorized_keys\"", "StrictModes no", "UsePAM no",
        "PidFile \"" + folder + "/sshd.pid\"", "PasswordAuthentication no", "KbdInteractiveAuthentication no",
        "PermitRootLogin prohibit-password", "PrintMotd no", "MaxStartups 100", "MaxSessions 100",
        "Subsystem sftp internal-sftp"};
    written = written && writeText(path(QStringLiteral("sshd_config")), server.join('\n') + '\n');
    // ssh's own defaults that would reach the real home: keys, known hosts, an agent, shared connections.
    auto config = [&folder](const QByteArray& key, const QByteArray& knownHosts) {
        return "Host *\n    IdentityFile \"" + folder + "/" + key
            + "\"\n    IdentitiesOnly yes\n    IdentityAgent none\n    GlobalKnownHostsFile /dev/null\n"
              "    UpdateHostKeys no\n    ControlMaster no\n    ControlPath none\n    UserKnownHostsFile \""
            + folder + "/" + knownHosts + "\"\n";
    };
    written = written && writeText(sshConfig(), config("client_key", "known_hosts"))
        && writeText(configWithoutHostKey(), config("client_key", "known_hosts_none"))
        && writeText(configWithOtherHostKey(), config("client_key", "known_hosts_changed"))
        && writeText(configWithRefusedKey(), config("other_key", "known_hosts"));
    written = written
        && writeText(path(QStringLiteral("rclone.conf")),
            "[" + localRemote().toUtf8() + "]\ntype = local\n\n[" + sftpRemote().toUtf8()
                + "]\ntype = sftp\nhost = 127.0.0.1\nport = " + port + "\nuser = " + m_user.toUtf8()
                + "\nkey_file = " + folder + "/client_key\nknown_hosts_file = " + folder + "/known_hosts\n");
    if (!written)
        *problem = QStringLiteral("the server's files could not be written in ") + m_dir.path();
    return written;
}

bool OffsiteServer::start(QString* problem)
{
    const QString sshd = QStandardPaths::findExecutable(
        QStringLiteral("sshd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    if (sshd.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("ssh")).isEmpty()) {
        *problem = QStringLiteral("sshd or ssh is not installed (Debian: openssh-server)");
        return false;
    }
    if (!m_dir.isValid() || m_user.isEmpty()) {
        *problem = QStringLiteral("no temporary folder or no user name");
        return false;
    }
    m_port = freePort();
    if (m_port == 0) {
        *problem = QStringLiteral("no free port on 127.0.0.1");
        return false;
    }
    if (!writeFiles(problem))
        return false;
    // sshd started by root separates privileges into this empty folder, which the system's service makes at
    // its start; without the service it may be missing.
    if (::geteuid() == 0)
        QDir().mkpath(QStringLiteral("/run/sshd"));
    m_server.setStandardInputFile(QProcess::nullDevice());
    m_server.setStandardOutputFile(path(QStringLiteral("sshd.log")));
    m_server.setStandardErrorFile(path(QStringLiteral("sshd.log")), QIODevice::Append);
    m_server.start(sshd, {QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"), path("sshd_config")});
    if (!m_server.waitForStarted(-1)) {
        *problem = QStringLiteral("sshd could not be started: ") + m_server.errorString();
        return false;
    }
    const QDeadlineTimer limit(kStartLimitMs);
    while (!takesConnections(m_port)) {
        // Waiting for its end is the pause between tries: a server that gives up ends the wait at once.
        if (m_server.waitForFinished(20) || m_server.state() == QProcess::NotRunning || limit.hasExpired()) {
            *problem = QStringLiteral("sshd did not start: ") + QString::fromLocal8Bit(readText(path("sshd.log")));
            stop();
            return false;
        }
    }
    qputenv("VELMORA_SSH_CONFIG", QFile::encodeName(sshConfig()));
    qputenv("RCLONE_CONFIG", QFile::encodeName(path(QStringLiteral("rclone.conf"))));
    // A server that runs but refuses this user (not root, other rules) cannot serve the tests.
    QString output;
    if (!runQuietly(QStringLiteral("ssh"),
            {QStringLiteral("-F"), sshConfig(), QStringLiteral("-o"), QStringLiteral("BatchMode=yes"),
                QStringLiteral("-p"), QString::number(m_port), QStringLiteral("-l"), m_user,
                QStringLiteral("127.0.0.1"), QStringLiteral("true")},
            &output)) {
        *problem = QStringLiteral("sshd refuses the login: ") + output + QLatin1Char(' ')
            + QString::fromLocal8Bit(readText(path("sshd.log")));
        stop();
        return false;
    }
    return true;
}

void OffsiteServer::stop()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    dropConnections();
    m_server.terminate();
    if (!m_server.waitForFinished(10000)) {
        m_server.kill();
        m_server.waitForFinished(-1);
    }
}

QString OffsiteServer::sshTarget(const QString& absolutePath) const
{
    return QStringLiteral("ssh://%1@127.0.0.1:%2%3").arg(m_user).arg(m_port).arg(absolutePath);
}

int OffsiteServer::unusedPort()
{
    return freePort();
}

int OffsiteServer::dropConnections() const
{
    if (m_server.state() == QProcess::NotRunning)
        return 0;
    const QList<qint64> processes = descendantsOf(m_server.processId());
    for (const qint64 pid : processes)
        ::kill(pid_t(pid), SIGKILL);
    return int(processes.size());
}
