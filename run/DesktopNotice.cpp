#include "DesktopNotice.h"

#include "ResourceIds.h"
#include "StringTable.h"
#include "Terminal.h"
#include "UserFolders.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QVariantMap>

#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// A service that does not answer within this is taken as none: the run must end.
constexpr int kCallTimeoutMs = 5000;
// How long velmora-run waits for its waiter to say whether the notice went out: the waiter's two calls and its
// move out of the unit, with room to spare.
constexpr int kWaiterReportMs = 3 * kCallTimeoutMs;
// A notification still unanswered after this is left to the desktop.
constexpr int kWaiterLifetimeMs = 24 * 3600 * 1000;

// The session bus's address: the one the session gives, or the user's bus socket that systemd's user instance
// keeps (a timer's service may not have the variable). Empty when there is neither: never the autolaunch that
// libdbus would try, which would start a bus of its own.
QString sessionBusAddress()
{
    const QString given = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!given.isEmpty())
        return given;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")))
        return QStringLiteral("unix:path=") + runtime + QStringLiteral("/bus");
    return {};
}

// The connection to the session bus, or nothing after one line saying why.
std::optional<QDBusConnection> connectToSessionBus(const QString& name)
{
    const QString address = sessionBusAddress();
    if (address.isEmpty()) {
        PrintErrorLine(LoadStringById(StringId::RunNoticeNoBus));
        return std::nullopt;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(address, name);
    if (!bus.isConnected()) {
        PrintErrorLine(LoadStringById(StringId::RunNoticeBusUnreachable).arg(address));
        return std::nullopt;
    }
    return bus;
}

// What the service offers ("actions", "body", …), or nothing after one line saying why.
std::optional<QStringList> serviceCapabilities(QDBusConnection& bus)
{
    const QDBusMessage capabilities
        = bus.call(QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities")),
            QDBus::Block, kCallTimeoutMs);
    if (capabilities.type() != QDBusMessage::ReplyMessage) {
        PrintErrorLine(LoadStringById(StringId::RunNoticeFailed).arg(capabilities.errorMessage()));
        return std::nullopt;
    }
    return capabilities.arguments().value(0).toStringList();
}

// Sends the notice; its id, or nothing after one line saying why.
std::optional<quint32> notify(QDBusConnection& bus, const DesktopNotice& notice, const QStringList& actions)
{
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), ApplicationId());
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(notice.critical ? 2 : 1)));
    if (!notice.setName.isEmpty())
        hints.insert(QStringLiteral("x-velmora-set"), notice.setName);
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    message << QStringLiteral("Velmora") << quint32(0) << ApplicationId() << notice.summary << notice.body << actions
            << hints << qint32(-1);
    const QDBusMessage reply = bus.call(message, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        PrintErrorLine(LoadStringById(StringId::RunNoticeFailed).arg(reply.errorMessage()));
        return std::nullopt;
    }
    return reply.arguments().value(0).toUInt();
}

// Starts the waiter and waits for its word: true when it sent the notice, false when it could not (it said why
// on standard error), nothing when it did not start or never answered.
std::optional<bool> handToWaiter(const DesktopNotice& notice)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return std::nullopt;
    // Only the writing end goes to the waiter; nothing else is started while it is open.
    fcntl(ends[1], F_SETFD, 0);
    const bool started = QProcess::startDetached(QCoreApplication::applicationFilePath(),
        {QLatin1String(kNoticeWaiterOption), QString::number(ends[1]), notice.summary, notice.body, notice.setName,
            notice.critical ? QStringLiteral("1") : QStringLiteral("0"), LoadStringById(StringId::NoticeShowLog)});
    close(ends[1]);
    char word = 0;
    if (started) {
        pollfd waiting {ends[0], POLLIN, 0};
        if (poll(&waiting, 1, kWaiterReportMs) == 1 && read(ends[0], &word, 1) != 1)
            word = 0;
    }
    close(ends[0]);
    if (word == '1' || word == '0')
        return word == '1';
    return std::nullopt;
}

