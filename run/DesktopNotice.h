#pragma once

// One desktop notification through the freedesktop notification service on the user's session bus: how a run
// that no one watches (a timer's, cron's) reaches the user when a set fails.

#include <QString>
#include <QStringList>

struct DesktopNotice
{
    QString summary;
    QString body;
    // The set whose log a click on the notification should open; empty for none.
    QString setName;
    // A failure stays until dismissed where the desktop honours urgency; warnings pass like other news.
    bool critical = true;
};

// Sends the notice; false when there is no session bus or no notification service, or it refused the notice,
// after one line on standard error saying so. Never waits for more than a few seconds.
//
// A click on the notification opens the window on the set's log (velmora --show-log NAME) where the service
// offers actions, also long after velmora-run has ended: the notice is then sent by a small waiter of its own
// (velmora-run started again with kNoticeWaiterOption), which stays until the notification is clicked or closed,
// the service or the bus goes, or a day has passed. The waiter sends the notice itself because services send
// a click only to the connection that sent the notice. Inside a systemd unit it first moves into a scope of its
// own, since systemd ends what a finished service leaves behind. The notice also names Velmora's desktop entry,
// for desktops that open a notification's program on a click.
bool SendDesktopNotice(const DesktopNotice& notice);

// The first argument that makes velmora-run the waiter of one notice; not for people, so not in the help.
inline constexpr char kNoticeWaiterOption[] = "--notice-waiter";
// For the waiter, before anything opens a file: closes every file it inherited from whoever started
// velmora-run but the one it reports through, so that it holds nobody's pipe open for a day.
void CloseInheritedFiles(int argc, char* argv[]);
// The waiter: the arguments after kNoticeWaiterOption. Returns its exit status when it is done waiting.
int RunNoticeWaiter(const QStringList& arguments);
