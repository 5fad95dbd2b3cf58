// The rows of the results: what the results window shows and the console
// front end prints. Both front ends add rows through a RowSink; item data is
// the file index of a file row, or -1 for a text row.
#pragma once
#include <cstdint>

#include "engine/file_table.h"

constexpr int32_t TextRow = -1;
// A file row: the longest path and two time stamps.
constexpr int RowTextSize = MaxPathBytes + 1024;

using RowSink = void (*)(int32_t itemData, const char* text);

// "file:%s    create:%s    write:%s" with both times as local
// "DD.MM.YYYY  HH:MM:SS".
void FormatFileRow(const FileEntry& entry, char (&row)[RowTextSize]);

// Adds every duplicate group, head first, each followed by its length heading
// and an empty row, and puts every groupId back to 0.
void ListDuplicateGroups(RowSink addRow);

// The record that a row's item data names, or null for a text row or an index
// that names no record. Records stay intact until the next search clears the
// table, also after a refused search has set `count` to 0 while rows stay.
FileEntry* ListedEntry(int32_t itemData);
