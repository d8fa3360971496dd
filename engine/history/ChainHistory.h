#pragma once

// Keeps a set's old chain whole when a new one starts: its full archive and update archives move, under
// their own names, into DEST/NAME.history/STAMP/, STAMP being the old full archive's time in the update
// archives' stamp form.

#include "BackupSet.h"

#include <QString>

struct ChainReplacement
{
    bool placed = false;
    // Why it failed, in the system's words.
    QString error;
    // The folder the old chain went into; empty when there was no old chain.
    QString keptIn;
};

// Puts newFullArchive (complete, tested, beside the set's full archive) in place of the set's full archive
// and keeps the chain it replaces: the update archives move into the history first, then the old full
// archive gets a hard link there (a copy where the disk has no links), and only then does the new archive
// take the full archive's name. Killed at any moment, the destination never holds an update archive beside
// a full archive it was not made against. On failure the destination is as it was and the new archive is
// left where it was for the caller to remove.
ChainReplacement ReplaceChain(const BackupSet& set, const QString& newFullArchive);
