#include "app/settings_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "actions/marked_names.h"
#include "actions/protection.h"
#include "engine/exclusions.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "platform/wide_text.h"

static const char MainSection[] = "Parvik";
static const char PathSection[] = "Pfade";
static const char FilterSection[] = "Filter";
static const char ProtectionSection[] = "Schutz";
static const char ExclusionSection[] = "Ausschluss";

// Replaces the extension of `exe` (drive, folder, base name kept) by `extension`.
static void WithExtension(const char* exe, const char* extension, char* out) {
  const char* dot = strrchr(FileNameOf(exe), '.');
  int stem = static_cast<int>(dot ? dot - exe : static_cast<ptrdiff_t>(strlen(exe)));
  int length = snprintf(out, MaxPathText, "%.*s.%s", stem, exe, extension);
  if (length < 0 || length >= MaxPathText) out[0] = '\0';  // never a cut, wrong path
}

void DeriveFilePaths(HINSTANCE instance) {
  wchar_t wide[MaxPath] = L"";
  char exe[MaxPathText] = "";
  GetModuleFileNameW(instance, wide, MaxPath);
  FromWide(wide, exe, sizeof exe);
  WithExtension(exe, "INI", iniPath);
  WithExtension(exe, "LOG", logPath);
}

// The profile calls, wide: the file keeps the ANSI code page as long as every
// value has its form there, and a value that has not turns it into UTF-16,
// which Windows reads and writes without loss.
struct WideIni {
  WideText path;
  WideIni() { ToWidePath(iniPath, &path); }
};

// A value too long for its field is read as empty, never cut: the path box
// keeps a path as long as the walk takes, the histories MaxPath - 1 characters.
template <size_t Size>
static void ReadText(const char* section, const char* key, const char* fallback, char (&field)[Size]) {
  WideIni ini;
  WideText wideSection, wideKey, wideFallback;
  static wchar_t text[MaxPathBytes];
  text[0] = L'\0';
  if (ini.path.text && ToWide(section, &wideSection) && ToWide(key, &wideKey) &&
      ToWide(fallback, &wideFallback))
    GetPrivateProfileStringW(wideSection.text, wideKey.text, wideFallback.text, text, MaxPathBytes,
                             ini.path.text);
  FromWide(text, field, Size);
}

static int32_t ReadNumber(const char* key, int32_t fallback) {
  WideIni ini;
  WideText wideSection, wideKey;
  if (!ini.path.text || !ToWide(MainSection, &wideSection) || !ToWide(key, &wideKey)) return fallback;
  return static_cast<int32_t>(GetPrivateProfileIntW(wideSection.text, wideKey.text, fallback, ini.path.text));
}

static bool WriteIniFileBytes(HANDLE file, const void* bytes, DWORD size) {
  DWORD written = 0;
  return WriteFile(file, bytes, size, &written, nullptr) && written == size;
}
bool (*const systemIniBytes)(HANDLE file, const void* bytes, DWORD size) = WriteIniFileBytes;
bool (*writeIniBytes)(HANDLE file, const void* bytes, DWORD size) = WriteIniFileBytes;

