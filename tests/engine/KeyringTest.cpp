#include "Keyring.h"
#include "TempHome.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

// The probe on a session bus of its own, where a Secret Service (gnome-keyring-daemon, its login keyring
// unlocked with a test password and kept below the test's home) serves it; the daemon is ended with the bus.
const char* const kSessionScript = R"(
printf '%s' "$KEYRING_TEST_UNLOCK" | gnome-keyring-daemon --unlock --components=secrets --foreground >/dev/null 2>&1 &
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

TEST(Keyring, WritesReadsAndDeletesASetsPasswordInARealSecretService)
{
    for (const char* tool : {"dbus-run-session", "dbus-send", "gnome-keyring-daemon"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " is missing (Debian: dbus-daemon, gnome-keyring; scripts/setup.sh installs them)";
    }
    TempHome home;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KEYRING_TEST_UNLOCK"), QStringLiteral("unlock-for-the-test"));
    // QtKeychain would prefer KWallet on a KDE desktop; the test's bus has only the Secret Service.
    environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    environment.remove(QStringLiteral("DESKTOP_SESSION"));
    environment.remove(QStringLiteral("KDE_FULL_SESSION"));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    const QString password = QString::fromUtf8("пароль с пробелами & знаками");
    process.start(QStringLiteral("dbus-run-session"),
        {QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"), QString::fromLatin1(kSessionScript),
            QStringLiteral("sh"), QStringLiteral(VELMORA_KEYRING_PROBE), QStringLiteral("read"), QStringLiteral("7"),
            QStringLiteral("write"), QStringLiteral("7"), password, QStringLiteral("write"), QStringLiteral("8"),
            QStringLiteral("other"), QStringLiteral("read"), QStringLiteral("7"), QStringLiteral("delete"),
            QStringLiteral("7"), QStringLiteral("read"), QStringLiteral("7"), QStringLiteral("read"),
            QStringLiteral("8"), QStringLiteral("delete"), QStringLiteral("7")});
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    ASSERT_EQ(process.exitCode(), 0) << errors.toStdString();

    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines,
        QStringList({"read NotFound", "write Ok", "write Ok", "read Ok " + password, "delete Ok", "read NotFound",
            "read Ok other", "delete Ok"}))
        << errors.toStdString();
}

} // namespace
