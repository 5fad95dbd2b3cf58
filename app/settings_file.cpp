#include "app/settings_file.h"

#include <cstdio>
#include <cstdlib>

#include "actions/protection.h"
#include "engine/settings.h"
#include "engine/text.h"

static const char MainSection[] = "Parvik";
static const char PathSection[] = "Pfade";
static const char FilterSection[] = "Filter";
static const char ProtectionSection[] = "Schutz";

// Replaces the extension of `exe` (drive, folder, base name kept) by `extension`.
static void WithExtension(const char* exe, const char* extension, char* out) {
  char drive[_MAX_DRIVE], folder[_MAX_DIR], name[_MAX_FNAME], oldExtension[_MAX_EXT];
  _splitpath(exe, drive, folder, name, oldExtension);
  int length = snprintf(out, MaxPath, "%s%s%s.%s", drive, folder, name, extension);
  if (length < 0 || length >= MaxPath) out[0] = '\0';  // never a cut, wrong path
}

void DeriveFilePaths(HINSTANCE instance) {
  char exe[MaxPath] = "";
  GetModuleFileNameA(instance, exe, MaxPath);
  WithExtension(exe, "INI", iniPath);
  WithExtension(exe, "LOG", logPath);
}

static void ReadText(const char* section, const char* key, const char* fallback, char* field) {
  GetPrivateProfileStringA(section, key, fallback, field, MaxPath, iniPath);
}

static void WriteNumber(const char* key, int32_t value) {
  char text[16];
  snprintf(text, sizeof text, "%d", static_cast<int>(value));
  WritePrivateProfileStringA(MainSection, key, text, iniPath);
}

static void HistoryKey(const char* stem, int index, char (&key)[16]) {
  snprintf(key, sizeof key, "%s%d", stem, index);
}

void LoadSettings() {
  settings.logFile = GetPrivateProfileIntA(MainSection, "LogFile", 0, iniPath);
  settings.sameName = GetPrivateProfileIntA(MainSection, "SameName", 0, iniPath);
  settings.id3Tag = GetPrivateProfileIntA(MainSection, "ID3Tag", 0, iniPath);
  ReadText(MainSection, "Pfad", "c:\\", settings.currentPath);
  char key[16];
  for (int i = 0; i < HistorySize; i++) {
    HistoryKey("Pfad", i, key);
    ReadText(PathSection, key, "", settings.pathHistory[i]);
  }
  ReadText(MainSection, "Filter", "*.*", settings.currentFilter);
  for (int i = 0; i < HistorySize; i++) {
    HistoryKey("Filter", i, key);
    ReadText(FilterSection, key, "", settings.filterHistory[i]);
  }
  settings.minSize = GetPrivateProfileIntA(MainSection, "MinSize", 0, iniPath);
  LoadProtectedFolders();
}

// Keys "Ordner0" on; a gap left by hand-editing ends nothing.
void LoadProtectedFolders() {
  protectedFolders.count = 0;
  char key[16];
  char folder[MaxPath];
  for (int i = 0; i < MaxProtectedFolders; i++) {
    HistoryKey("Ordner", i, key);
    ReadText(ProtectionSection, key, "", folder);
    if (folder[0] != '\0') AddProtectedFolder(folder);
  }
}

// Written as soon as it changes, whichever way the sheet is closed later;
// without protected folders the section goes, so the file is as before.
bool SaveProtectedFolders() {
  // Without a path the profile API would write into WIN.INI.
  if (iniPath[0] == '\0') return false;
  bool written = WritePrivateProfileStringA(ProtectionSection, nullptr, nullptr, iniPath) != 0;
  char key[16];
  for (int i = 0; i < protectedFolders.count; i++) {
    HistoryKey("Ordner", i, key);
    written &= WritePrivateProfileStringA(ProtectionSection, key, protectedFolders.folder[i], iniPath) != 0;
  }
  return written;
}

void SaveSettings() {
  WriteNumber("LogFile", settings.logFile);
  WriteNumber("SameName", settings.sameName);
  WriteNumber("ID3Tag", settings.id3Tag);
  WritePrivateProfileStringA(MainSection, "Pfad", settings.currentPath, iniPath);
  char key[16];
  for (int i = 0; i < HistorySize; i++) {
    HistoryKey("Pfad", i, key);
    WritePrivateProfileStringA(PathSection, key, settings.pathHistory[i], iniPath);
  }
  WritePrivateProfileStringA(MainSection, "Filter", settings.currentFilter, iniPath);
  for (int i = 0; i < HistorySize; i++) {
    HistoryKey("Filter", i, key);
    WritePrivateProfileStringA(FilterSection, key, settings.filterHistory[i], iniPath);
  }
}
