// Protecting folders from the results window: the rows show which files are
// protected, and the INI file keeps the folders at once.
#pragma once
#include <windows.h>

#include "engine/file_table.h"

// Protects the folder of `entry` and everything below it.
void ProtectFolderOfRow(HWND list, const FileEntry& entry);
// Lifts the protection of every folder, after a question.
void LiftProtection(HWND list);
