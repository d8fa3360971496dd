#pragma once

// Whether the timer's runs of an encrypted set can get its password, asked when the schedule is saved, when the
// window starts and by velmora-run --check, so that a set whose every scheduled run would fail is named at once.

#include "BackupSet.h"

#include <QString>

// Why a timer's run of the set would find no password, in words; empty when it would find one, and for a set
// that is not both scheduled and encrypted. A set with a password file is judged by that file alone, as its
// timer's run takes only that; any other by the keyring, which may put up its unlock prompt.
QString ScheduledPasswordProblem(const BackupSet& set);

// The same reason as the table's text and what fills its %1, to be worded in more than one language (velmora-run
// --check prints it for scripts and notifies in the user's); textId 0 when the run would find a password.
struct ScheduledPasswordReason
{
    int textId = 0;
    QString detail;
};
ScheduledPasswordReason ScheduledPasswordReasonOf(const BackupSet& set);
// The reason in words, with the table's texts from textOf.
QString ScheduledPasswordWords(const ScheduledPasswordReason& reason, QString (*textOf)(int));
