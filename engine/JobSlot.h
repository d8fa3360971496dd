#pragma once

// One job at a time in the whole program: the archive job, the mirror job and Update All share the
// job-state globals and the texts of the last run, so a job asked for while another runs is refused.
// The slot also holds the store's lock, so a job another Velmora program runs on the same store refuses
// it too.

class JobSlot
{
public:
    // Takes the slot when it is free here and the store's lock is not held by another process; never waits.
    static bool tryAcquire();
    static void release();
    // Whether a job of this process holds the slot.
    static bool isBusy();
};
