#include "RunPasswords.h"
#include "ArchivePasswords.h"
#include "Keyring.h"
#include "RunTestSupport.h"
#include "ToolTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <unistd.h>

namespace {

BackupSet encryptedSet(quint32 id, bool encrypt = true)
{
    BackupSet set {};
    set.id = id;
    set.name = QStringLiteral("Docs");
    set.encrypt = encrypt;
    return set;
}

// velmora-run's choice of a set's password, with a keyring that answers as the test says.
class SetPasswordChoice : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetKeyringBackend({[this](quint32 setId) {
                               asked.append(setId);
                               return answer;
                           },
            {}, {}});
    }
    void TearDown() override
    {
        SetKeyringBackend({});
        SetRunPassword(std::nullopt);
        ForgetArchivePasswords();
    }

    KeyringAnswer answer;
    QList<quint32> asked;
};

TEST_F(SetPasswordChoice, TheKeyringsPasswordOrWhyThereIsNone)
{
    answer = {KeyringStatus::Ok, QString::fromUtf8("с пробелом и ключом"), {}};
    ProvideSetPassword(encryptedSet(4));
    QString problem;
    EXPECT_EQ(ArchivePasswordOf(4, &problem), QString::fromUtf8("с пробелом и ключом"));
    EXPECT_TRUE(problem.isEmpty());

    answer = {KeyringStatus::NotFound, {}, QStringLiteral("Entry not found")};
    ProvideSetPassword(encryptedSet(5));
    EXPECT_EQ(ArchivePasswordOf(5, &problem), std::nullopt);
    EXPECT_EQ(problem, "no password for this set in the keyring");

    // A locked or missing keyring and one that failed otherwise read the same to a person: neither is the set's fault.
    for (const KeyringStatus status : {KeyringStatus::Unavailable, KeyringStatus::Failed}) {
        answer = {status, {}, QStringLiteral("Cannot create an item in a locked collection")};
        ProvideSetPassword(encryptedSet(6));
        EXPECT_EQ(ArchivePasswordOf(6, &problem), std::nullopt);
        EXPECT_EQ(problem, "the keyring is locked or missing");
    }
    EXPECT_EQ(asked, QList<quint32>({4, 5, 6, 6}));
}

TEST_F(SetPasswordChoice, AStalePasswordGivesWayToTheKeyringsNewAnswer)
{
    // A set run twice in one process, its keyring locked in between, must not run with the first password.
    answer = {KeyringStatus::Ok, QStringLiteral("first"), {}};
    ProvideSetPassword(encryptedSet(4));
    answer = {KeyringStatus::Unavailable, {}, {}};
    ProvideSetPassword(encryptedSet(4));
    QString problem;
    EXPECT_EQ(ArchivePasswordOf(4, &problem), std::nullopt);
    EXPECT_EQ(problem, "the keyring is locked or missing");
}

TEST_F(SetPasswordChoice, APasswordFileServesEverySetWithoutTheKeyringAndPlainSetsAskNothing)
{
    SetRunPassword(QStringLiteral("from the file"));
    answer = {KeyringStatus::Ok, QStringLiteral("from the keyring"), {}};
    ProvideSetPassword(encryptedSet(4));
    ProvideSetPassword(encryptedSet(9));
    EXPECT_EQ(ArchivePasswordOf(4), QStringLiteral("from the file"));
    EXPECT_EQ(ArchivePasswordOf(9), QStringLiteral("from the file"));

    SetRunPassword(std::nullopt);
    ProvideSetPassword(encryptedSet(11, false));
    QString problem;
    EXPECT_EQ(ArchivePasswordOf(11, &problem), std::nullopt);
    EXPECT_TRUE(problem.isEmpty());
    EXPECT_TRUE(asked.isEmpty());
}

class PasswordFile : public ::testing::Test
{
protected:
    QString fileWith(const QByteArray& bytes, QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner)
    {
        const QString path = home.filePath(QStringLiteral("password"));
        writeFile(path, bytes);
        EXPECT_TRUE(QFile::setPermissions(path, permissions));
        return path;
    }

    TempHome home;
};

