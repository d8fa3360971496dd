#include "CMyVelmoraApp.h"
#include "CRestoreDlg.h"
#include "EncryptedArchives.h"
#include "UserFolders.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QThread>

#include <cstdio>
#include <cstring>

namespace {

// Answered before the window's application starts, so that they work without a display.
bool answerWithoutWindow(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("velmora %s\n", qUtf8Printable(ProgramVersion()));
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Usage: velmora [--show-log NAME]\n"
                        "       velmora --version | --help\n\n"
                        "The window of Velmora, the backup program. velmora-run runs the same backup sets from a\n"
                        "terminal or a timer.\n\n"
                        "  --show-log NAME  open the window on the log of the backup set NAME\n"
                        "  --version        print the version and end\n"
                        "  --help           print this text and end\n");
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (answerWithoutWindow(argc, argv))
        return 0;
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(ProgramVersion());
    // Wayland and the desktop's task list match the window to its desktop file and icon by this name.
    QGuiApplication::setDesktopFileName(ApplicationId());
    // velmora --show-log NAME: the window on that set's log, as a click on a notification of velmora-run asks.
    QCommandLineParser parser;
    const QCommandLineOption showLog(QStringLiteral("show-log"), QString(), QStringLiteral("NAME"));
    parser.addOption(showLog);
    // Anything else on the command line (a desktop's own arguments) is passed over, as it always was.
    parser.parse(QApplication::arguments());
    CMyVelmoraApp app;
    app.InitInstance(parser.value(showLog));
    // A restore dialog closed while it read leaves its listing on a thread of its own: it is ended, and waited for a
    // little, before the program's own objects go from under it.
    UncontrolledQuietRuns().requestStop();
    for (QDeadlineTimer deadline(15000); CRestoreDlg::ReadsRunning() > 0 && !deadline.hasExpired();)
        QThread::msleep(20);
    return 0;
}
