// A listed file opened with its program, or shown selected in Explorer: the
// program's only calls of the shell's ShellExecute.
#pragma once

// Starts `file` (a document or a program) with `parameters` (may be null);
// true when the shell started it. Tests install a replacement.
using ShellStarter = bool (*)(const char* file, const char* parameters);
void RedirectShellStarts(ShellStarter replacement);  // null: the real shell

// Each tells the user when it failed.
void OpenWithItsProgram(const char* path);
void ShowSelectedInExplorer(const char* path);
