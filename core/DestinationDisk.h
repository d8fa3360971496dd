#pragma once

// Which file system a set's destination folder is on, as the set remembers it. A backup disk that is not
// plugged in leaves its bare mount point on the system disk; a run into it would fill the system disk and
// pass for a backup, so a run checks that the destination is still on the disk it was on.

#include "BackupSet.h"

#include <QString>

// The file a destination without a file system UUID (a tmpfs, a network mount, a system without udev) gets
// in its folder: a random id, so that the folder on the disk can be told from the bare mount point.
inline constexpr char kDestinationMarkerName[] = ".velmora-destination-id";

// The file system holding the folder, in the form a set file keeps it: "uuid:UUID" where the system names
// the file system's UUID, else "marker:ID FSTYPE SOURCE" from the marker in the folder and the mount holding
// it. Empty when the folder is not there, or it has no UUID and no marker. Writes nothing.
QString DiskOfFolder(const QString& folder);
// The same, writing a marker first where the folder needs one and has none; empty when that failed, with
// the reason in problem where there is one to give (a link or something else planted in the marker's place).
QString MarkDiskOfFolder(const QString& folder, QString* problem = nullptr);
// Why the folder's marker must not be read or written: something other than a plain file (a link, a pipe)
// stands in its place, which in a folder others can write to is a trap. Empty when there is none or a file.
QString DestinationMarkerProblem(const QString& folder);

// Whether the set's destination is on the disk the set remembers; true for a set that remembers none yet.
bool DestinationOnRecordedDisk(const BackupSet& set);
// Records the disk now at the set's destination in the set's file, only that key. False when the disk could
// not be told (the folder is missing, or its marker could not be written, with the reason in problem where
// there is one) or the file not written.
bool AcceptDestinationDisk(const BackupSet& set, QString* problem = nullptr);

// The key of the set file that holds the disk.
inline constexpr char kDestinationDiskKey[] = "DestinationDisk";
