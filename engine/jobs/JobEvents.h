#pragma once

// The three events a job sends the main window, with their classic message numbers. Each is
// delivered on the window's thread, and the sending worker waits until it has been handled.

#include <QEvent>
#include <QObject>

enum JobEventType : int
{
    WM_BACKUP_STARTED = 0x07E8,
    WM_BACKUP_FINISHED = 0x07E9,
    WM_BACKUP_COPYING = 0x07EB,
};

// The object that receives the events (the main window); nullptr drops them.
void SetJobEventReceiver(QObject* receiver);
QObject* JobEventReceiver();
void SendJobEvent(JobEventType type);
