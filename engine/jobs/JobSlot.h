#pragma once

// The runner's record of which of its kind carries out a job: one job at a time in the whole program, since
// the archive job, the mirror job and Update All share the texts of the last run and the sets' files.
// The slot also holds the store's lock, so a job another Velmora program runs on the same store refuses it
// too. Only JobRunner uses it; everyone else asks a runner.

class JobRunner;

class JobSlot
{
public:
    // Gives the slot to the runner when no runner holds it and the store's lock is not held by another
    // process; never waits.
    static bool tryTake(const JobRunner* runner);
    static void release(const JobRunner* runner);
    // The runner whose job holds the slot; nullptr when none does.
    static const JobRunner* holder();
    // Whether a take would succeed now; takes nothing.
    static bool isFree();
};
