#pragma once

// Puts a new archive in place of the old one so that the old one is never lost: the new file goes
// beside it under a temporary name, is flushed to disk, and only the final rename replaces the old one.

#include <QString>

struct PlacementResult
{
    bool placed = false;
    // Why it failed, in the system's words.
    QString error;
};

// Moves (or, across file systems, copies) newArchive to finalPath. On failure finalPath is unchanged
// and nothing is left behind in its folder.
PlacementResult PlaceArchive(const QString& newArchive, const QString& finalPath);

// A hidden name beside finalPath that nothing has yet (".NAME.velmora-" and six random letters or
// digits), for a file that becomes finalPath once it is complete. Nothing is created.
QString TemporaryNameBeside(const QString& finalPath);
// The same name with "XXXXXX" for its random part, for showing a command that is not run.
QString TemporaryNamePattern(const QString& finalPath);

// Deletes what a run killed while writing or placing finalPath left beside it: only that archive's own
// temporary names, never another archive's and never the archive itself.
void RemovePlacementLeftovers(const QString& finalPath);
// The same for the update archives "ARCNAME_upd_STAMP.EXTENSION" of one set in folder.
void RemoveUpdateArchiveLeftovers(const QString& folder, const QString& arcName, const QString& extension);

// Flushes the complete file at temporaryPath and renames it to finalPath, which must not exist: an
// existing file of that name is never replaced. Returns why it failed, in the system's words, or nothing;
// on failure temporaryPath is left as it was.
QString MoveIntoPlaceNoReplace(const QString& temporaryPath, const QString& finalPath);

// Flushes a file and the folder that names it to disk, so that a finished run survives a power cut.
// Returns why it failed, in the system's words, or nothing.
QString FlushToDisk(const QString& path);
