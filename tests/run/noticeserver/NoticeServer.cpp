// A notification service of the tests' own on a private session bus: it takes the name
// org.freedesktop.Notifications, writes each notification it is sent as one JSON line into a file, and runs the
// program it is given while it serves, ending with that program's exit status and passing its output on.
//
// notice_server RECORD_FILE CAPABILITIES PROGRAM ARGUMENTS...   (CAPABILITIES: comma-separated, may be empty)
//
// It also stands in for systemd's user manager: each StartTransientUnit call it gets is written as one JSON line
// into RECORD_FILE.units (its signature, the unit's name and mode, the properties), and answered with a job that
// never moves anything.
//
// Two capabilities of its own act once the program has ended, as a user would later: x-test-click invokes the
// default action of the last notification, x-test-close closes it. Either is sent only to the connection that
// sent the notification, as some desktops do, and the server then waits for that connection to leave the bus,
// ending with 68 when it has not within ten seconds.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>

#include <cstdio>

class NoticeService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    NoticeService(const QString& recordFile, const QStringList& capabilities)
        : m_recordFile(recordFile)
        , m_capabilities(capabilities)
    {
    }

    QStringList capabilities() const { return m_capabilities; }

    // Sends the signal of an answer to the last notification to its sender alone.
    void answerLast(const QString& signal, const QVariantList& arguments)
    {
        QDBusMessage answer = QDBusMessage::createTargetedSignal(lastSender,
            QStringLiteral("/org/freedesktop/Notifications"), QStringLiteral("org.freedesktop.Notifications"), signal);
        answer.setArguments(QVariantList {m_lastId} + arguments);
        QDBusConnection::sessionBus().send(answer);
    }

    QString lastSender;

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
        lastSender = message().service();
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

class UnitManager : public QDBusVirtualObject
{
public:
    explicit UnitManager(const QString& recordFile)
        : m_recordFile(recordFile)
    {
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() != QLatin1String("StartTransientUnit"))
            return false;
        const QList<QVariant> arguments = message.arguments();
        QJsonObject properties;
        if (arguments.size() == 4) {
            const QDBusArgument list = arguments.at(2).value<QDBusArgument>();
            list.beginArray();
            while (!list.atEnd()) {
                QString name;
                QDBusVariant value;
                list.beginStructure();
                list >> name >> value;
                list.endStructure();
                const QVariant inner = value.variant();
                if (inner.canConvert<QDBusArgument>()) {
                    QJsonArray numbers;
                    for (uint number : qdbus_cast<QList<uint>>(inner.value<QDBusArgument>()))
                        numbers.append(qint64(number));
                    properties.insert(name, numbers);
                } else {
                    properties.insert(name, inner.toString());
                }
            }
            list.endArray();
        }
        const QJsonObject record {{QStringLiteral("signature"), message.signature()},
            {QStringLiteral("unit"), arguments.value(0).toString()},
            {QStringLiteral("mode"), arguments.value(1).toString()}, {QStringLiteral("properties"), properties}};
        QFile file(m_recordFile);
        if (file.open(QIODevice::Append))
            file.write(QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n');
        connection.send(message.createReply(
            QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/freedesktop/systemd1/job/1")))));
        return true;
    }

private:
    QString m_recordFile;
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
    UnitManager units(arguments.at(1) + QStringLiteral(".units"));
    if (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop/systemd1"), &units)
        || !bus.registerService(QStringLiteral("org.freedesktop.systemd1"))) {
        std::fprintf(stderr, "notice_server: cannot stand in for systemd on the session bus\n");
        return 65;
    }
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    const auto answer = [&](int exitCode) {
        QString signal;
        QVariantList signalArguments;
        if (service.capabilities().contains(QLatin1String("x-test-click"))) {
            signal = QStringLiteral("ActionInvoked");
            signalArguments = {QStringLiteral("default")};
        } else if (service.capabilities().contains(QLatin1String("x-test-close"))) {
            signal = QStringLiteral("NotificationClosed");
            signalArguments = {uint(2)};
        }
        if (signal.isEmpty() || service.lastSender.isEmpty()
            || !bus.interface()->isServiceRegistered(service.lastSender)) {
            application.exit(exitCode);
            return;
        }
        auto* watcher = new QDBusServiceWatcher(
            service.lastSender, bus, QDBusServiceWatcher::WatchForUnregistration, &application);
        QObject::connect(watcher, &QDBusServiceWatcher::serviceUnregistered, &application,
            [&application, exitCode] { application.exit(exitCode); });
        QTimer::singleShot(10000, &application, [&application] { application.exit(68); });
        service.answerLast(signal, signalArguments);
    };
    QObject::connect(&program, &QProcess::finished, &application,
        [&](int code, QProcess::ExitStatus status) { answer(status == QProcess::NormalExit ? code : 66); });
    QObject::connect(&program, &QProcess::errorOccurred, &application, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            application.exit(67);
    });
    QTimer::singleShot(0, &program, [&] { program.start(arguments.at(3), arguments.mid(4)); });
    return application.exec();
}

#include "NoticeServer.moc"
