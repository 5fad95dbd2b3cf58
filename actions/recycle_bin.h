#pragma once

// After one question, moves the files of the marked rows into the Recycle
// Bin, removes their rows and lists them in <DDMMYYYY-HHMMSS>-papierkorb.log
// beside the executable. A file the Recycle Bin cannot take stays where it is.
void RecycleMarkedFiles();

// Moves one file into the Recycle Bin of its volume. False, with the file
// where it was, when the bin cannot take it: never deleted for good instead.
bool MoveToRecycleBin(const char* path);

// The shell's file operation; tests put in one that deletes for good, as the
// shell does where a bin cannot take a file.
struct _SHFILEOPSTRUCTW;
extern int (*shellFileOperation)(_SHFILEOPSTRUCTW* operation);
