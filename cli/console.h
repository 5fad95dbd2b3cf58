// What the console front end needs from the system beyond the engine's
// platform layer: text output in the right encoding, terminal detection,
// folder checks and Ctrl+C. One file per system implements it.
#pragma once
#include <cstdio>

enum class TextOrigin {
  Program,  // the program's own Windows-1252 texts
  System,   // paths and arguments: bytes on POSIX, UTF-8 on Windows
};

// The arguments in the program's encoding of paths: on Windows the wide
// command line turned into UTF-8, elsewhere `argv` itself.
char** ProgramArguments(int argc, char** argv);

// Writes `text` to `stream`: on POSIX, program texts as UTF-8 and system
// texts unchanged; on Windows a console window gets the text as Unicode so
// every name and umlaut shows in any code page, and other streams get the
// ANSI code page, a character it lacks in a system text written as the %HH
// escapes of its UTF-8 bytes (a '%' itself comes escaped as %25).
void WriteText(FILE* stream, const char* text, TextOrigin origin);

bool IsTerminal(FILE* stream);

bool IsExistingFolder(const char* path);

// From now on Ctrl+C clears searchState.running, as the cancel button does;
// a second Ctrl+C ends the process at once.
void CatchInterrupt();
bool WasInterrupted();
// After the search: a Ctrl+C while the rows are written cuts none of them
// short (the calls it interrupts are restarted).
void KeepWritingThroughInterrupt();
