// The part of a search run that both front ends share: from clearing the table
// to the closing "end:" row. The caller has already reset the counters, set
// `running`, checked the path and prepared wherever the rows go.
#pragma once
#include "engine/listing.h"

// Copies source folder `index` into `folder`.
using FolderSource = void (*)(int index, char* folder);

// With folderCount < 1 scans settings.currentPath; otherwise copies each
// source folder into settings.currentPath in turn and scans it there.
void RunSearchSteps(int folderCount, FolderSource folderAt, RowSink addRow);

// RunSearchSteps in its two halves, for a front end that shows the group rows
// differently: up to the end of the grouping pass, then the group rows and the
// closing "end:" row.
void FindDuplicateGroups(int folderCount, FolderSource folderAt, RowSink addRow);
void AddGroupRows(RowSink addRow);

// After the closing "end:" row: one row that says the run was cancelled, and
// one that counts the files and folders left out, each only when it applies.
void AddRunNoteRows(RowSink addRow, bool cancelled);
