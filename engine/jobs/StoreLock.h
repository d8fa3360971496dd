#pragma once

// The lock every Velmora program takes before it runs a job, so the window and velmora-run never run two
// jobs at once on the same store: an flock() on a file beside the settings file. The kernel lets go of it when
// the holding process ends in any way, so a file left behind by a killed run or a switched-off machine never
// keeps anyone waiting.

#include <QString>

class StoreLock
{
public:
    enum class Wait
    {
        No,
        UntilFree,
    };

    // Takes the lock for this process. Holds nest: a job that runs inside a hold of the same process takes
    // it again without waiting. False when another process holds it (and, with UntilFree, never).
    static bool acquire(Wait wait = Wait::No);
    static void release();
    // The lock file of the current store; empty when no store has been opened.
    static QString lockFilePath();
    // Which other process holds the lock, as "program (process N)"; empty when none does or it cannot be read.
    static QString holderDescription();
};

// Holds the store lock for its lifetime.
class StoreLockHold
{
public:
    explicit StoreLockHold(StoreLock::Wait wait = StoreLock::Wait::No)
        : m_held(StoreLock::acquire(wait))
    {
    }
    ~StoreLockHold()
    {
        if (m_held)
            StoreLock::release();
    }
    StoreLockHold(const StoreLockHold&) = delete;
    StoreLockHold& operator=(const StoreLockHold&) = delete;
    bool held() const { return m_held; }

private:
    bool m_held;
};
