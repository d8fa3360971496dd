#pragma once

// A real sshd on 127.0.0.1 for tests of copies off the machine: its own host key and client key in a
// temporary folder, an ssh configuration that knows that host key (VELMORA_SSH_CONFIG points at it while
// the server lives), and an rclone configuration (RCLONE_CONFIG) with a local remote and an SFTP remote to the
// same server. Nothing of the user's own ssh or rclone files is read or written.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class OffsiteServer
{
public:
    OffsiteServer();
    ~OffsiteServer();
    OffsiteServer(const OffsiteServer&) = delete;
    OffsiteServer& operator=(const OffsiteServer&) = delete;

    // Starts the server and waits until it takes connections; false with the reason where it cannot run
    // here (no sshd, or one that refuses to start as this user).
    bool start(QString* problem);
    void stop();

    int port() const { return m_port; }
    QString user() const { return m_user; }
    // "ssh://USER@127.0.0.1:PORT" followed by the absolute path.
    QString sshTarget(const QString& path) const;
    // The rclone remote names of the configuration: a local path and SFTP to this server.
    static QString localRemote() { return QStringLiteral("offlocal"); }
    static QString sftpRemote() { return QStringLiteral("offsftp"); }

    // A port on 127.0.0.1 nobody listens on right now.
    static int unusedPort();
    // ssh configurations like the one in use but whose known hosts lack this server's key, hold another key for
    // it (as after a change of key, or someone in between), or whose key the server does not take.
    QString configWithoutHostKey() const { return path(QStringLiteral("ssh_config_unknown_host")); }
    QString configWithOtherHostKey() const { return path(QStringLiteral("ssh_config_changed_host")); }
    QString configWithRefusedKey() const { return path(QStringLiteral("ssh_config_refused_key")); }
    QString sshConfig() const { return m_dir.filePath(QStringLiteral("ssh_config")); }
    // Ends every connection the server is serving now, as a dropped network would; the server stays.
    int dropConnections() const;

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    bool writeFiles(QString* problem);

    QTemporaryDir m_dir;
    QProcess m_server;
    int m_port = 0;
    QString m_user;
    QByteArray m_savedSshConfig;
    QByteArray m_savedRcloneConfig;
    bool m_hadSshConfig = false;
    bool m_hadRcloneConfig = false;
};
