#pragma once

// One job at a time in the whole program: the archive job, the mirror job and Update All share the
// job-state globals and the texts of the last run, so a job asked for while another runs is refused.

class JobSlot
{
public:
    // Takes the slot when it is free.
    static bool tryAcquire();
    static void release();
    static bool isBusy();
};
