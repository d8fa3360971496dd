#pragma once

// What a good test of a chain's full archive saw of the file, kept in the set's file, so that an update run tests
// the full archive again only when the file is no longer the one tested or the test has grown old.

#include <QDateTime>
#include <QString>

#include <optional>

// The file as the system describes it: a rewrite, a replacement or a change of its times shows in one of these.
struct FullArchiveIdentity
{
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 inode = 0;
    qint64 changedNs = 0;

    bool operator==(const FullArchiveIdentity&) const = default;
};

// The plain file at the path, never through a link; nothing for anything else.
std::optional<FullArchiveIdentity> FullArchiveIdentityOf(const QString& path);

// The stored text of a good test of the file as it was, at the time given.
QString FullArchiveTestedText(const FullArchiveIdentity& identity, const QDateTime& testedAt);

// Whether the stored text says the archive at the path, as it is now, tested good less than days ago. Text that does
// not parse, another file, a test in the future, or 0 days all say no.
bool FullArchiveTestHolds(const QString& stored, const QString& path, const QDateTime& now, int days);