TEST_F(PasswordFile, APrivateFileGivesItsFirstLineWithoutTheLineEnd)
{
    EXPECT_EQ(ReadPasswordFile(fileWith("  spaces kept \nsecond line\n")).password, "  spaces kept ");
    EXPECT_EQ(ReadPasswordFile(fileWith("written on Windows\r\nnext\r\n")).password, "written on Windows");
    EXPECT_EQ(ReadPasswordFile(fileWith("пароль")).password, QString::fromUtf8("пароль"));
    // Read only by its owner is private too.
    EXPECT_EQ(ReadPasswordFile(fileWith("read only\n", QFile::ReadOwner)).password, "read only");
}

TEST_F(PasswordFile, AFileOthersCouldReachOrThatIsNotOneIsRefusedSayingWhy)
{
    const auto refusal = [](const QString& path) {
        const PasswordFileRead read = ReadPasswordFile(path);
        EXPECT_EQ(read.password, std::nullopt) << path.toStdString();
        return read.refusal;
    };
    const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner;
    const QString path = home.filePath(QStringLiteral("password"));

    EXPECT_EQ(refusal(fileWith("secret\n", owner | QFile::ReadGroup)),
        "The password file '" + path
            + "' has permissions for its group (mode 0640); make it private with chmod 600. "
              "Nothing was run.");
    EXPECT_TRUE(refusal(fileWith("secret\n", owner | QFile::WriteGroup)).contains("its group (mode 0620)"));
    EXPECT_TRUE(refusal(fileWith("secret\n", owner | QFile::ReadOther)).contains("other users (mode 0604)"));
    // Both: the wider of the two is named, and the mode shows the rest.
    EXPECT_TRUE(
        refusal(fileWith("secret\n", owner | QFile::ReadGroup | QFile::ReadOther)).contains("other users (mode 0644)"));

    fileWith("secret\n");
    const QString link = home.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(path, link));
    EXPECT_EQ(
        refusal(link), "The password file '" + link + "' is a symbolic link; name the file itself. Nothing was run.");
    EXPECT_TRUE(refusal(home.path()).contains("is not a regular file"));
    EXPECT_TRUE(refusal(home.filePath(QStringLiteral("missing"))).contains("cannot be read: No such file"));
    EXPECT_TRUE(refusal(fileWith("\nsecond line is no password\n")).contains("has no password on its first line"));
    EXPECT_TRUE(refusal(fileWith("")).contains("has no password on its first line"));

    // A large file is no password file: read whole it would make every 7-Zip call take many seconds.
    EXPECT_EQ(refusal(fileWith(QByteArray(100 * 1024 * 1024, 'p'))),
        "The password file '" + path + "' is larger than 4 KiB; a password file holds one line. Nothing was run.");
    EXPECT_TRUE(refusal(fileWith(QByteArray(4097, 'p'))).contains("is larger than 4 KiB"));
    EXPECT_TRUE(refusal(fileWith(QByteArray(1025, 'p') + "\nrest\n")).contains("longer than 1,024 bytes"));
    EXPECT_TRUE(refusal(fileWith(QByteArray(2000, 'p'))).contains("longer than 1,024 bytes"));
    EXPECT_EQ(ReadPasswordFile(fileWith(QByteArray(1024, 'p') + "\r\n" + QByteArray(3000, 'x'))).password,
        QString(1024, 'p'));

    if (::geteuid() != 0)
        return;
    // Root can give the file away; the file stays private by its mode and is still not the user's.
    fileWith("secret\n");
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    EXPECT_TRUE(refusal(path).contains("belongs to another user"));
}

// velmora-run refuses such a file before anything runs.
class PasswordFileRun : public RunFixture
{
};

