#include "Keyring.h"
#include "TempHome.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

// The probe on a session bus of its own, where a Secret Service (gnome-keyring-daemon, its login keyring
// unlocked with a test password and kept below the test's home) serves it; the daemon is ended with the bus.
const char* const kSessionScript = R"(
if [ -n "$KEYRING_TEST_UNLOCK" ]; then
    printf '%s' "$KEYRING_TEST_UNLOCK" | gnome-keyring-daemon --unlock --components=secrets --foreground >/dev/null 2>&1 &
else
    gnome-keyring-daemon --components=secrets --foreground </dev/null >/dev/null 2>&1 &
fi
daemon=$!
tries=0
until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q 'boolean true'; do
    tries=$((tries + 1))
    [ "$tries" -gt 100 ] && { echo 'no Secret Service came up' >&2; kill "$daemon"; exit 3; }
    sleep 0.1
done
"$@"
status=$?
kill "$daemon"
wait "$daemon" 2>/dev/null
exit $status
)";

struct ProbeRun
{
    QStringList lines;
    QString errors;
};

// The probe's steps in a session of their own over the keyrings below the current home, unlocked with the
// password, or left locked without one.
ProbeRun runInSession(const QString& unlock, const QStringList& steps)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KEYRING_TEST_UNLOCK"), unlock);
    // QtKeychain would prefer KWallet on a KDE desktop; the test's bus has only the Secret Service.
    environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    environment.remove(QStringLiteral("DESKTOP_SESSION"));
    environment.remove(QStringLiteral("KDE_FULL_SESSION"));
    // Nowhere to show an unlock prompt: a locked keyring stays locked.
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral("dbus-run-session"),
        QStringList {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
            QString::fromLatin1(kSessionScript), QStringLiteral("sh"), QStringLiteral(VELMORA_KEYRING_PROBE)}
            + steps);
    ProbeRun run;
    EXPECT_TRUE(process.waitForFinished(120000));
    run.errors = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 0) << run.errors.toStdString();
    run.lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    return run;
}

TEST(Keyring, WritesReadsAndDeletesASetsPasswordInARealSecretServiceAndKnowsItLocked)
{
    for (const char* tool : {"dbus-run-session", "dbus-send", "gnome-keyring-daemon"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " is missing (Debian: dbus-daemon, gnome-keyring; scripts/setup.sh installs them)";
    }
    TempHome home;
    const QString password = QString::fromUtf8("пароль с пробелами & знаками");
    const ProbeRun unlocked = runInSession(QStringLiteral("unlock-for-the-test"),
        {"read", "7", "write", "7", password, "write", "8", "other", "read", "7", "delete", "7", "read", "7", "read",
            "8", "delete", "7"});
    EXPECT_EQ(unlocked.lines,
        QStringList({"read NotFound", "write Ok", "write Ok", "read Ok " + password, "delete Ok", "read NotFound",
            "read Ok other", "delete Ok"}))
        << unlocked.errors.toStdString();

    // After a restart with nobody to unlock it, the keyring still holds set 8's password but gives it to no one;
    // that is a locked keyring, not a set without a password.
    const ProbeRun locked = runInSession(QString(), {"read", "8", "read", "7"});
    EXPECT_EQ(locked.lines, QStringList({"read Unavailable", "read Unavailable"})) << locked.errors.toStdString();

    // A session bus that knows no keyring service at all (no service folders to start one from): missing, so the
    // window asks and velmora-run says so.
    const QString bareBus = home.filePath(QStringLiteral("bare-bus.conf"));
    QFile config(bareBus);
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                 " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                 "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>\n"
                 "<policy context=\"default\"><allow send_destination=\"*\"/><allow own=\"*\"/><allow "
                 "receive_sender=\"*\"/></policy>"
                 "</busconfig>\n");
    config.close();
    QProcess bare;
    bare.setStandardInputFile(QProcess::nullDevice());
    bare.start(QStringLiteral("dbus-run-session"),
        {"--config-file=" + bareBus, QStringLiteral("--"), QStringLiteral(VELMORA_KEYRING_PROBE), "read", "7", "write",
            "7", "x"});
    ASSERT_TRUE(bare.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(bare.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
        QStringList({"read Unavailable", "write Unavailable"}))
        << bare.readAllStandardError().toStdString();
}

} // namespace
