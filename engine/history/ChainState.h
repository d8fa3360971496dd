#pragma once

// The state of one chain as of each of its points: the full archive's entries sorted once, with one update
// archive's changes laid over them for a point, so that a point costs what its update archive holds rather than
// what the full archive holds.

#include "ArchiveEntries.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class ChainState
{
public:
    explicit ChainState(const QList<ArchiveItem>& full);

    struct Summary
    {
        // Files (not folders) a restore writes.
        qint64 fileCount = 0;
        // The entries a restore refuses, sorted by path.
        QStringList refusedPaths;
    };
    // What the point holds: the full archive alone (update null) or with the update archive over it.
    Summary summary(const QList<ArchiveItem>* update) const;
    // Every entry of the point sorted by path; fromUpdate, when given, says for each whether the update archive
    // holds it.
    QList<StateEntry> entries(const QList<ArchiveItem>* update, QList<bool>* fromUpdate) const;
    // The first entry of the point under the path, if it holds one (its refused flag is not worked out).
    std::optional<StateEntry> entry(const QList<ArchiveItem>* update, const QString& path) const;

private:
    // What the update archive says of one path: the entry it writes there, or that the entry is gone.
    struct Slot
    {
        // The full archive's entry it replaces (the last under its name), or -1.
        qsizetype base = -1;
        StateEntry entry;
        bool gone = false;
    };
    struct Overlay
    {
        QHash<QString, Slot> changes;
        // Base positions that slots replace or take away.
        QHash<qsizetype, const Slot*> atBase;
        // The update archive's deleted folders, sorted.
        QStringList deletedFolders;
        // Base entries a deleted folder takes with it.
        QSet<qsizetype> dropped;
        // Base entries whose refusal differs from the full archive's because a folder above them changed kind.
        QHash<qsizetype, bool> refusalChanged;
    };

    Overlay overlayOf(const QList<ArchiveItem>& update, bool withRefusals) const;
    bool droppedByDeletedFolder(const Overlay& overlay, qsizetype position) const;
    // Whether an entry under the path is a file or link, so that whatever lies below it is refused.
    bool blocksBelowInFull(const QString& path) const;
    bool blocksBelow(const Overlay& overlay, const QString& path) const;
    bool refusedIn(const Overlay& overlay, const QString& path) const;
    bool presentBase(const Overlay& overlay, qsizetype position) const;
    // The base positions of entries below the folder, in order.
    std::pair<qsizetype, qsizetype> rangeBelow(const QString& folder) const;
    std::pair<qsizetype, qsizetype> rangeOf(const QString& path) const;

    // The full archive's entries (its deletion marks left out), sorted by path, refusals worked out.
    QList<StateEntry> m_base;
    QList<qsizetype> m_baseRefused;
    qint64 m_baseFiles = 0;
};
