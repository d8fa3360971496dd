#include "SourceScan.h"

#include "ExcludedFolders.h"
#include "FileDescriptor.h"
#include "FolderPaths.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>

namespace {

// 7-Zip's wildcards: "*" any run of characters, "?" any one; nothing else is special to it. Here "*" also
// crosses "/", which only ever makes a name look more dangerous than it is.
QRegularExpression wildcardPattern(const QString& pattern)
{
    QString expression;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('*'))
            expression += QStringLiteral(".*");
        else if (c == QLatin1Char('?'))
            expression += QLatin1Char('.');
        else
            expression += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(expression));
}

bool hasWildcards(const QString& text)
{
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

// The folders 7-Zip surely leaves out, by their names and by their paths relative to the source.
struct PrunedFolders
{
    QSet<QByteArray> names;
    QSet<QByteArray> paths;
};

PrunedFolders prunedFolders(const BackupSet& set)
{
    PrunedFolders pruned;
    for (const QString& entry : set.exPathList) {
        const FolderExclusion exclusion = ClassifyExcludedFolder(set.source, entry);
        QString path = exclusion.path;
        while (path.endsWith(kPathSeparator))
            path.chop(1);
        // A wildcard in the entry makes 7-Zip leave out more than the one folder, never less.
        if (path.isEmpty() || hasWildcards(path))
            continue;
        if (exclusion.kind == FolderExclusion::OneFolderInside)
            pruned.paths.insert(QFile::encodeName(path));
        else if (exclusion.kind == FolderExclusion::AnyFolderNamed)
            pruned.names.insert(QFile::encodeName(path));
    }
    return pruned;
}

using Visit = std::function<void(const QByteArray& path, const struct stat& status)>;

// Takes over folderFd. Links are met as links; a folder swapped for a link while it is walked is not entered.
void walkFolder(int folderFd, const QByteArray& relative, const PrunedFolders& pruned, const Visit& visit)
{
    DIR* folder = ::fdopendir(folderFd);
    if (!folder) {
        ::close(folderFd);
        return;
    }
    while (const dirent* entry = ::readdir(folder)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        struct stat status;
        if (::fstatat(::dirfd(folder), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const QByteArray path = relative.isEmpty() ? name : relative + '/' + name;
        if (S_ISDIR(status.st_mode)) {
            if (pruned.names.contains(name) || pruned.paths.contains(path))
                continue;
            visit(path, status);
            const int child = ::openat(::dirfd(folder), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0)
                walkFolder(child, path, pruned, visit);
            continue;
        }
        visit(path, status);
    }
    ::closedir(folder);
}

void walkSource(const BackupSet& set, const Visit& visit)
{
    // 7-Zip runs inside the source folder, through a link to it as well.
    const int root
        = ::open(QFile::encodeName(TrimmedFolder(set.source)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root >= 0)
        walkFolder(root, {}, prunedFolders(set), visit);
}

bool isSpecial(mode_t mode)
{
    return S_ISFIFO(mode) || S_ISSOCK(mode) || S_ISCHR(mode) || S_ISBLK(mode);
}

quint64 pathKey(const QByteArray& path)
{
    return quint64(qHash(path, 0x5eed));
}

SourceScan::Stamp stampOf(const struct stat& status)
{
    return {qint64(status.st_size), qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

} // namespace

SourceScan ScanSource(const BackupSet& set)
{
    SourceScan scan;
    QList<QRegularExpression> types;
    for (const QString& type : set.exTypeList)
        types.append(wildcardPattern(type));
    walkSource(set, [&](const QByteArray& path, const struct stat& status) {
        if (S_ISREG(status.st_mode)) {
            scan.stamps.insert(pathKey(path), stampOf(status));
        } else if (isSpecial(status.st_mode)) {
            const QString relative = QFile::decodeName(path);
            const QString name = relative.mid(relative.lastIndexOf(QLatin1Char('/')) + 1);
            const bool excluded = std::any_of(types.cbegin(), types.cend(),
                [&](const QRegularExpression& type) { return type.match(name).hasMatch(); });
            (excluded ? scan.specialFilesExcluded : scan.specialFiles).append(relative);
        }
    });
    return scan;
}

QStringList FilesChangedSince(const BackupSet& set, const SourceScan& before)
{
    QStringList changed;
    walkSource(set, [&](const QByteArray& path, const struct stat& status) {
        if (!S_ISREG(status.st_mode))
            return;
        const auto stamp = before.stamps.constFind(pathKey(path));
        if (stamp == before.stamps.cend())
            return;
        const SourceScan::Stamp now = stampOf(status);
        if (now.size != stamp->size || now.modifiedNs != stamp->modifiedNs)
            changed.append(QFile::decodeName(path));
    });
    changed.sort();
    return changed;
}

SpecialFileSwitches SpecialFileExclusions(const BackupSet& set, const SourceScan& scan)
{
    SpecialFileSwitches result;
    const QStringList all = scan.specialFiles + scan.specialFilesExcluded;
    QList<QRegularExpression> risky;
    QStringList riskyNames;
    for (const QString& path : all) {
        // Not recursive: the path from the source's top. A bare name after "-x!" would leave out every file of
        // that name at any depth.
        result.switches.append(QStringLiteral("-xr-!") + path);
        if (hasWildcards(path)) {
            risky.append(wildcardPattern(path));
            riskyNames.append(path);
        }
    }
    if (risky.isEmpty())
        return result;
    const QSet<QString> special(all.cbegin(), all.cend());
    walkSource(set, [&](const QByteArray& raw, const struct stat&) {
        if (!result.unsafeName.isEmpty())
            return;
        const QString path = QFile::decodeName(raw);
        if (special.contains(path))
            return;
        for (qsizetype i = 0; i < risky.size(); ++i) {
            if (risky.at(i).match(path).hasMatch()) {
                result.unsafeName = riskyNames.at(i);
                return;
            }
        }
    });
    return result;
}
