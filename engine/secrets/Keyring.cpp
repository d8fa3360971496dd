#include "Keyring.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QEventLoop>
#include <QFileInfo>
#include <QMutex>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <algorithm>
#include <memory>

// The real keyring goes through QtKeychain, whose jobs answer asynchronously: each call here runs its job in a
// local event loop on the calling thread. QtKeychain queues its jobs on the thread that used it first, so the
// window and velmora-run call it from their main thread only.

namespace {

// A keyring that puts up an unlock prompt gets this long for a person to answer it; one that hangs makes a
// timer's run fail the set instead of waiting for ever.
constexpr int kKeyringWaitMs = 20000;

QMutex backendMutex;
KeyringBackend& installed()
{
    static KeyringBackend backend;
    return backend;
}

QString serviceName()
{
    return QStringLiteral("Velmora");
}

// One entry per set, by the id that stays when the set is renamed.
QString keyOf(quint32 setId)
{
    return QStringLiteral("set-") + QString::number(setId);
}

KeyringStatus statusOf(QKeychain::Error error)
{
    switch (error) {
    case QKeychain::NoError:
        return KeyringStatus::Ok;
    case QKeychain::EntryNotFound:
        return KeyringStatus::NotFound;
    case QKeychain::NoBackendAvailable:
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        return KeyringStatus::Unavailable;
    default:
        return KeyringStatus::Failed;
    }
}

// Every keyring QtKeychain reaches here is on the session bus; without one, libsecret would only try X11's
// autolaunch and report that as an unknown error.
bool sessionBusReachable()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

// Runs the job, which this takes, and waits for it within the bound: a read gives the password with Ok. A job
// that has not answered by then is left to end on its own and delete itself; its answer is no longer wanted.
KeyringAnswer runJob(QKeychain::Job* job, quint32 setId)
{
    if (!sessionBusReachable()) {
        delete job;
        return {KeyringStatus::Unavailable, QString(), QStringLiteral("there is no session bus to reach a keyring on")};
    }
    job->setAutoDelete(false);
    // No plain-text file in place of a keyring, ever.
    job->setInsecureFallback(false);
    job->setKey(keyOf(setId));

    bool finished = false;
    {
        QEventLoop loop;
        QTimer bound;
        bound.setSingleShot(true);
        QObject::connect(job, &QKeychain::Job::finished, &loop, [&] {
            finished = true;
            loop.quit();
        });
        QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
        job->start();
        bound.start(kKeyringWaitMs);
        loop.exec();
    }
    if (!finished) {
        job->setAutoDelete(true);
        return {KeyringStatus::Unavailable, QString(),
            QStringLiteral("the keyring did not answer within %1 seconds").arg(kKeyringWaitMs / 1000)};
    }
    const std::unique_ptr<QKeychain::Job> owned(job);
    KeyringAnswer answer;
    answer.status = statusOf(job->error());
    // A keyring that asked to be unlocked and was refused is there, only locked.
    answer.locked = job->error() == QKeychain::AccessDenied || job->error() == QKeychain::AccessDeniedByUser;
    if (answer.status != KeyringStatus::Ok)
        answer.detail = job->errorString();
    else if (const auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(job))
        answer.password = read->textData();
    return answer;
}

// libsecret reports an entry of a locked collection as not found once its unlock prompt fails (no display to
// show it on, or a person who dismissed it): a locked keyring must not read as a set that has no password.
bool defaultCollectionLocked()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QString service = QStringLiteral("org.freedesktop.secrets");
    constexpr int kAskMs = 5000;
    QDBusMessage alias = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/secrets"),
        QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("ReadAlias"));
    alias << QStringLiteral("default");
    const QDBusMessage aliasReply = bus.call(alias, QDBus::Block, kAskMs);
    if (aliasReply.type() != QDBusMessage::ReplyMessage || aliasReply.arguments().isEmpty())
        return false;
    const QString collection = aliasReply.arguments().constFirst().value<QDBusObjectPath>().path();
    if (collection.isEmpty() || collection == QLatin1String("/"))
        return false;
    QDBusMessage locked = QDBusMessage::createMethodCall(
        service, collection, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    locked << QStringLiteral("org.freedesktop.Secret.Collection") << QStringLiteral("Locked");
    const QDBusMessage lockedReply = bus.call(locked, QDBus::Block, kAskMs);
    if (lockedReply.type() != QDBusMessage::ReplyMessage || lockedReply.arguments().isEmpty())
        return false;
    return lockedReply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

// Whether anything on the session bus could serve as a keyring, running or to be started on demand: without one,
// QtKeychain reports an unknown error, and that is a missing keyring, not a keyring that failed.
bool keyringServiceOnBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QStringList services {QStringLiteral("org.freedesktop.secrets"), QStringLiteral("org.kde.kwalletd5"),
        QStringLiteral("org.kde.kwalletd6")};
    const QStringList startable = bus.interface()->activatableServiceNames().value();
    return std::any_of(services.cbegin(), services.cend(), [&](const QString& service) {
        return bus.interface()->isServiceRegistered(service).value() || startable.contains(service);
    });
}

// A failure where no keyring service exists reads as a missing keyring.
KeyringAnswer missingWhenNoService(KeyringAnswer answer)
{
    if (answer.status == KeyringStatus::Failed && !keyringServiceOnBus())
        return {KeyringStatus::Unavailable, QString(), QStringLiteral("no keyring service on the session bus")};
    return answer;
}

// The installed fake, if any: copied out, so that no lock is held while a keyring's event loop runs and
// whatever that loop delivers may ask the keyring again.
KeyringBackend backendNow()
{
    QMutexLocker lock(&backendMutex);
    return installed();
}

} // namespace

KeyringAnswer ReadSetPassword(quint32 setId)
{
    const KeyringBackend backend = backendNow();
    if (backend.read)
        return backend.read(setId);
    KeyringAnswer answer = missingWhenNoService(runJob(new QKeychain::ReadPasswordJob(serviceName()), setId));
    if (answer.status == KeyringStatus::NotFound && defaultCollectionLocked())
        answer = {KeyringStatus::Unavailable, QString(), QStringLiteral("the keyring is locked"), true};
    return answer;
}

KeyringAnswer WriteSetPassword(quint32 setId, const QString& password)
{
    const KeyringBackend backend = backendNow();
    if (backend.write)
        return backend.write(setId, password);
    auto* job = new QKeychain::WritePasswordJob(serviceName());
    job->setTextData(password);
    return missingWhenNoService(runJob(job, setId));
}

KeyringAnswer DeleteSetPassword(quint32 setId)
{
    const KeyringBackend backend = backendNow();
    if (backend.remove)
        return backend.remove(setId);
    KeyringAnswer answer = missingWhenNoService(runJob(new QKeychain::DeletePasswordJob(serviceName()), setId));
    // Nothing to remove is what was asked for.
    if (answer.status == KeyringStatus::NotFound)
        answer = {KeyringStatus::Ok, QString(), QString()};
    return answer;
}

void SetKeyringBackend(KeyringBackend backend)
{
    QMutexLocker lock(&backendMutex);
    installed() = std::move(backend);
}
