#pragma once

// The captured texts of the last run, written by the job's thread and read by the log viewer.

#include <QString>

struct LastRunTexts
{
    QString logText;
    QString logText2;
    QString runError;
};

LastRunTexts GetLastRunTexts();
void SetLastRunTexts(const LastRunTexts& texts);
void ClearLastRunTexts();
// Adds one run's texts under a heading, so a run of every set keeps the output of each.
void AppendLastRunTexts(const QString& heading, const LastRunTexts& texts);
