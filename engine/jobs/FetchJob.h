#pragma once

// The fetch job: the archives of a set's off-site copy brought back into a local folder, for a restore when
// the local disk is gone.

#include "JobContext.h"
#include "JobOutcome.h"

#include "BackupSet.h"

#include <QString>
#include <QStringList>

#include <optional>

struct FetchRequest
{
    // The set whose off-site copy is read; its Offsite key names the place.
    BackupSet set;
    // The local folder the archives are written into (NewOffsiteFetchFolder gives a private one).
    QString folder;
    // Nothing to fetch every archive (to list or browse every point); a stamp or a date to fetch only those a
    // restore as of it needs (the full archive and the newest update archive at or before it); an empty text for
    // the newest point.
    std::optional<QString> asOf;
};

// Lists the set's archives there and fetches those the request asks for, each checked against what was recorded
// when it was copied. The result says Done, or why the archives could not be fetched.
JobResult RunFetchJob(const FetchRequest& request, const JobContext& context);
// Of the set's archives named, those a restore as of the stamp or date needs (see FetchRequest::asOf).
QStringList ArchivesForPoint(const BackupSet& set, const QStringList& names, const std::optional<QString>& asOf);
