#include "ChainState.h"

#include <algorithm>
#include <unordered_set>

namespace {

StateEntry entryOf(const ArchiveItem& item)
{
    return {item.path, item.isFolder, item.isLink, item.size, item.modified, {}, false};
}

bool byPath(const StateEntry& a, const StateEntry& b)
{
    return a.path < b.path;
}

// Orders entries and paths alike, for searching the sorted entries by a path.
struct PathOrder
{
    bool operator()(const StateEntry& entry, const QString& path) const { return entry.path < path; }
    bool operator()(const QString& path, const StateEntry& entry) const { return path < entry.path; }
};

bool isBelow(const QString& path, const QString& folder)
{
    return path.size() > folder.size() && path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/');
}

struct ViewHash
{
    size_t operator()(QStringView view) const noexcept { return qHash(view); }
};

bool counts(const StateEntry& entry, bool refused)
{
    return !entry.isFolder && !refused;
}

} // namespace

ChainState::ChainState(const QList<ArchiveItem>& full)
{
    m_base.reserve(full.size());
    for (const ArchiveItem& item : full) {
        if (!item.deleted)
            m_base.append(entryOf(item));
    }
    // Stable, so that entries under one name (only in a listing made to mislead) keep the listing's order.
    if (!std::is_sorted(m_base.cbegin(), m_base.cend(), byPath))
        std::stable_sort(m_base.begin(), m_base.end(), byPath);
    // An entry below a file or link of the same state would be written through it, or not at all.
    std::unordered_set<QStringView, ViewHash> blocking;
    for (const StateEntry& entry : std::as_const(m_base)) {
        if (!entry.isFolder)
            blocking.insert(QStringView(entry.path));
    }
    for (qsizetype i = 0; i < m_base.size(); ++i) {
        StateEntry& entry = m_base[i];
        entry.refused = IsUnsafeEntryPath(entry.path);
        for (qsizetype slash = entry.path.indexOf(QLatin1Char('/')); !entry.refused && slash > 0;
             slash = entry.path.indexOf(QLatin1Char('/'), slash + 1))
            entry.refused = blocking.count(QStringView(entry.path).first(slash)) > 0;
        if (entry.refused)
            m_baseRefused.append(i);
        else if (!entry.isFolder)
            ++m_baseFiles;
    }
}

std::pair<qsizetype, qsizetype> ChainState::rangeOf(const QString& path) const
{
    const auto [from, to] = std::equal_range(m_base.cbegin(), m_base.cend(), path, PathOrder());
    return {from - m_base.cbegin(), to - m_base.cbegin()};
}

std::pair<qsizetype, qsizetype> ChainState::rangeBelow(const QString& folder) const
{
    // Every path starting "folder/" lies between "folder/" and "folder0", and nothing else does.
    const auto from = std::lower_bound(m_base.cbegin(), m_base.cend(), folder + QLatin1Char('/'), PathOrder());
    const auto to = std::lower_bound(from, m_base.cend(), folder + QLatin1Char('0'), PathOrder());
    return {from - m_base.cbegin(), to - m_base.cbegin()};
}

