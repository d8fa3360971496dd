#include "SetPasswords.h"
#include "ArchivePasswords.h"
#include "CMyListCtrl.h"
#include "CMyVelmoraDlg.h"
#include "CPasswordDlg.h"
#include "CSetPropDlg.h"
#include "DialogTestSupport.h"
#include "JobOutcome.h"
#include "JobRunner.h"
#include "JobSlot.h"
#include "Keyring.h"
#include "MainWindowCommands.h"
#include "ResourceIds.h"
#include "ScheduleUpdates.h"
#include "StringTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QLineEdit>
#include <QTimer>

namespace {

// Stands in for the system keyring for its lifetime: holds passwords by set id and answers with status, which
// a test sets to Unavailable for a keyring that cannot be reached.
class FakeKeyring
{
public:
    FakeKeyring()
    {
        SetKeyringBackend({
            [this](quint32 id) {
                calls.append(QStringLiteral("read %1").arg(id));
                if (status != KeyringStatus::Ok)
                    return KeyringAnswer {status, {}, QStringLiteral("locked"), locked};
                return stored.contains(id) ? KeyringAnswer {KeyringStatus::Ok, stored.value(id), {}}
                                           : KeyringAnswer {KeyringStatus::NotFound, {}, {}};
            },
            [this](quint32 id, const QString& password) {
                calls.append(QStringLiteral("write %1").arg(id));
                if (status != KeyringStatus::Ok)
                    return KeyringAnswer {status, {}, QStringLiteral("locked")};
                stored.insert(id, password);
                return KeyringAnswer {KeyringStatus::Ok, {}, {}};
            },
            [this](quint32 id) {
                calls.append(QStringLiteral("delete %1").arg(id));
                stored.remove(id);
                return KeyringAnswer {KeyringStatus::Ok, {}, {}};
            },
        });
    }
    ~FakeKeyring() { SetKeyringBackend({}); }

    QHash<quint32, QString> stored;
    KeyringStatus status = KeyringStatus::Ok;
    // With Unavailable: a keyring that is there but locked.
    bool locked = false;
    QStringList calls;
};

class SetPasswordsTest : public DialogFixture
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        ForgetArchivePasswords();
    }
    void TearDown() override
    {
        // New and Properties update the timers on a thread of their own, which must not outlive the test's store.
        WaitForScheduleUpdates();
        ReleaseJobPasswords(JobResult());
        ForgetArchivePasswords();
        DialogFixture::TearDown();
    }
    quint32 storeEncryptedSet(const QString& name, bool ran = false)
    {
        const quint32 id = storeSet(name);
        BackupSet set;
        GetBackupSet(id, set);
        set.encrypt = true;
        if (ran)
            set.lastRun = QStringLiteral("2026-12-01");
        UpdateBackupSet(set);
        return id;
    }
    static BackupSet setOf(quint32 id)
    {
        BackupSet set;
        GetBackupSet(id, set);
        return set;
    }
    // The next password question gets this answer (an empty one cancels it), and the one after it the next.
    static void answerQuestion(const QString& password, bool remember = false, const QStringList& next = {})
    {
        whenModal<CPasswordDlg>([password, remember, next](CPasswordDlg& dialog) {
            if (!next.isEmpty())
                answerQuestion(next.first(), false, next.mid(1));
            if (password.isEmpty())
                return dialog.reject();
            dialog.findChild<QLineEdit*>("ctl1095")->setText(password);
            dialog.findChild<QCheckBox*>("ctl1096")->setChecked(remember);
            dialog.OnOK();
        });
    }

    FakeKeyring keyring;
};

void typePasswords(CSetPropDlg& dialog, const QString& password)
{
    dialog.findChild<QCheckBox*>("ctl1090")->setChecked(true);
    dialog.findChild<QLineEdit*>("ctl1091")->setText(password);
    dialog.findChild<QLineEdit*>("ctl1092")->setText(password);
}

} // namespace

