// The console front end on Windows; other systems compile nothing of this
// file.
#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

#include "cli/console.h"
#include "engine/file_table.h"
#include "platform/wide_text.h"

static volatile LONG interrupted = 0;

static HANDLE ConsoleOf(FILE* stream) {
  HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode;
  return GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// Writes a system text byte by byte in the ANSI code page; a character that
// the code page lacks goes out as the %HH escapes of its UTF-8 bytes.
static void WriteInAnsi(FILE* stream, const char* text) {
  const unsigned char* c = reinterpret_cast<const unsigned char*>(text);
  while (*c) {
    size_t length = 1;
    while (*c >= 0x80 && length < 4 && (c[length] & 0xC0) == 0x80) length++;
    char piece[5] = {};
    memcpy(piece, c, length);
    char ansi[8];
    if (*c < 0x80 || ToAnsi(piece, ansi, sizeof ansi)) {
      fputs(*c < 0x80 ? piece : ansi, stream);
    } else {
      for (size_t k = 0; k < length; k++) fprintf(stream, "%%%02X", c[k]);
    }
    c += length;
  }
}

void WriteText(FILE* stream, const char* text, TextOrigin origin) {
  HANDLE console = ConsoleOf(stream);
  if (!console || text[0] == '\0') {
    if (origin == TextOrigin::System) WriteInAnsi(stream, text);
    else fputs(text, stream);
    return;
  }
  // Program texts are Windows-1252 whatever the user's code pages; paths are
  // UTF-8. The console shows both right only as Unicode.
  WideText converted;
  static wchar_t programText[8192];
  const wchar_t* wide = programText;
  if (origin == TextOrigin::System) {
    if (!ToWide(text, &converted)) return;
    wide = converted.text;
  } else if (MultiByteToWideChar(1252, 0, text, -1, programText, 8192) <= 0) {
    fputs(text, stream);
    return;
  }
  fflush(stream);
  DWORD written;
  WriteConsoleW(console, wide, static_cast<DWORD>(wcslen(wide)), &written, nullptr);
}

char** ProgramArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  char** converted = wide && count == argc ? static_cast<char**>(calloc(argc + 1, sizeof(char*))) : nullptr;
  for (int k = 0; converted && k < argc; k++) {
    size_t size = 3 * wcslen(wide[k]) + 1;
    converted[k] = static_cast<char*>(malloc(size));
    if (!converted[k] || !FromWide(wide[k], converted[k], size)) converted = nullptr;  // then argv as it came
  }
  LocalFree(wide);
  return converted ? converted : argv;
}

bool IsTerminal(FILE* stream) { return ConsoleOf(stream) != nullptr; }

bool IsExistingFolder(const char* path) {
  WideText widePath;
  DWORD attributes = ToWidePath(path, &widePath) ? GetFileAttributesW(widePath.text) : INVALID_FILE_ATTRIBUTES;
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Runs on a thread of its own; `running` is a plain aligned int, so the store
// is seen by the search at its next poll.
static BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  // A second Ctrl+C falls through to the default handler, which ends the
  // process: the way out of one long comparison.
  if (InterlockedExchange(&interrupted, 1) != 0) return FALSE;
  searchState.running = 0;
  return TRUE;
}

void CatchInterrupt() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool WasInterrupted() { return interrupted != 0; }

void KeepWritingThroughInterrupt() {}
#endif
