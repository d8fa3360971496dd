#include "OffsiteTarget.h"

#include "BackupSet.h"

#include <gtest/gtest.h>

namespace {

OffsiteTarget parsed(const QString& text)
{
    QString problem;
    const auto target = ParseOffsiteTarget(text, &problem);
    EXPECT_TRUE(target.has_value()) << text.toStdString() << ": " << problem.toStdString();
    return target.value_or(OffsiteTarget());
}

QString refusal(const QString& text)
{
    QString problem;
    EXPECT_FALSE(ParseOffsiteTarget(text, &problem).has_value()) << text.toStdString();
    return problem;
}

} // namespace

TEST(OffsiteTargetTest, SshAddressesGiveUserHostPortAndFolder)
{
    const OffsiteTarget full = parsed(QStringLiteral("  ssh://backup@nas.local:2222/srv/backups/ "));
    EXPECT_TRUE(full.isSsh());
    EXPECT_EQ(full.user, QStringLiteral("backup"));
    EXPECT_EQ(full.host, QStringLiteral("nas.local"));
    EXPECT_EQ(full.port, 2222);
    EXPECT_EQ(full.path, QStringLiteral("/srv/backups"));
    EXPECT_EQ(full.toolLocation(), QStringLiteral("backup@nas.local:/srv/backups"));
    EXPECT_EQ(full.toolLocationOf(QStringLiteral("Docs.7z")), QStringLiteral("backup@nas.local:/srv/backups/Docs.7z"));

    const OffsiteTarget home = parsed(QStringLiteral("ssh://nas/~/Резервные копии"));
    EXPECT_EQ(home.user, QString());
    EXPECT_EQ(home.port, 0);
    EXPECT_EQ(home.path, QStringLiteral("Резервные копии"));
    EXPECT_EQ(home.toolLocation(), QStringLiteral("nas:Резервные копии"));

    const OffsiteTarget v6 = parsed(QStringLiteral("ssh://me@[::1]:22//b//c/"));
    EXPECT_EQ(v6.host, QStringLiteral("::1"));
    EXPECT_EQ(v6.path, QStringLiteral("/b/c"));
    EXPECT_EQ(v6.toolLocation(), QStringLiteral("me@[::1]:/b/c"));
}

TEST(OffsiteTargetTest, RcloneRemotesKeepTheirFolderRelative)
{
    const OffsiteTarget cloud = parsed(QStringLiteral("my drive:Backups/Velmora"));
    EXPECT_FALSE(cloud.isSsh());
    EXPECT_EQ(cloud.remote, QStringLiteral("my drive"));
    EXPECT_EQ(cloud.path, QStringLiteral("Backups/Velmora"));
    EXPECT_EQ(cloud.toolLocationOf(QStringLiteral("a.7z")), QStringLiteral("my drive:Backups/Velmora/a.7z"));
}

// What could reach a tool as an option, or as another kind of place, never leaves the parser.
TEST(OffsiteTargetTest, RefusesWhatToolsWouldReadOtherwise)
{
    EXPECT_FALSE(ParseOffsiteTarget(QStringLiteral("   ")).has_value());
    EXPECT_TRUE(refusal(QStringLiteral("/mnt/usb/backups")).contains(QStringLiteral("ssh://")));
    EXPECT_FALSE(refusal(QStringLiteral("http://example.com/x")).isEmpty());
    EXPECT_FALSE(refusal(QStringLiteral("ssh://-oProxyCommand=touch /tmp/x")).isEmpty());
    EXPECT_FALSE(refusal(QStringLiteral("ssh://-oProxyCommand=x@host/p")).isEmpty());
    EXPECT_FALSE(refusal(QStringLiteral("ssh://host")).isEmpty());
    EXPECT_FALSE(refusal(QStringLiteral("ssh://host/")).isEmpty());
    EXPECT_FALSE(refusal(QStringLiteral("ssh://host:0/p")).isEmpty());
    EXPECT_FALSE(refusal(QStringLiteral("ssh://host:ab/p")).isEmpty());
    EXPECT_FALSE(refusal(QStringLiteral("ssh://host/a\nb")).isEmpty());
    EXPECT_FALSE(refusal(QStringLiteral("-remote:path")).isEmpty());
    EXPECT_FALSE(refusal(QStringLiteral(":local:/tmp")).isEmpty());
    EXPECT_FALSE(refusal(QStringLiteral("dir/sub:path")).isEmpty());
    EXPECT_FALSE(refusal(QStringLiteral("remote:")).isEmpty());
}

// Two sets whose copies take the same names in the same folder there would overwrite and remove each other's.
TEST(OffsiteTargetTest, SetsWhoseCopiesWouldTakeTheSameNamesThereClash)
{
    const auto setOf = [](quint32 id, const QString& name, const QString& arcName, const QString& offsite) {
        BackupSet set;
        set.id = id;
        set.name = name;
        set.arcName = arcName;
        set.source = "/home/me/" + name;
        set.offsite = offsite;
        return set;
    };
    const BackupSet docs = setOf(1, "Docs", "docs", "ssh://me@NAS:22/srv/b/");
    QList<BackupSet> sets {docs, setOf(2, "Photos", "photos", "ssh://me@nas/srv/b"),
        setOf(3, "Elsewhere", "docs", "ssh://me@nas/srv/other"), setOf(4, "Other login", "docs", "ssh://you@nas/srv/b"),
        setOf(5, "Cloud", "docs", "cloud:srv/b")};
    EXPECT_EQ(OffsiteClashOf(docs, sets), std::nullopt);
    // The same folder written another way, and the same name in other letters.
    sets.append(setOf(6, "Again", "DOCS", "ssh://me@nas/srv//b"));
    EXPECT_EQ(OffsiteClashOf(docs, sets), std::optional<QString>("Again"));
    // Another archive type takes other names.
    sets.last().arcType = 1;
    EXPECT_EQ(OffsiteClashOf(docs, sets), std::nullopt);
    // Mirror sets clash by their source folder's name, which names the mirror there.
    BackupSet mirror = setOf(7, "Docs", "x", "cloud:srv/b");
    mirror.backupType = MirrorCopying;
    BackupSet otherMirror = setOf(8, "Docs", "y", "CLOUD:srv/b");
    otherMirror.source = "/mnt/old/Docs/";
    otherMirror.backupType = MirrorCopying;
    EXPECT_EQ(OffsiteClashOf(mirror, {mirror, otherMirror}), std::optional<QString>("Docs"));
    // A set without an off-site copy clashes with nothing.
    EXPECT_EQ(OffsiteClashOf(setOf(9, "Local", "docs", ""), sets), std::nullopt);
}
