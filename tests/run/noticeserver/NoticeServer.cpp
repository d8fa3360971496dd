// A notification service of the tests' own on a private session bus: it takes the name
// org.freedesktop.Notifications, writes each notification it is sent as one JSON line into a file, and runs the
// program it is given while it serves, ending with that program's exit status and passing its output on.
//
// notice_server RECORD_FILE CAPABILITIES PROGRAM ARGUMENTS...   (CAPABILITIES: comma-separated, may be empty)

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>

#include <cstdio>

class NoticeService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    NoticeService(const QString& recordFile, const QStringList& capabilities)
        : m_recordFile(recordFile)
        , m_capabilities(capabilities)
    {
    }

public slots:
    QStringList GetCapabilities() { return m_capabilities; }

    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
        const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout)
    {
        QJsonObject hintTexts;
        for (auto it = hints.cbegin(); it != hints.cend(); ++it)
            hintTexts.insert(it.key(), it.value().toString());
        const QJsonObject record {{QStringLiteral("app"), appName}, {QStringLiteral("replaces"), qint64(replacesId)},
            {QStringLiteral("icon"), appIcon}, {QStringLiteral("summary"), summary}, {QStringLiteral("body"), body},
            {QStringLiteral("actions"), QJsonArray::fromStringList(actions)}, {QStringLiteral("hints"), hintTexts},
            {QStringLiteral("timeout"), expireTimeout}};
        QFile file(m_recordFile);
        if (file.open(QIODevice::Append))
            file.write(QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n');
        return ++m_lastId;
    }

    void CloseNotification(uint) { }

    QString GetServerInformation(QString& vendor, QString& version, QString& protocolVersion)
    {
        vendor = QStringLiteral("Velmora tests");
        version = QStringLiteral("1");
        protocolVersion = QStringLiteral("1.2");
        return QStringLiteral("notice_server");
    }

private:
    QString m_recordFile;
    QStringList m_capabilities;
    uint m_lastId = 0;
};

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: notice_server RECORD_FILE CAPABILITIES PROGRAM ARGUMENTS...\n");
        return 64;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    NoticeService service(arguments.at(1), arguments.at(2).split(QLatin1Char(','), Qt::SkipEmptyParts));
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service, QDBusConnection::ExportAllSlots)
        || !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fprintf(stderr, "notice_server: cannot serve on the session bus\n");
        return 65;
    }
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(&program, &QProcess::finished, &application,
        [&](int code, QProcess::ExitStatus status) { application.exit(status == QProcess::NormalExit ? code : 66); });
    QObject::connect(&program, &QProcess::errorOccurred, &application, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            application.exit(67);
    });
    QTimer::singleShot(0, &program, [&] { program.start(arguments.at(3), arguments.mid(4)); });
    return application.exec();
}

#include "NoticeServer.moc"
