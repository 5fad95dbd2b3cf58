// The settings file beside the executable, in the Windows profile format.
// The functions here are the only users of the profile API.
#pragma once
#include <windows.h>

// iniPath and logPath: the executable's path with the extension INI and LOG.
void DeriveFilePaths(HINSTANCE instance);
void LoadSettings();
// Writes every key but "MinSize", which only the user sets, and deletes nothing.
// False when a value was left out because the file could not be rewritten as
// UTF-16 (the file is then as it was, but for the values that fit); other
// failed writes go unreported, as they always did.
bool SaveSettings();

// Writes the bytes of a whole-file rewrite; tests put in one that fails.
extern bool (*writeIniBytes)(HANDLE file, const void* bytes, DWORD size);
extern bool (*const systemIniBytes)(HANDLE file, const void* bytes, DWORD size);
// The protected folders, section "Schutz": read by LoadSettings, written by
// the results window whenever they change; false when that failed.
void LoadProtectedFolders();
bool SaveProtectedFolders();
