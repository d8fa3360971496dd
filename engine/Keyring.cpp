#include "Keyring.h"

#include <QMutex>

// Placeholder until the QtKeychain backend lands: no keyring can be reached.

namespace {

QMutex backendMutex;
KeyringBackend& installed()
{
    static KeyringBackend backend;
    return backend;
}

KeyringAnswer unavailable()
{
    return {KeyringStatus::Unavailable, QString(), QStringLiteral("no keyring backend")};
}

} // namespace

KeyringAnswer ReadSetPassword(quint32 setId)
{
    QMutexLocker lock(&backendMutex);
    return installed().read ? installed().read(setId) : unavailable();
}

KeyringAnswer WriteSetPassword(quint32 setId, const QString& password)
{
    QMutexLocker lock(&backendMutex);
    return installed().write ? installed().write(setId, password) : unavailable();
}

KeyringAnswer DeleteSetPassword(quint32 setId)
{
    QMutexLocker lock(&backendMutex);
    return installed().remove ? installed().remove(setId) : unavailable();
}

void SetKeyringBackend(KeyringBackend backend)
{
    QMutexLocker lock(&backendMutex);
    installed() = std::move(backend);
}