TEST_F(SetPasswordsTest, ANewPasswordGoesToTheKeyringAndOnlyThatTheSetIsEncryptedToItsFile)
{
    const quint32 id = storeSet("Photos");
    whenModal<CSetPropDlg>([](CSetPropDlg& dialog) {
        typePasswords(dialog, "correct horse");
        dialog.OnOK();
        if (dialog.result() != QDialog::Accepted)
            dialog.reject();
    });
    ASSERT_TRUE(PropertiesCommand(nullptr, id));
    EXPECT_EQ(keyring.stored.value(id), "correct horse");
    EXPECT_EQ(ArchivePasswordOf(id), "correct horse");
    const QByteArray file = readFile(setFile("Photos"));
    EXPECT_TRUE(file.contains("Encrypt=1"));
    EXPECT_FALSE(file.contains("horse"));
    EXPECT_FALSE(setOf(id).passwordChanged) << "a set that never ran has no chain to leave";
    EXPECT_TRUE(messages.messages().isEmpty());

    // Left empty, the fields keep the password the keyring has.
    ForgetArchivePasswords();
    keyring.calls.clear();
    whenModal<CSetPropDlg>([](CSetPropDlg& dialog) {
        dialog.OnOK();
        if (dialog.result() != QDialog::Accepted)
            dialog.reject();
    });
    ASSERT_TRUE(PropertiesCommand(nullptr, id));
    EXPECT_EQ(keyring.calls, QStringList({QStringLiteral("read %1").arg(id)}));
    EXPECT_EQ(keyring.stored.value(id), "correct horse");
}

TEST_F(SetPasswordsTest, ANewSetMadeEncryptedKeepsItsPasswordUnderItsOwnId)
{
    MutableSettings().newSetDestination = "/mnt/backup";
    whenModal<CSetPropDlg>([](CSetPropDlg& dialog) {
        dialog.findChild<QLineEdit*>("ctl1004")->setText("Mail");
        dialog.findChild<QLineEdit*>("ctl1012")->setText("mail");
        dialog.findChild<QLineEdit*>("ctl1006")->setText("/home/me/Mail");
        typePasswords(dialog, "letters");
        dialog.OnOK();
        if (dialog.result() != QDialog::Accepted)
            dialog.reject();
    });
    ASSERT_TRUE(NewSetCommand(nullptr));
    ASSERT_EQ(backupSets.size(), 1);
    EXPECT_TRUE(backupSets.first().encrypt);
    EXPECT_EQ(keyring.stored.value(backupSets.first().id), "letters");
}

TEST_F(SetPasswordsTest, AnotherPasswordOrEncryptionSwitchedForASetThatRanStartsANewChain)
{
    const quint32 id = storeEncryptedSet("Photos", true);
    keyring.stored.insert(id, "old");
    BackupSet after = setOf(id);
    ApplyPasswordChange(setOf(id), after, "old");
    EXPECT_FALSE(after.passwordChanged) << "the same password typed again";

    ApplyPasswordChange(setOf(id), after, "new");
    EXPECT_TRUE(after.passwordChanged);
    EXPECT_EQ(keyring.stored.value(id), "new");
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.messages().first().startsWith("The password of 'Photos' has changed. Its next run starts"));

    after = setOf(id);
    after.encrypt = false;
    ApplyPasswordChange(setOf(id), after, QString());
    EXPECT_TRUE(after.passwordChanged);
    EXPECT_FALSE(keyring.stored.contains(id));
    EXPECT_FALSE(ArchivePasswordOf(id));
    EXPECT_TRUE(messages.messages().last().startsWith("'Photos' is no longer encrypted"));
}

TEST_F(SetPasswordsTest, WithoutAKeyringThePasswordIsKeptForThisSessionAndTheUserIsTold)
{
    const quint32 id = storeSet("Photos");
    keyring.status = KeyringStatus::Unavailable;
    BackupSet after = setOf(id);
    after.encrypt = true;
    ApplyPasswordChange(setOf(id), after, "in memory");
    EXPECT_EQ(ArchivePasswordOf(id), "in memory");
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages().first(),
        "No keyring could keep the password of 'Photos' (locked). Velmora keeps it only until the window is closed; "
        "after that the window asks for it when the set runs, and scheduled runs of the set fail.");
    // A job's end does not forget it: it is this session's.
    ReleaseJobPasswords(JobResult());
    EXPECT_EQ(ArchivePasswordOf(id), "in memory");
}

TEST_F(SetPasswordsTest, DeletingASetRemovesItsPasswordFromTheKeyringAndMemory)
{
    const quint32 id = storeEncryptedSet("Photos");
    keyring.stored.insert(id, "pw");
    SetArchivePassword(id, "pw");
    ForgetSetPassword(setOf(id));
    EXPECT_TRUE(keyring.stored.isEmpty());
    EXPECT_FALSE(ArchivePasswordOf(id));

    const quint32 plain = storeSet("Plain");
    keyring.calls.clear();
    ForgetSetPassword(setOf(plain));
    EXPECT_TRUE(keyring.calls.isEmpty()) << "an unencrypted set has no keyring entry to touch";
}

