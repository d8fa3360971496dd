#pragma once

#include "JobRunner.h"

#include <QObject>
#include <QSocketNotifier>

#include <memory>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

// SIGTERM and SIGINT stop the running job, so that its tool does not run on and what it half wrote is
// removed. The handler only writes to a pipe; the main thread reads it and asks the runner to stop.
class StopSignals
{
public:
    explicit StopSignals(JobRunner& runner)
    {
        if (::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this, &runner] {
            char byte;
            while (::read(s_pipe[0], &byte, 1) > 0) { }
            m_received = true;
            runner.stop();
        });
        struct sigaction action = {};
        action.sa_handler = &StopSignals::handle;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, &m_oldTerm);
        sigaction(SIGINT, &action, &m_oldInt);
    }
    ~StopSignals()
    {
        if (!m_notifier)
            return;
        sigaction(SIGTERM, &m_oldTerm, nullptr);
        sigaction(SIGINT, &m_oldInt, nullptr);
        m_notifier.reset();
        ::close(s_pipe[0]);
        ::close(s_pipe[1]);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    bool received() const { return m_received; }

private:
    static void handle(int)
    {
        const int savedErrno = errno;
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], &byte, 1);
        errno = savedErrno;
    }

    static inline int s_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_oldTerm = {};
    struct sigaction m_oldInt = {};
    bool m_received = false;
};
