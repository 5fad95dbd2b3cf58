// The console front end on Windows; other systems compile nothing of this
// file.
#ifdef _WIN32
#include <windows.h>

#include <cstring>

#include "cli/console.h"
#include "engine/file_table.h"

static volatile LONG interrupted = 0;

static HANDLE ConsoleOf(FILE* stream) {
  HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode;
  return GetConsoleMode(handle, &mode) ? handle : nullptr;
}

void WriteText(FILE* stream, const char* text, TextOrigin origin) {
  HANDLE console = ConsoleOf(stream);
  int length = static_cast<int>(strlen(text));
  if (!console || length == 0) {
    fputs(text, stream);
    return;
  }
  // Program texts are Windows-1252 whatever the user's code pages; paths are
  // in the ANSI code page. The console shows both right only as Unicode.
  // Rows and messages come in pieces of a few kilobytes at most, so a fixed
  // buffer serves and nothing can run out of memory here.
  UINT codePage = origin == TextOrigin::Program ? 1252 : CP_ACP;
  wchar_t converted[8192];
  int wide = MultiByteToWideChar(codePage, 0, text, length, converted, 8192);
  if (wide <= 0) {
    fputs(text, stream);
    return;
  }
  fflush(stream);
  DWORD written;
  WriteConsoleW(console, converted, static_cast<DWORD>(wide), &written, nullptr);
}

bool IsTerminal(FILE* stream) { return ConsoleOf(stream) != nullptr; }

bool IsExistingFolder(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
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