// The whole file goes to a new file beside it, which takes the INI's place
// only once it is written and closed: a full disk leaves the old INI whole.
static bool ReplaceIniWith(const wchar_t* path, const wchar_t* text, int units) {
  WideText temporary;
  char temporaryPath[MaxPathText];
  HANDLE file = INVALID_HANDLE_VALUE;
  // A free name only: a file the user keeps beside the INI is never emptied.
  for (int number = 1; file == INVALID_HANDLE_VALUE && number <= MaxNameNumber; number++) {
    if (!NumberedPath(temporaryPath, iniPath, ".tmp", number) || !ToWidePath(temporaryPath, &temporary)) return false;
    file = CreateFileW(temporary.text, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  bool written = writeIniBytes(file, "\xFF\xFE", 2) &&
                 writeIniBytes(file, text, static_cast<DWORD>(units) * sizeof(wchar_t)) && FlushFileBuffers(file);
  written = CloseHandle(file) && written;
  if (written && MoveFileExW(temporary.text, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileW(temporary.text);
  return false;
}

// Turns the INI file (or makes a missing one) into UTF-16 with its byte-order
// mark. False when it is not UTF-16 now: a file that cannot be read whole is
// left as it is, and an ANSI file would lose the value.
static bool MakeIniUnicode(const wchar_t* path) {
  FILE* file = _wfopen(path, L"rb");
  if (!file && errno != ENOENT) return false;
  long size = 0;
  char* bytes = nullptr;
  bool whole = true;
  if (file) {
    whole = fseek(file, 0, SEEK_END) == 0 && (size = ftell(file)) >= 0 && fseek(file, 0, SEEK_SET) == 0 &&
            (bytes = static_cast<char*>(malloc(static_cast<size_t>(size) + 1))) != nullptr &&
            fread(bytes, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size);
    fclose(file);
  }
  bool unicode = whole && size >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                 static_cast<unsigned char>(bytes[1]) == 0xFE;
  int units = whole && !unicode && size > 0 ? MultiByteToWideChar(CP_ACP, 0, bytes, size, nullptr, 0) : 0;
  wchar_t* text = whole && !unicode && (size == 0 || units > 0)
                      ? static_cast<wchar_t*>(malloc((static_cast<size_t>(units) + 1) * sizeof(wchar_t)))
                      : nullptr;
  bool converted = unicode || (text && MultiByteToWideChar(CP_ACP, 0, bytes, size, text, units) == units &&
                               ReplaceIniWith(path, text, units));
  free(text);
  free(bytes);
  return converted;
}

// Set when a value was left unwritten because the file could not turn UTF-16.
static bool valueLeftOut;

// Whether the file can take `value` without loss, turning it UTF-16 if need be.
static bool IniTakes(const wchar_t* path, const wchar_t* value) {
  if (WideFitsAnsi(value) || MakeIniUnicode(path)) return true;
  valueLeftOut = true;
  return false;
}

// A null key removes the section, as the profile API does.
static bool WriteText(const char* section, const char* key, const char* value) {
  WideIni ini;
  WideText wideSection, wideKey, wideValue;
  if (!ini.path.text || !ToWide(section, &wideSection) || (key && !ToWide(key, &wideKey)) ||
      (value && !ToWide(value, &wideValue)))
    return false;
  if (value && !IniTakes(ini.path.text, wideValue.text)) return false;
  return WritePrivateProfileStringW(wideSection.text, wideKey.text, wideValue.text, ini.path.text) != 0;
}

static void WriteNumber(const char* key, int32_t value) {
  char text[16];
  snprintf(text, sizeof text, "%d", static_cast<int>(value));
  WriteText(MainSection, key, text);
}

static void HistoryKey(const char* stem, int index, char (&key)[16]) {
  snprintf(key, sizeof key, "%s%d", stem, index);
}

void LoadSettings() {
  settings.logFile = ReadNumber("LogFile", 0);
  settings.sameName = ReadNumber("SameName", 0);
  settings.id3Tag = ReadNumber("ID3Tag", 0);
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
  settings.minSize = static_cast<uint32_t>(ReadNumber("MinSize", 0));
  LoadProtectedFolders();
  LoadExclusions();
}

// A list section with keys "<stem>0" on; a gap left by hand-editing ends nothing.
static void LoadList(const char* section, const char* stem, int most, void (*add)(const char* entry)) {
  char key[16];
  char entry[MaxPathText];
  for (int i = 0; i < most; i++) {
    HistoryKey(stem, i, key);
    ReadText(section, key, "", entry);
    if (entry[0] != '\0') add(entry);
  }
}

// Written as soon as it changes, whichever way the sheet is closed later;
// an empty list removes its section, so the file is as before.
static bool SaveList(const char* section, const char* stem, const char (*entries)[MaxPathText], int count) {
  // Without a path the profile API would write into WIN.INI.
  if (iniPath[0] == '\0') return false;
  // The old section goes only once the file can take every new entry.
  WideIni ini;
  for (int i = 0; i < count; i++) {
    WideText entry;
    if (!ini.path.text || !ToWide(entries[i], &entry) || !IniTakes(ini.path.text, entry.text)) return false;
  }
  bool written = WriteText(section, nullptr, nullptr);
  char key[16];
  for (int i = 0; i < count; i++) {
    HistoryKey(stem, i, key);
    written &= WriteText(section, key, entries[i]);
  }
  return written;
}

void LoadProtectedFolders() {
  protectedFolders.count = 0;
  LoadList(ProtectionSection, "Ordner", MaxProtectedFolders, [](const char* folder) { AddProtectedFolder(folder); });
}

bool SaveProtectedFolders() {
  return SaveList(ProtectionSection, "Ordner", protectedFolders.folder, protectedFolders.count);
}

void LoadExclusions() {
  exclusions.count = 0;
  LoadList(ExclusionSection, "Eintrag", MaxExclusions, [](const char* entry) { AddExclusion(entry); });
}

bool SaveExclusions() { return SaveList(ExclusionSection, "Eintrag", exclusions.entry, exclusions.count); }

bool SaveSettings() {
  valueLeftOut = false;
  WriteNumber("LogFile", settings.logFile);
  WriteNumber("SameName", settings.sameName);
  WriteNumber("ID3Tag", settings.id3Tag);
  WriteText(MainSection, "Pfad", settings.currentPath);
  char key[16];
  for (int i = 0; i < HistorySize; i++) {
    HistoryKey("Pfad", i, key);
    WriteText(PathSection, key, settings.pathHistory[i]);
  }
  WriteText(MainSection, "Filter", settings.currentFilter);
  for (int i = 0; i < HistorySize; i++) {
    HistoryKey("Filter", i, key);
    WriteText(FilterSection, key, settings.filterHistory[i]);
  }
  return !valueLeftOut;
}
