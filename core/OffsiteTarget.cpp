#include "OffsiteTarget.h"

#include "BackupSet.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

bool hasControlLetters(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

std::optional<OffsiteTarget> refuse(QString* problem, int id, const QString& text)
{
    if (problem)
        *problem = LoadStringById(id).arg(text);
    return std::nullopt;
}

// "/a/b/" and "/a//b" name the same folder; only the root keeps its slash.
QString tidyPath(QString path)
{
    static const QRegularExpression repeated(QStringLiteral("/{2,}"));
    path.replace(repeated, QStringLiteral("/"));
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

std::optional<OffsiteTarget> parseSsh(const QString& text, QString* problem)
{
    // A host name (letters, digits, dots and hyphens, never starting with a hyphen that ssh would read as an
    // option), an IPv4 address, or an IPv6 address in brackets; then the folder.
    static const QRegularExpression form(
        QStringLiteral(R"(^ssh://(?:([^@/]*)@)?(\[[0-9A-Fa-f:.]+\]|[^:/\[\]]*)(?::([^/]*))?(/.*)?$)"));
    static const QRegularExpression hostName(QStringLiteral(R"(^[A-Za-z0-9_](?:[A-Za-z0-9_.-]*[A-Za-z0-9_])?$)"));
    static const QRegularExpression userName(QStringLiteral(R"(^[A-Za-z0-9_][A-Za-z0-9_.-]*$)"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return refuse(problem, StringId::OffsiteUnknownForm, text);
    OffsiteTarget target;
    target.kind = OffsiteTarget::Kind::Ssh;
    target.text = text;
    if (match.hasCaptured(1)) {
        target.user = match.captured(1);
        if (!userName.match(target.user).hasMatch())
            return refuse(problem, StringId::OffsiteBadUser, text);
    }
    QString host = match.captured(2);
    if (host.startsWith(QLatin1Char('['))) {
        host = host.mid(1, host.size() - 2);
    } else if (!hostName.match(host).hasMatch()) {
        return refuse(problem, StringId::OffsiteBadHost, text);
    }
    target.host = host;
    if (match.hasCaptured(3)) {
        bool ok = false;
        const int port = match.captured(3).toInt(&ok);
        if (!ok || port < 1 || port > 65535)
            return refuse(problem, StringId::OffsiteBadPort, text);
        target.port = port;
    }
    QString path = match.captured(4);
    // "/~/backups" is "backups" in the login's home folder, as ssh-style addresses of other programs have it.
    if (path == QLatin1String("/~") || path.startsWith(QLatin1String("/~/")))
        path = path.mid(3);
    path = tidyPath(path);
    if (path.isEmpty() || path == QLatin1String("/"))
        return refuse(problem, StringId::OffsiteNoPath, text);
    target.path = path;
    return target;
}

std::optional<OffsiteTarget> parseRclone(const QString& text, QString* problem)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QString remote = text.left(colon);
    // rclone's own rule for a remote's name: letters, digits, '_', '-', '.', '+', '@' and blanks inside, never
    // a leading '-' or blank. A leading ':' would make rclone build a remote from the text itself.
    static const QRegularExpression remoteName(
        QStringLiteral(R"(^[\w.+@][\w.+@ -]*$)"), QRegularExpression::UseUnicodePropertiesOption);
    if (!remoteName.match(remote).hasMatch() || remote.endsWith(QLatin1Char(' ')))
        return refuse(problem, StringId::OffsiteBadRemote, text);
    OffsiteTarget target;
    target.kind = OffsiteTarget::Kind::Rclone;
    target.text = text;
    target.remote = remote;
    QString path = tidyPath(text.mid(colon + 1));
    if (path.isEmpty() || path == QLatin1String("/"))
        return refuse(problem, StringId::OffsiteNoPath, text);
    target.path = path;
    return target;
}

} // namespace

QString OffsiteTarget::toolLocation() const
{
    if (kind == Kind::Rclone)
        return remote + QLatin1Char(':') + path;
    QString where = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    if (!user.isEmpty())
        where = user + QLatin1Char('@') + where;
    return where + QLatin1Char(':') + path;
}

QString OffsiteTarget::toolLocationOf(const QString& name) const
{
    const QString folder = toolLocation();
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

std::optional<OffsiteTarget> ParseOffsiteTarget(const QString& given, QString* problem)
{
    if (problem)
        problem->clear();
    const QString text = given.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    if (hasControlLetters(text))
        return refuse(problem, StringId::OffsiteControlLetters, text);
    if (text.startsWith(QLatin1String("ssh://"), Qt::CaseInsensitive))
        return parseSsh(QStringLiteral("ssh://") + text.mid(6), problem);
    // A local path, or any other address, is no off-site destination.
    if (!text.contains(QLatin1Char(':')) || text.startsWith(QLatin1Char('/'))
        || (text.contains(QLatin1Char('/')) && text.indexOf(QLatin1Char('/')) < text.indexOf(QLatin1Char(':')))
        || text.contains(QLatin1String("://")))
        return refuse(problem, StringId::OffsiteUnknownForm, text);
    return parseRclone(text, problem);
}

bool SameOffsiteFolder(const OffsiteTarget& a, const OffsiteTarget& b)
{
    if (a.kind != b.kind || a.path != b.path)
        return false;
    if (a.kind == OffsiteTarget::Kind::Rclone)
        return a.remote.compare(b.remote, Qt::CaseInsensitive) == 0;
    const auto portOf = [](const OffsiteTarget& target) { return target.port == 0 ? 22 : target.port; };
    return a.host.compare(b.host, Qt::CaseInsensitive) == 0 && a.user == b.user && portOf(a) == portOf(b);
}

namespace {

// The names the set's off-site copy takes in its folder there, in one letter case (a cloud store may not tell
// cases apart).
QString offsiteNamesOf(const BackupSet& set)
{
    if (set.backupType == MirrorCopying)
        return QStringLiteral("mirror:") + QFileInfo(QDir::cleanPath(set.source)).fileName().toLower();
    return QStringLiteral("archive:") + set.arcName.toLower() + QLatin1Char('.') + ArcTypeName(set).toLower();
}

} // namespace

std::optional<QString> OffsiteClashOf(const BackupSet& set, const QList<BackupSet>& sets)
{
    const std::optional<OffsiteTarget> target = ParseOffsiteTarget(set.offsite);
    if (!target)
        return std::nullopt;
    const QString names = offsiteNamesOf(set);
    for (const BackupSet& other : sets) {
        if (other.id == set.id)
            continue;
        const std::optional<OffsiteTarget> otherTarget = ParseOffsiteTarget(other.offsite);
        if (otherTarget && SameOffsiteFolder(*target, *otherTarget) && offsiteNamesOf(other) == names)
            return other.name;
    }
    return std::nullopt;
}