TEST_F(PasswordFileRun, ARefusedFileRunsNothingAndEndsAsAUsageError)
{
    const QString source = folder(QStringLiteral("data/Docs"));
    const QString destination = folder(QStringLiteral("backup"));
    makeTree(source, {{"a.txt", "alpha"}});
    writeSet(setOf("Docs", source, destination).withKeys("Encrypt=1\n"));
    const QString password = home.filePath(QStringLiteral("password"));
    writeFile(password, "secret\n");
    ASSERT_TRUE(QFile::setPermissions(password, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QMap<QString, QByteArray> before = snapshotTree(home.path());

    for (const QStringList& arguments : {QStringList {"--password-file", password, "Docs"},
             QStringList {"--password-file", password, "--verify", "--all"},
             QStringList {"--password-file", password, "--restore", "Docs", "--to", home.filePath("restored")}}) {
        const RunOutcome run = runVelmora(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.errorOutput.contains("has permissions for its group (mode 0640)"))
            << run.errorOutput.toStdString();
        EXPECT_TRUE(run.output.isEmpty()) << run.output.toStdString();
        EXPECT_EQ(snapshotTree(home.path()), before);
    }

    // Made private, the same run goes ahead.
    ASSERT_TRUE(QFile::setPermissions(password, QFile::ReadOwner | QFile::WriteOwner));
    const RunOutcome run = runVelmora({"--password-file", password, "Docs"});
    EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_EQ(lastRunOf("Docs"), today());
}

// The whole way from the command line to the archive: encrypted with the file's password, hidden names, a wrong or
// missing password failing the run with its reason and leaving the destination as it was, and a restore.
TEST_F(PasswordFileRun, AnEncryptedSetRunsAndRestoresWithTheFilesPasswordAndNeverWithoutIt)
{
    const QString source = folder(QStringLiteral("data/Docs"));
    const QString destination = folder(QStringLiteral("backup"));
    makeTree(source, {{"letters/a.txt", "alpha"}});
    writeSet(setOf("Docs", source, destination, IncrementalArchiving).withKeys("Encrypt=1\n"));
    const auto passwordFile = [&](const QByteArray& password) {
        const QString path = home.filePath(QStringLiteral("password-") + QString::fromUtf8(password.toHex()));
        writeFile(path, password + "\n");
        EXPECT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        return path;
    };
    const QString right = passwordFile("пароль и пробелы");

    const RunOutcome first = runVelmora({"--password-file", right, "Docs"});
    ASSERT_EQ(first.exitCode, 0) << first.errorOutput.toStdString();
    QProcess list;
    list.setStandardInputFile(QProcess::nullDevice());
    list.setProcessChannelMode(QProcess::MergedChannels);
    list.start(QStringLiteral("7zz"), {"l", destination + "/arc.7z"});
    ASSERT_TRUE(list.waitForFinished());
    const QByteArray listing = list.readAll();
    // Even the names wait for the password.
    EXPECT_TRUE(listing.contains("Enter password")) << listing.toStdString();
    EXPECT_FALSE(listing.contains("a.txt"));

    makeTree(source, {{"letters/b.txt", "beta"}});
    const QMap<QString, QByteArray> before = snapshotTree(destination);
    const RunOutcome wrong = runVelmora({"--password-file", passwordFile("wrong"), "Docs"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE((wrong.output + wrong.errorOutput).contains("wrong password")) << wrong.errorOutput.toStdString();
    // No password file, and no keyring in the test's environment.
    const RunOutcome none = runVelmora({"Docs"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE((none.output + none.errorOutput).contains("the keyring is locked or missing"))
        << none.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(destination), before);

    const QString restored = home.filePath(QStringLiteral("restored"));
    const RunOutcome restore = runVelmora({"--password-file", right, "--restore", "Docs", "--to", restored});
    EXPECT_EQ(restore.exitCode, 0) << restore.errorOutput.toStdString();
    EXPECT_EQ(readFile(restored + "/letters/a.txt"), "alpha");
}

// A timer's run of an encrypted set whose file names a password file: the service gives the file to velmora-run,
// and that very command line makes the encrypted archive with the file's password and no keyring.
TEST_F(PasswordFileRun, ATimersRunTakesTheSetsPasswordFileAndMakesTheEncryptedArchive)
{
    const QString source = folder(QStringLiteral("data/Docs"));
    const QString destination = folder(QStringLiteral("backup"));
    makeTree(source, {{"a.txt", "alpha"}});
    const QString password = home.filePath(QStringLiteral("timer password"));
    writeFile(password, "пароль таймера\n");
    ASSERT_TRUE(QFile::setPermissions(password, QFile::ReadOwner | QFile::WriteOwner));
    writeSet(setOf("Docs", source, destination).withKeys("Schedule=2\nEncrypt=1\nPasswordFile=" + password + "\n"));
    writeSet(setOf("Plain", source, folder(QStringLiteral("plain")))
                 .withKeys("Schedule=2\nPasswordFile=" + password + "\n"));
    systemdRuns = true;
    ASSERT_EQ(runVelmora({"--install-schedules"}).exitCode, 0);

    const QString program = QFileInfo(VELMORA_RUN_PATH).absoluteFilePath();
    const QString service = QString::fromUtf8(readFile(home.filePath(".config/systemd/user/velmora-set-1.service")));
    EXPECT_TRUE(service.contains("\nExecStart=" + program + " --password-file \"" + password + "\" -- Docs\n"))
        << service.toStdString();
    EXPECT_TRUE(readFile(home.filePath(".config/systemd/user/velmora-set-2.service"))
                    .contains("\nExecStart=" + program.toUtf8() + " -- Plain\n"));

    const RunOutcome run = runVelmora({"--password-file", password, "--", "Docs"});
    ASSERT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    QProcess list;
    list.setStandardInputFile(QProcess::nullDevice());
    list.start(
        QStringLiteral("7zz"), {"l", "-slt", "-p" + QString::fromUtf8("пароль таймера"), destination + "/arc.7z"});
    ASSERT_TRUE(list.waitForFinished());
    const QByteArray listing = list.readAllStandardOutput();
    EXPECT_TRUE(listing.contains("Path = a.txt")) << listing.toStdString();
    EXPECT_TRUE(listing.contains("Encrypted = +")) << listing.toStdString();
}

// --check names an encrypted scheduled set whose runs find no password the day it is saved, long before it is
// overdue, and says why; a private password file is enough, one open to others is not.
TEST_F(PasswordFileRun, CheckNamesAScheduledEncryptedSetWhoseRunsFindNoPasswordAtOnce)
{
    const QString source = folder(QStringLiteral("data/Docs"));
    const QString destination = folder(QStringLiteral("backup"));
    writeSet(setOf("By hand", source, destination).withKeys("Encrypt=1\n"));
    writeSet(setOf("Docs", source, destination).withKeys("Schedule=2\nEncrypt=1\n"));
    RunOutcome check = runVelmora({"--check", "--no-notify"});
    EXPECT_EQ(check.exitCode, 1);
    // No keyring in the test's environment.
    EXPECT_TRUE(check.output.startsWith("Docs: scheduled runs cannot get its password: "))
        << check.output.toStdString();
    EXPECT_EQ(check.output.count('\n'), 1) << check.output.toStdString();

    const QString password = home.filePath(QStringLiteral("password"));
    writeFile(password, "secret\n");
    ASSERT_TRUE(QFile::setPermissions(password, QFile::ReadOwner | QFile::WriteOwner));
    writeSet(setOf("Docs", source, destination).withKeys("Schedule=2\nEncrypt=1\nPasswordFile=" + password + "\n"));
    check = runVelmora({"--check", "--no-notify"});
    EXPECT_EQ(check.exitCode, 0) << check.output.toStdString();
    EXPECT_TRUE(check.output.isEmpty()) << check.output.toStdString();

    ASSERT_TRUE(QFile::setPermissions(password, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    check = runVelmora({"--check", "--no-notify"});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.output,
        "Docs: scheduled runs cannot use its password file: The password file '" + password
            + "' has permissions for other users (mode 0604); make it private with chmod 600. Nothing was run.\n");
}

TEST_F(PasswordFileRun, TheOptionGoesOnlyWhereArchivesAreOpened)
{
    for (const QStringList& arguments : {QStringList {"--password-file", "x", "--list"},
             QStringList {"--password-file", "x", "--accept-destination", "Docs"},
             QStringList {"--password-file", "x", "--password-file", "y", "Docs"}}) {
        const RunOutcome run = runVelmora(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.errorOutput.contains("--password-file")) << run.errorOutput.toStdString();
    }
    EXPECT_TRUE(runVelmora({"--help"}).output.contains("--password-file FILE"));
}

} // namespace
