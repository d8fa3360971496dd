#include "CMyVelmoraApp.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velmora"));
    // velmora --show-log NAME: the window on that set's log, as a click on a notification of velmora-run asks.
    QCommandLineParser parser;
    const QCommandLineOption showLog(QStringLiteral("show-log"), QString(), QStringLiteral("NAME"));
    parser.addOption(showLog);
    // Anything else on the command line (a desktop's own arguments) is passed over, as it always was.
    parser.parse(QApplication::arguments());
    CMyVelmoraApp app;
    app.InitInstance(parser.value(showLog));
    return 0;
}
