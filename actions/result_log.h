// The result log: every row of the results, top row first, each cut to 259
// bytes and followed by a lone CR.
#pragma once
#include "platform/platform.h"

// The rows as the window holds them: `wide` gives a row's text, `ansi` the
// same text as the list hands it out in the ANSI code page (cut to fit).
struct ResultRows {
  int count;
  const wchar_t* (*wide)(int row);
  void (*ansi)(int row, char (&text)[MaxPath]);
};

// Writes the rows to `path`, replacing its content; false when the file
// could not be opened.
bool WriteResultRows(const char* path, const ResultRows& rows);
