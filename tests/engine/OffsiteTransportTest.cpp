// The destination's kind picks the tool every off-site operation runs: rsync over ssh for ssh://USER@HOST/PATH, rclone
// for REMOTE:PATH. The operations themselves are tried against a real sshd and real rclone remotes in OffsiteTest.

#include "OffsiteStep.h"
#include "OffsiteTransports.h"
#include "RcloneTransport.h"
#include "SshTransport.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

// The program and arguments of the command that copies a local file to the destination under a name.
struct CopyCall
{
    bool toolsFound = false;
    QString program;
    QStringList arguments;
};

CopyCall copyCallFor(const OffsiteTarget& target, bool* isSsh, bool* isRclone)
{
    RunControl control;
    OffsiteStep step(target, nullptr, &control, std::chrono::seconds(10));
    const std::unique_ptr<OffsiteTransport> transport = MakeOffsiteTransport(step);
    *isSsh = dynamic_cast<SshTransport*>(transport.get()) != nullptr;
    *isRclone = dynamic_cast<RcloneTransport*>(transport.get()) != nullptr;
    CopyCall call;
    OffsiteOutcome outcome;
    call.toolsFound = transport->findTools(outcome);
    const Command copy = transport->copyCommand(QStringLiteral("/tmp/local file"), QStringLiteral(".probe"));
    call.program = QFileInfo(copy.program).fileName();
    call.arguments = copy.arguments;
    return call;
}

} // namespace

TEST(OffsiteTransportChoice, AnSshDestinationGoesThroughRsyncOverSshAndAnRcloneRemoteThroughRclone)
{
    bool isSsh = false;
    bool isRclone = false;

    const auto ssh = ParseOffsiteTarget(QStringLiteral("ssh://backup@example.invalid/srv/backups"));
    ASSERT_TRUE(ssh);
    const CopyCall overSsh = copyCallFor(*ssh, &isSsh, &isRclone);
    EXPECT_TRUE(isSsh);
    EXPECT_FALSE(isRclone);
    ASSERT_TRUE(overSsh.toolsFound);
    EXPECT_EQ(overSsh.program, QStringLiteral("rsync"));
    // rsync reaches the host through ssh, never a shell of its own choosing.
    const qsizetype shell = overSsh.arguments.indexOf(QStringLiteral("-e"));
    ASSERT_GE(shell, 0);
    EXPECT_TRUE(overSsh.arguments.value(shell + 1).contains(QStringLiteral("ssh")))
        << overSsh.arguments.join(' ').toStdString();
    EXPECT_TRUE(overSsh.arguments.contains(QStringLiteral("/tmp/local file")));

    const auto remote = ParseOffsiteTarget(QStringLiteral("velmora-remote:backups/set"));
    ASSERT_TRUE(remote);
    const CopyCall overRclone = copyCallFor(*remote, &isSsh, &isRclone);
    EXPECT_FALSE(isSsh);
    EXPECT_TRUE(isRclone);
    ASSERT_TRUE(overRclone.toolsFound);
    EXPECT_EQ(overRclone.program, QStringLiteral("rclone"));
    EXPECT_TRUE(overRclone.arguments.contains(QStringLiteral("velmora-remote:backups/set/.probe")))
        << overRclone.arguments.join(' ').toStdString();
}