TEST_F(SetPasswordsTest, TheQuestionComesOnlyWhenNeitherThisSessionNorTheKeyringHasThePassword)
{
    const quint32 id = storeEncryptedSet("Photos");
    EXPECT_TRUE(ProvideSetPassword(nullptr, setOf(storeSet("Plain")))) << "nothing to ask";

    keyring.stored.insert(id, "from keyring");
    EXPECT_TRUE(ProvideSetPassword(nullptr, setOf(id)));
    EXPECT_EQ(ArchivePasswordOf(id), "from keyring");
    ReleaseJobPasswords(JobResult());
    EXPECT_EQ(ArchivePasswordOf(id), "from keyring") << "kept for the session, as the keyring has it anyway";

    ForgetArchivePasswords();
    keyring.stored.clear();
    answerQuestion(QString());
    EXPECT_FALSE(ProvideSetPassword(nullptr, setOf(id))) << "Cancel: the set does not run";
    EXPECT_FALSE(ArchivePasswordOf(id));

    answerQuestion("typed once");
    EXPECT_TRUE(ProvideSetPassword(nullptr, setOf(id)));
    EXPECT_EQ(ArchivePasswordOf(id), "typed once");
    ReleaseJobPasswords(JobResult());
    EXPECT_FALSE(ArchivePasswordOf(id)) << "asked for one job only";

    answerQuestion("remembered", true);
    EXPECT_TRUE(ProvideSetPassword(nullptr, setOf(id)));
    ReleaseJobPasswords(JobResult());
    EXPECT_EQ(ArchivePasswordOf(id), "remembered");
    EXPECT_TRUE(ProvideSetPassword(nullptr, setOf(id))) << "no second question";
}

TEST_F(SetPasswordsTest, ARunThatCannotStartAsksForNoPassword)
{
    storeEncryptedSet("Photos");
    CMyVelmoraDlg window;
    QCoreApplication::processEvents();
    window.list()->setCurrentItem(window.list()->findItems("Photos", Qt::MatchExactly).value(0));
    // Another job of this program holds the slot: nobody should type a password for a run that is refused.
    JobRunner other;
    ASSERT_TRUE(JobSlot::tryTake(&other));
    bool passwordAsked = false;
    QTimer::singleShot(0, [&passwordAsked] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            passwordAsked = true;
            modal->close();
        }
    });
    const qsizetype before = messages.messages().size();
    window.OnRun();
    JobSlot::release(&other);
    QCoreApplication::processEvents();
    EXPECT_FALSE(passwordAsked);
    EXPECT_TRUE(keyring.calls.isEmpty()) << keyring.calls.join('|').toStdString();
    EXPECT_TRUE(messages.questions().isEmpty());
    const QStringList said = messages.messages().mid(before);
    ASSERT_EQ(said.size(), 1) << said.join('|').toStdString();
    EXPECT_TRUE(said.first().contains(LoadStringById(StringId::AlreadyRunning))) << said.first().toStdString();
}

TEST_F(SetPasswordsTest, ARunOfAllSetsFailsTheSetWhoseQuestionWasCancelledAndRunsTheOthers)
{
    const quint32 first = storeEncryptedSet("First");
    const quint32 second = storeEncryptedSet("Second");
    answerQuestion(QString(), false, {"second's"});
    ProvideSetPasswords(nullptr, {first, second});
    QString problem;
    EXPECT_FALSE(ArchivePasswordOf(first, &problem));
    EXPECT_EQ(problem, "no password was given for the encrypted set");
    EXPECT_EQ(ArchivePasswordOf(second), "second's");
    ReleaseJobPasswords(JobResult());
    EXPECT_FALSE(ArchivePasswordOf(second));
    EXPECT_FALSE(ArchivePasswordOf(first, &problem));
    EXPECT_TRUE(problem.isEmpty()) << "the reason was for that run only";
}

TEST_F(SetPasswordsTest, TheQuestionRefusesAnEmptyPasswordAndALineBreak)
{
    CPasswordDlg dialog(CPasswordDlg::Subject::Archive, "/backups/old.7z");
    auto* edit = dialog.findChild<QLineEdit*>("ctl1095");
    dialog.OnOK();
    edit->setText("a\nb");
    dialog.OnOK();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(messages.messages(), QStringList({"A password may not contain a line break."}));
    EXPECT_TRUE(dialog.findChild<QCheckBox*>("ctl1096")->isHidden()) << "an archive has no set to remember it for";
    edit->setText("ok");
    dialog.OnOK();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.remember());
}

