#pragma once

// What tests see of a runner's signals: a record of them in the order they were emitted, and a gate that holds a
// job at the start of its set until the test has looked at what it needs to.

#include "JobOutcome.h"
#include "JobRunner.h"

#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QSemaphore>
#include <QStringList>

#include <memory>

// Records the runner's started, setStarted, copying and finished as words ("started", "set 1 of 2", "copying",
// "finished"), as they are emitted, from whichever thread emits them.
class JobSignalRecorder : public QObject
{
public:
    void watch(JobRunner& runner)
    {
        connect(
            &runner, &JobRunner::started, this, [this] { add(QStringLiteral("started")); }, Qt::DirectConnection);
        connect(
            &runner, &JobRunner::setStarted, this,
            [this](int setIndex, int setCount) { add(QStringLiteral("set %1 of %2").arg(setIndex).arg(setCount)); },
            Qt::DirectConnection);
        connect(
            &runner, &JobRunner::copying, this, [this] { add(QStringLiteral("copying")); }, Qt::DirectConnection);
        connect(
            &runner, &JobRunner::finished, this, [this](const JobResult&) { add(QStringLiteral("finished")); },
            Qt::DirectConnection);
    }
    QStringList events() const
    {
        QMutexLocker lock(&m_mutex);
        return m_events;
    }

private:
    void add(const QString& event)
    {
        QMutexLocker lock(&m_mutex);
        m_events.append(event);
    }

    mutable QMutex m_mutex;
    QStringList m_events;
};

// Holds the runner's job, on the job's thread, as each of its sets starts, until open() lets it go on. Opened on
// destruction at the latest, so a failed expectation never leaves a job waiting for ever.
class JobGate : public QObject
{
public:
    explicit JobGate(JobRunner& runner)
    {
        // The job's thread may still be waking when the gate goes: the semaphore lives as long as it is used.
        connect(
            &runner, &JobRunner::setStarted, this, [open = m_open](int, int) { open->acquire(); },
            Qt::DirectConnection);
    }
    ~JobGate() override { open(); }
    JobGate(const JobGate&) = delete;
    JobGate& operator=(const JobGate&) = delete;
    // Lets every set waiting now, and every later one, go on.
    void open() { m_open->release(1 << 20); }

private:
    std::shared_ptr<QSemaphore> m_open = std::make_shared<QSemaphore>();
};
