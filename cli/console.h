// What the console front end needs from the system beyond the engine's
// platform layer: text output in the right encoding, terminal detection,
// folder checks and Ctrl+C. One file per system implements it.
#pragma once
#include <cstdio>

enum class TextOrigin {
  Program,  // the program's own Windows-1252 texts
  System,   // paths and arguments, in the system's own encoding
};

// Writes `text` to `stream`: on POSIX, program texts as UTF-8 and system
// texts unchanged; on Windows, bytes unchanged unless the stream is a console
// window, which gets the text as Unicode so umlauts show in any code page.
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