namespace {

// Opens the properties of the set and presses OK, after edit has changed what it wants.
bool editProperties(quint32 id, const std::function<void(CSetPropDlg&)>& edit)
{
    whenModal<CSetPropDlg>([edit](CSetPropDlg& dialog) {
        edit(dialog);
        dialog.OnOK();
        if (dialog.result() != QDialog::Accepted)
            dialog.reject();
    });
    return PropertiesCommand(nullptr, id);
}

const QString kRunsWillFail = QStringLiteral("Every scheduled run of these encrypted sets will fail");

// What the window says of scheduled runs' passwords as it starts, once its first events have run (the timers'
// own news, such as the crontab lines of a machine without systemd, comes in between).
QStringList startUpMessages(const RecordingMessages& messages)
{
    const qsizetype before = messages.messages().size();
    CMyVelmoraDlg window;
    QCoreApplication::processEvents();
    QStringList said = messages.messages().mid(before);
    said.removeIf([](const QString& text) { return !text.startsWith(kRunsWillFail); });
    return said;
}

} // namespace

TEST_F(SetPasswordsTest, AnEncryptedScheduleWithoutAKeyringIsNamedWhenSavedAndAtEveryStartUntilItCanRun)
{
    const quint32 id = storeSet("Photos");
    storeSet("Plain");
    keyring.status = KeyringStatus::Unavailable;
    ASSERT_TRUE(editProperties(id, [](CSetPropDlg& dialog) {
        typePasswords(dialog, "pw");
        dialog.findChild<QComboBox*>("ctl1070")->setCurrentIndex(DailySchedule);
    }));
    ASSERT_FALSE(messages.messages().isEmpty());
    const QString saved = messages.messages().last();
    EXPECT_TRUE(saved.startsWith(kRunsWillFail)) << saved.toStdString();
    EXPECT_TRUE(saved.contains("Photos: scheduled runs cannot get its password: no keyring answers on this computer"))
        << saved.toStdString();
    EXPECT_TRUE(saved.contains("unlock the keyring")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("password file")) << saved.toStdString();
    EXPECT_FALSE(saved.contains("Plain"));

    // Each start says it again, telling a locked keyring from none.
    keyring.locked = true;
    QStringList atStart = startUpMessages(messages);
    ASSERT_EQ(atStart.size(), 1) << atStart.join("\n---\n").toStdString();
    EXPECT_TRUE(atStart.first().contains("Photos: scheduled runs cannot get its password: the keyring is locked"))
        << atStart.first().toStdString();

    // A keyring that is there but holds nothing for the set fails the runs as surely.
    keyring.status = KeyringStatus::Ok;
    atStart = startUpMessages(messages);
    ASSERT_EQ(atStart.size(), 1);
    EXPECT_TRUE(atStart.first().contains("Photos: scheduled runs cannot get its password: the keyring holds none"));

    // Unlocked with the password in it, the runs can go.
    keyring.stored.insert(id, "pw");
    EXPECT_TRUE(startUpMessages(messages).isEmpty());
}

TEST_F(SetPasswordsTest, APasswordFileGivenInThePropertiesServesTheScheduleWithoutAKeyring)
{
    const quint32 id = storeSet("Photos");
    keyring.status = KeyringStatus::Unavailable;
    const QString file = home.filePath("photos.password");
    writeFile(file, "pw\n");
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(editProperties(id, [file](CSetPropDlg& dialog) {
        typePasswords(dialog, "pw");
        dialog.findChild<QComboBox*>("ctl1070")->setCurrentIndex(WeeklySchedule);
        dialog.findChild<QLineEdit*>("ctl1141")->setText(file);
    }));
    for (const QString& message : messages.messages())
        EXPECT_FALSE(message.startsWith(kRunsWillFail)) << message.toStdString();
    EXPECT_TRUE(readFile(setFile("Photos")).contains("PasswordFile=" + file.toUtf8()));
    keyring.calls.clear();
    EXPECT_TRUE(startUpMessages(messages).isEmpty());
    EXPECT_TRUE(keyring.calls.isEmpty()) << "the timer's run reads only the file";

    // The file made readable to others since: the runs would refuse it, and the start says so.
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    const QStringList atStart = startUpMessages(messages);
    ASSERT_EQ(atStart.size(), 1);
    EXPECT_TRUE(atStart.first().contains("Photos: scheduled runs cannot use its password file: The password file '"
        + file + "' has permissions for other users (mode 0604)"))
        << atStart.first().toStdString();
}
