#include "JobEvents.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QThread>

namespace {

QMutex receiverMutex;
QPointer<QObject> receiverObject;

} // namespace

void SetJobEventReceiver(QObject* receiver)
{
    QMutexLocker lock(&receiverMutex);
    receiverObject = receiver;
}

QObject* JobEventReceiver()
{
    QMutexLocker lock(&receiverMutex);
    return receiverObject.data();
}

void SendJobEvent(JobEventType type)
{
    QPointer<QObject> receiver = JobEventReceiver();
    if (!receiver)
        return;
    auto deliver = [receiver, type] {
        if (!receiver)
            return;
        QEvent event(static_cast<QEvent::Type>(int(type)));
        QCoreApplication::sendEvent(receiver.data(), &event);
    };
    if (receiver->thread() == QThread::currentThread())
        deliver();
    else
        QMetaObject::invokeMethod(receiver.data(), deliver, Qt::BlockingQueuedConnection);
}