// A scope unit's property, and the other units StartTransientUnit may start with it (none here).
struct UnitProperty
{
    QString name;
    QDBusVariant value;
};
struct AuxiliaryUnit
{
    QString name;
    QList<UnitProperty> properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const UnitProperty& property)
{
    argument.beginStructure();
    argument << property.name << property.value;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, UnitProperty& property)
{
    argument.beginStructure();
    argument >> property.name >> property.value;
    argument.endStructure();
    return argument;
}
QDBusArgument& operator<<(QDBusArgument& argument, const AuxiliaryUnit& unit)
{
    argument.beginStructure();
    argument << unit.name << unit.properties;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, AuxiliaryUnit& unit)
{
    argument.beginStructure();
    argument >> unit.name >> unit.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(UnitProperty)
Q_DECLARE_METATYPE(AuxiliaryUnit)

namespace {

// Inside a systemd unit (a timer's run), moves this process into a scope of its own, so that it outlives the
// unit; false when it could not, and then it goes with the unit.
bool leaveSystemdUnit(QDBusConnection& bus)
{
    if (qEnvironmentVariableIsEmpty("INVOCATION_ID"))
        return true;
    qDBusRegisterMetaType<UnitProperty>();
    qDBusRegisterMetaType<QList<UnitProperty>>();
    qDBusRegisterMetaType<AuxiliaryUnit>();
    qDBusRegisterMetaType<QList<AuxiliaryUnit>>();
    const QString scope = QStringLiteral("velmora-notice-%1.scope").arg(QCoreApplication::applicationPid());
    const QList<UnitProperty> properties {
        {QStringLiteral("Description"), QDBusVariant(QStringLiteral("Velmora: waits for a click on a notification"))},
        {QStringLiteral("PIDs"), QDBusVariant(QVariant::fromValue(QList<uint> {uint(getpid())}))},
        {QStringLiteral("CollectMode"), QDBusVariant(QStringLiteral("inactive-or-failed"))}};
    QDBusMessage start = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.systemd1"),
        QStringLiteral("/org/freedesktop/systemd1"), QStringLiteral("org.freedesktop.systemd1.Manager"),
        QStringLiteral("StartTransientUnit"));
    start << scope << QStringLiteral("fail") << QVariant::fromValue(properties)
          << QVariant::fromValue(QList<AuxiliaryUnit>());
    const QDBusMessage reply = bus.call(start, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        PrintErrorLine(LoadStringById(StringId::RunNoticeClickLost).arg(reply.errorMessage()));
        return false;
    }
    // The move is the job the call queued; it is done when this process's control group names the scope.
    const QDeadlineTimer deadline(kCallTimeoutMs);
    while (!deadline.hasExpired()) {
        QFile groups(QStringLiteral("/proc/self/cgroup"));
        if (groups.open(QIODevice::ReadOnly) && groups.readAll().contains(scope.toUtf8()))
            return true;
        QThread::msleep(20);
    }
    return false;
}

// Waits for the answer to one notice and opens the window on the set's log when it is the default action.
class NoticeWaiter : public QObject
{
    Q_OBJECT

public:
    explicit NoticeWaiter(const QString& setName)
        : m_setName(setName)
    {
    }
    void setId(quint32 id) { m_id = id; }

public slots:
    void actionInvoked(quint32 notification, const QString& action)
    {
        if (notification != m_id || action != QLatin1String("default"))
            return;
        const QString window = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("velmora"));
        QProcess::startDetached(QFileInfo(window).isExecutable() ? window : QStringLiteral("velmora"),
            {QStringLiteral("--show-log"), m_setName});
        QCoreApplication::quit();
    }

    void notificationClosed(quint32 notification, quint32 /*reason*/)
    {
        if (notification == m_id)
            QCoreApplication::quit();
    }

private:
    // 0 until the service has given the notice its id; a service never gives 0.
    quint32 m_id = 0;
    QString m_setName;
};

// Lets go of the terminal or pipe velmora-run was started with, so that nobody reading its output waits for the
// waiter; what it may still say goes to the journal when that is where standard error leads.
void releaseStandardStreams()
{
    const int nothing = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nothing < 0)
        return;
    dup2(nothing, STDIN_FILENO);
    dup2(nothing, STDOUT_FILENO);
    if (qEnvironmentVariableIsEmpty("JOURNAL_STREAM"))
        dup2(nothing, STDERR_FILENO);
    close(nothing);
}

} // namespace

bool SendDesktopNotice(const DesktopNotice& notice)
{
    std::optional<QDBusConnection> bus = connectToSessionBus(QStringLiteral("velmora-notice"));
    if (!bus)
        return false;
    const std::optional<QStringList> offered = serviceCapabilities(*bus);
    if (!offered)
        return false;
    if (!notice.setName.isEmpty() && offered->contains(QLatin1String("actions"))) {
        if (const std::optional<bool> sent = handToWaiter(notice))
            return *sent;
    }
    // No actions, or no waiter: a notice without a click of its own.
    return notify(*bus, notice, {}).has_value();
}

void CloseInheritedFiles(int argc, char* argv[])
{
    if (argc < 3 || std::strcmp(argv[1], kNoticeWaiterOption) != 0)
        return;
    const int keep = std::atoi(argv[2]);
    if (keep <= STDERR_FILENO)
        return;
    close_range(STDERR_FILENO + 1, keep - 1, 0);
    close_range(keep + 1, ~0U, 0);
}

int RunNoticeWaiter(const QStringList& arguments)
{
    bool isNumber = false;
    const int reportTo = arguments.value(0).toInt(&isNumber);
    if (arguments.size() != 6 || !isNumber || reportTo <= STDERR_FILENO)
        return 2;
    const DesktopNotice notice {arguments.at(1), arguments.at(2), arguments.at(3), arguments.at(4) == u'1'};
    std::optional<QDBusConnection> bus = connectToSessionBus(QStringLiteral("velmora-notice-waiter"));
    NoticeWaiter answered(notice.setName);
    std::optional<quint32> id;
    if (bus) {
        leaveSystemdUnit(*bus);
        // Connected before the notice goes out, so that no answer can come unheard.
        bus->connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), &answered,
            SLOT(actionInvoked(quint32, QString)));
        bus->connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), &answered,
            SLOT(notificationClosed(quint32, quint32)));
        id = notify(*bus, notice, {QStringLiteral("default"), arguments.at(5)});
    }
    const char word = id ? '1' : '0';
    const bool told = write(reportTo, &word, 1) == 1;
    close(reportTo);
    if (!id || !told)
        return 1;
    answered.setId(*id);
    releaseStandardStreams();

    // The notification goes with its service, and the waiter with its bus.
    QDBusServiceWatcher serviceGone(kService, *bus, QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(&serviceGone, &QDBusServiceWatcher::serviceUnregistered, qApp, &QCoreApplication::quit);
    QTimer busCheck;
    QObject::connect(&busCheck, &QTimer::timeout, qApp, [&] {
        if (!bus->isConnected())
            QCoreApplication::quit();
    });
    // A bus that went away with its session says nothing on the way: it is looked at now and then.
    busCheck.start(5000);
    QTimer::singleShot(kWaiterLifetimeMs, qApp, &QCoreApplication::quit);
    return QCoreApplication::exec();
}

#include "DesktopNotice.moc"
