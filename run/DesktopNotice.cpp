#include "DesktopNotice.h"

#include "ResourceIds.h"
#include "StringTable.h"
#include "Terminal.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// A service that does not answer within this is taken as none: the run must end.
constexpr int kCallTimeoutMs = 5000;

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

// Opens the window on the set's log when the default action comes while velmora-run still runs.
class ActionReceiver : public QObject
{
    Q_OBJECT

public:
    quint32 id = 0;
    QString setName;

public slots:
    void actionInvoked(quint32 notification, const QString& action)
    {
        if (notification != id || action != QLatin1String("default"))
            return;
        const QString window = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("velmora"));
        QProcess::startDetached(QFileInfo(window).isExecutable() ? window : QStringLiteral("velmora"),
            {QStringLiteral("--show-log"), setName});
    }
};

} // namespace

bool SendDesktopNotice(const DesktopNotice& notice)
{
    const QString address = sessionBusAddress();
    if (address.isEmpty()) {
        PrintErrorLine(QStringLiteral("no desktop notification: there is no session bus."));
        return false;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("velmora-notice"));
    if (!bus.isConnected()) {
        PrintErrorLine(
            QStringLiteral("no desktop notification: the session bus at %1 cannot be reached.").arg(address));
        return false;
    }
    const QDBusMessage capabilities
        = bus.call(QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities")),
            QDBus::Block, kCallTimeoutMs);
    if (capabilities.type() != QDBusMessage::ReplyMessage) {
        PrintErrorLine(QStringLiteral("no desktop notification: %1").arg(capabilities.errorMessage()));
        return false;
    }
    const QStringList offered = capabilities.arguments().value(0).toStringList();
    QStringList actions;
    if (!notice.setName.isEmpty() && offered.contains(QLatin1String("actions")))
        actions = {QStringLiteral("default"), LoadStringById(StringId::NoticeShowLog)};
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("velmora"));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(notice.critical ? 2 : 1)));
    if (!notice.setName.isEmpty())
        hints.insert(QStringLiteral("x-velmora-set"), notice.setName);

    QDBusMessage notify = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    notify << QStringLiteral("Velmora") << quint32(0) << QStringLiteral("velmora") << notice.summary << notice.body
           << actions << hints << qint32(-1);
    // Lives as long as the program, and goes with it before the bus connection does.
    auto* receiver = new ActionReceiver;
    receiver->setParent(QCoreApplication::instance());
    bus.connect(
        kService, kPath, kInterface, QStringLiteral("ActionInvoked"), receiver, SLOT(actionInvoked(quint32, QString)));
    const QDBusMessage reply = bus.call(notify, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        PrintErrorLine(QStringLiteral("no desktop notification: %1").arg(reply.errorMessage()));
        return false;
    }
    receiver->id = reply.arguments().value(0).toUInt();
    receiver->setName = notice.setName;
    return true;
}

#include "DesktopNotice.moc"