ChainState::Overlay ChainState::overlayOf(const QList<ArchiveItem>& update, bool withRefusals) const
{
    Overlay overlay;
    // A mark under a name the update archive also writes (the entry changed kind) is for what the full archive
    // held there: the entry written is what the source had, whichever comes first. 7-Zip lists a folder that was a
    // file before the file's deletion mark; a zip update archive writes its mark as an empty file or folder.
    QSet<QString> written;
    for (const ArchiveItem& item : update) {
        if (!item.zipMark && !item.deleted)
            written.insert(item.path);
    }
    // In the archive's order: an entry deleted and written again under one name is the later of the two.
    for (const ArchiveItem& item : update) {
        if ((item.zipMark || item.deleted) && written.contains(item.path)) {
            // What the full archive held below a deleted folder is gone all the same.
            if (item.deleted && item.isFolder)
                overlay.deletedFolders.append(item.path);
            continue;
        }
        auto slot = overlay.changes.find(item.path);
        if (item.deleted) {
            if (slot != overlay.changes.end()) {
                slot->gone = true;
            } else if (const auto [from, to] = rangeOf(item.path); from < to) {
                overlay.changes.insert(item.path, {to - 1, m_base.at(to - 1), true});
            }
            if (item.isFolder)
                overlay.deletedFolders.append(item.path);
            continue;
        }
        if (slot == overlay.changes.end()) {
            const auto [from, to] = rangeOf(item.path);
            slot = overlay.changes.insert(item.path, {from < to ? to - 1 : -1, {}, false});
        }
        slot->entry = entryOf(item);
        slot->gone = false;
    }
    for (const Slot& slot : std::as_const(overlay.changes)) {
        if (slot.base >= 0)
            overlay.atBase.insert(slot.base, &slot);
    }
    std::sort(overlay.deletedFolders.begin(), overlay.deletedFolders.end());
    overlay.deletedFolders.erase(
        std::unique(overlay.deletedFolders.begin(), overlay.deletedFolders.end()), overlay.deletedFolders.end());
    if (!withRefusals)
        return overlay;

    // A deleted folder takes what was below it, also an entry its marks did not name one by one; what the
    // update archive holds there again was made after the deletion. An entry is judged by the nearest deleted
    // folder before it in order.
    for (qsizetype i = 0; i < overlay.deletedFolders.size(); ++i) {
        auto [from, to] = rangeBelow(overlay.deletedFolders.at(i));
        if (i + 1 < overlay.deletedFolders.size())
            to = std::min(to, rangeOf(overlay.deletedFolders.at(i + 1)).first);
        for (qsizetype p = from; p < to; ++p) {
            if (!overlay.atBase.contains(p))
                overlay.dropped.insert(p);
        }
    }

    // Only what lies below a name whose kind changed (a folder that became a file, a file that went) can be
    // refused otherwise than in the full archive.
    QStringList changedKind;
    const auto judge = [&](const QString& path) {
        if (blocksBelowInFull(path) != blocksBelow(overlay, path))
            changedKind.append(path);
    };
    for (auto slot = overlay.changes.cbegin(); slot != overlay.changes.cend(); ++slot)
        judge(slot.key());
    for (const qsizetype p : std::as_const(overlay.dropped)) {
        if (!m_base.at(p).isFolder)
            judge(m_base.at(p).path);
    }
    std::sort(changedKind.begin(), changedKind.end());
    QString judged;
    for (const QString& path : std::as_const(changedKind)) {
        // What lies below it was gone through with the folder above it.
        if (!judged.isNull() && (path == judged || isBelow(path, judged)))
            continue;
        judged = path;
        const auto [from, to] = rangeBelow(path);
        for (qsizetype p = from; p < to; ++p) {
            if (!presentBase(overlay, p))
                continue;
            const bool refused = refusedIn(overlay, m_base.at(p).path);
            if (refused != m_base.at(p).refused)
                overlay.refusalChanged.insert(p, refused);
        }
    }
    return overlay;
}

bool ChainState::droppedByDeletedFolder(const Overlay& overlay, qsizetype position) const
{
    const QString& path = m_base.at(position).path;
    const auto next = std::upper_bound(overlay.deletedFolders.cbegin(), overlay.deletedFolders.cend(), path);
    return next != overlay.deletedFolders.cbegin() && isBelow(path, *(next - 1));
}

bool ChainState::presentBase(const Overlay& overlay, qsizetype position) const
{
    return !overlay.atBase.contains(position) && !overlay.dropped.contains(position);
}

bool ChainState::blocksBelowInFull(const QString& path) const
{
    const auto [from, to] = rangeOf(path);
    for (qsizetype p = from; p < to; ++p) {
        if (!m_base.at(p).isFolder)
            return true;
    }
    return false;
}

bool ChainState::blocksBelow(const Overlay& overlay, const QString& path) const
{
    const auto slot = overlay.changes.constFind(path);
    if (slot != overlay.changes.cend() && !slot->gone && !slot->entry.isFolder)
        return true;
    const auto [from, to] = rangeOf(path);
    for (qsizetype p = from; p < to; ++p) {
        if (presentBase(overlay, p) && !m_base.at(p).isFolder)
            return true;
    }
    return false;
}

bool ChainState::refusedIn(const Overlay& overlay, const QString& path) const
{
    if (IsUnsafeEntryPath(path))
        return true;
    for (qsizetype slash = path.indexOf(QLatin1Char('/')); slash > 0;
         slash = path.indexOf(QLatin1Char('/'), slash + 1)) {
        if (blocksBelow(overlay, path.first(slash)))
            return true;
    }
    return false;
}

