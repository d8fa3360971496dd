#include "RunTestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

namespace {

// The programs as `cmake --install` puts them under a DESTDIR, and as the build folder has them.
class Installed : public RunFixture
{
protected:
    static void SetUpTestSuite()
    {
        root = new QTemporaryDir;
        QProcess install;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DESTDIR"), root->path());
        install.setProcessEnvironment(environment);
        install.start(QStringLiteral(VELMORA_CMAKE), {"--install", VELMORA_BINARY_DIR, "--prefix", "/usr"});
        installed = install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit
            && install.exitCode() == 0;
        if (!installed)
            std::fprintf(stderr, "%s", install.readAll().constData());
    }
    static void TearDownTestSuite()
    {
        delete root;
        root = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(installed) << "cmake --install failed"; }

    static QString usr(const QString& relative) { return root->filePath(QStringLiteral("usr/") + relative); }

    RunOutcome run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.setProcessEnvironment(childEnvironment());
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForStarted());
        return finish(process);
    }

    // Starts the window offscreen in Russian and gives back what it says it found at start; it is then ended,
    // since it would wait for its user.
    QString windowStartReport(const QString& program)
    {
        writeSettings("LangID=1");
        QProcess window;
        QProcessEnvironment environment = childEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("velmora.start.info=true"));
        window.setProcessEnvironment(environment);
        window.start(program, {});
        EXPECT_TRUE(window.waitForStarted());
        QByteArray said;
        const QDeadlineTimer patience(30000);
        while (!said.contains("help page:") && window.state() == QProcess::Running && !patience.hasExpired()) {
            window.waitForReadyRead(200);
            said += window.readAllStandardError();
        }
        window.kill();
        window.waitForFinished();
        return QString::fromUtf8(said + window.readAllStandardError());
    }

    static inline QTemporaryDir* root = nullptr;
    static inline bool installed = false;
};

TEST_F(Installed, TheProgramsAnswerVersionAndHelpAsInTheBuildFolder)
{
    const RunOutcome version = run(usr("bin/velmora-run"), {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, "velmora-run " VELMORA_VERSION "\n");
    EXPECT_EQ(run(usr("bin/velmora"), {"--version"}).output, "velmora " VELMORA_VERSION "\n");

    const RunOutcome help = run(usr("bin/velmora-run"), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.output, runVelmora({"--help"}).output);
}

TEST_F(Installed, TheWindowFindsItsHelpAndTranslationInShareOrBesideItInTheBuildFolder)
{
    const QString share = usr("share/velmora/");
    const QString report = windowStartReport(usr("bin/velmora"));
    EXPECT_TRUE(report.contains("translation: " + share + "translations loaded")) << report.toStdString();
    EXPECT_TRUE(report.contains("help page: " + share + "help/help_ru.html found")) << report.toStdString();

    const QString built = QFileInfo(QStringLiteral(VELMORA_RUN_PATH)).path() + '/';
    const QString buildReport = windowStartReport(built + "velmora");
    EXPECT_TRUE(buildReport.contains("translation: " + built + "translations loaded")) << buildReport.toStdString();
    EXPECT_TRUE(buildReport.contains("help page: " + built + "help/help_ru.html found")) << buildReport.toStdString();
}

// Everything a desktop and man need is where they look for it.
TEST_F(Installed, TheDesktopEntryIconsMetainfoAndManualPagesAreInPlace)
{
    for (const char* path :
        {"share/applications/com.quorvane.Velmora.desktop", "share/metainfo/com.quorvane.Velmora.metainfo.xml",
            "share/icons/hicolor/scalable/apps/com.quorvane.Velmora.svg",
            "share/icons/hicolor/48x48/apps/com.quorvane.Velmora.png",
            "share/icons/hicolor/128x128/apps/com.quorvane.Velmora.png",
            "share/icons/hicolor/256x256/apps/com.quorvane.Velmora.png", "share/man/man1/velmora.1.gz",
            "share/man/man1/velmora-run.1.gz", "share/doc/velmora/copyright", "share/doc/velmora/changelog.gz"})
        EXPECT_TRUE(QFileInfo(usr(QString::fromLatin1(path))).isFile()) << path;
}

// The manual page lists the very options velmora-run's help does.
TEST_F(Installed, TheManualPageOfVelmoraRunNamesEveryOptionOfItsHelp)
{
    const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*"));
    const auto optionsIn = [&](const QString& text) {
        QSet<QString> found;
        for (auto match = option.globalMatch(text); match.hasNext();)
            found.insert(match.next().captured());
        return found;
    };
    QFile page(QStringLiteral(VELMORA_SOURCE_DIR "/resources/man/velmora-run.1"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString manual = QString::fromUtf8(page.readAll()).replace(QStringLiteral("\\-"), QStringLiteral("-"));
    const QSet<QString> inHelp = optionsIn(runVelmora({"--help"}).output);
    EXPECT_GE(inHelp.size(), 15);
    EXPECT_EQ(optionsIn(manual), inHelp);
}

} // namespace
