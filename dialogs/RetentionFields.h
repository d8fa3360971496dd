#pragma once

// The six counts of a retention policy as a dialog shows them: a group of six number boxes, each under its
// caption, shared by the options (the defaults of new sets) and the set's properties.

#include "BackupSet.h"
#include "DialogTemplate.h"

#include <QList>

#include <functional>

// How tall the group is with its boxes in rows of perRow, without anything below them, in dialog units.
constexpr int RetentionGroupHeight(int perRow = 6)
{
    return 16 + (6 + perRow - 1) / perRow * 26;
}

// The group box and its six captions and boxes, perRow to a row, from left at top, width wide; extraHeight makes
// room in the group below the boxes (for the words of the set's properties).
QList<ControlTemplate> RetentionControls(int left, int top, int width, int extraHeight = 0, int perRow = 6);
// Gives the captions their texts, the boxes their range and tips, once the dialog is built; changed is called
// whenever a box's number changes.
void SetUpRetentionControls(QWidget* dialog, const std::function<void()>& changed = {});
void ShowRetentionCounts(QWidget* dialog, const RetentionPolicy& counts);
RetentionPolicy RetentionCountsShown(const QWidget* dialog);
