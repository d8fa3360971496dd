// Shared main of the test programs: pins the environment, then creates the Qt application object.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QtGlobal>

#ifdef VELMORA_TEST_SYSTEMCTL
#include "Schedules.h"
#endif

#ifdef VELMORA_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    const QByteArray home = VELMORA_TEST_HOME;
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_STATE_HOME", home + "/.local/state");
    const QString runtime = QString::fromLocal8Bit(home + "/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", home + "/runtime");
    qputenv("LANG", "C.UTF-8");
    qputenv("LC_ALL", "C.UTF-8");
    qunsetenv("LANGUAGE");
    // A failing velmora-run notifies the desktop: never the real one; a test that wants a bus starts its own.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication application(argc, argv);
#ifdef VELMORA_TEST_SYSTEMCTL
    // No test reaches the real systemctl: unless a test installs a recorder, there is none.
    SetSystemctl([](const QStringList&) { return SystemctlReply(); });
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