ChainState::Summary ChainState::summary(const QList<ArchiveItem>* update) const
{
    Summary summary;
    summary.fileCount = m_baseFiles;
    if (!update) {
        for (const qsizetype p : m_baseRefused)
            summary.refusedPaths.append(m_base.at(p).path);
        return summary;
    }
    const Overlay overlay = overlayOf(*update, true);
    for (const Slot& slot : overlay.changes) {
        if (slot.base >= 0)
            summary.fileCount -= counts(m_base.at(slot.base), m_base.at(slot.base).refused);
        if (slot.gone)
            continue;
        const bool refused = refusedIn(overlay, slot.entry.path);
        summary.fileCount += counts(slot.entry, refused);
        if (refused)
            summary.refusedPaths.append(slot.entry.path);
    }
    for (const qsizetype p : overlay.dropped)
        summary.fileCount -= counts(m_base.at(p), m_base.at(p).refused);
    for (auto changed = overlay.refusalChanged.cbegin(); changed != overlay.refusalChanged.cend(); ++changed) {
        const StateEntry& entry = m_base.at(changed.key());
        summary.fileCount += counts(entry, *changed) - counts(entry, entry.refused);
        if (*changed)
            summary.refusedPaths.append(entry.path);
    }
    for (const qsizetype p : m_baseRefused) {
        if (presentBase(overlay, p) && !overlay.refusalChanged.contains(p))
            summary.refusedPaths.append(m_base.at(p).path);
    }
    std::sort(summary.refusedPaths.begin(), summary.refusedPaths.end());
    return summary;
}

QList<StateEntry> ChainState::entries(const QList<ArchiveItem>* update, QList<bool>* fromUpdate) const
{
    if (!update) {
        if (fromUpdate)
            *fromUpdate = QList<bool>(m_base.size(), false);
        return m_base;
    }
    const Overlay overlay = overlayOf(*update, true);
    QList<const Slot*> added;
    for (const Slot& slot : overlay.changes) {
        if (slot.base < 0 && !slot.gone)
            added.append(&slot);
    }
    std::sort(added.begin(), added.end(), [](const Slot* a, const Slot* b) { return a->entry.path < b->entry.path; });
    QList<StateEntry> result;
    result.reserve(m_base.size() + added.size());
    if (fromUpdate) {
        fromUpdate->clear();
        fromUpdate->reserve(m_base.size() + added.size());
    }
    const auto append = [&](StateEntry entry, bool refused, bool written) {
        entry.refused = refused;
        result.append(std::move(entry));
        if (fromUpdate)
            fromUpdate->append(written);
    };
    qsizetype next = 0;
    const auto appendAddedBefore = [&](const QString* path) {
        for (; next < added.size() && (!path || added.at(next)->entry.path < *path); ++next)
            append(added.at(next)->entry, refusedIn(overlay, added.at(next)->entry.path), true);
    };
    for (qsizetype p = 0; p < m_base.size(); ++p) {
        const StateEntry& entry = m_base.at(p);
        appendAddedBefore(&entry.path);
        if (const auto slot = overlay.atBase.constFind(p); slot != overlay.atBase.cend()) {
            if (!(*slot)->gone)
                append((*slot)->entry, refusedIn(overlay, entry.path), true);
            continue;
        }
        if (overlay.dropped.contains(p))
            continue;
        append(entry, overlay.refusalChanged.value(p, entry.refused), false);
    }
    appendAddedBefore(nullptr);
    return result;
}

std::optional<StateEntry> ChainState::entry(const QList<ArchiveItem>* update, const QString& path) const
{
    const auto [from, to] = rangeOf(path);
    if (!update)
        return from < to ? std::optional(m_base.at(from)) : std::nullopt;
    const Overlay overlay = overlayOf(*update, false);
    const auto slot = overlay.changes.constFind(path);
    const Slot* own = slot == overlay.changes.cend() ? nullptr : &*slot;
    for (qsizetype p = from; p < to; ++p) {
        if (own && own->base == p) {
            if (!own->gone)
                return own->entry;
            continue;
        }
        if (!droppedByDeletedFolder(overlay, p))
            return m_base.at(p);
    }
    if (own && own->base < 0 && !own->gone)
        return own->entry;
    return std::nullopt;
}
