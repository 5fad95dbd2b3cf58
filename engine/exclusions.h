// Exclusions: folders and name patterns that every search skips (a program
// folder, node_modules, *.tmp). Kept in the INI file by the window program,
// given on the command line to the console front end.
#pragma once
#include "engine/settings.h"

constexpr int MaxExclusions = 100;

// An entry with '\\' or '/' is a folder, skipped with everything below it; any
// other entry is a name pattern with the '*' and '?' rules of the filter,
// matched against the names of files and folders alike.
struct Exclusions {
  char entry[MaxExclusions][MaxPathText];  // up to MaxPath - 1 characters
  int count;
};

extern Exclusions exclusions;

bool IsFolderExclusion(const char* entry);

enum class ExcludeResult { Added, AlreadyExcluded, Full, Invalid };

// Takes `entry` with its surrounding blanks and, for a folder, its trailing
// separators dropped (a bare root keeps its one). Invalid: empty or longer
// than 259 characters.
ExcludeResult AddExclusion(const char* entry);
void RemoveExclusion(int index);

// The walk's questions: a folder (its full path) is skipped when it lies in
// or below an excluded folder or its name matches a pattern; a file when its
// name matches a pattern.
bool IsExcludedFolder(const char* path);
bool IsExcludedFileName(const char* name);
