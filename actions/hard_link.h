// "Durch Verknüpfung ersetzen": each marked file becomes a hard link to an
// unmarked, unprotected copy of its group that is still as listed, so every
// path opens the same bytes and the space is freed once. Listed in
// <DDMMYYYY-HHMMSS>-verknuepft.log beside the executable; the log is opened
// before the question, as for deletion. Nothing here asks or shows.
#pragma once
#include <vector>

#include "actions/marked_files.h"

// The file system as linking needs it; tests put in refusals.
struct LinkOps {
  // Both on one local NTFS volume (not a share, not FAT).
  bool (*sameNtfsVolume)(const char* file, const char* kept);
  // Both names lead to one file already.
  bool (*sameFile)(const char* file, const char* kept);
  bool (*isReadOnly)(const char* file);
  // Equal byte for byte as they are now; false also when either cannot be
  // opened or read (in use).
  bool (*sameContent)(const char* file, const char* kept);
  // A new name `link` for the file `target`; false when `link` is taken.
  bool (*createLink)(const char* link, const char* target);
  // `from` takes the place of `to` in one step.
  bool (*replace)(const char* from, const char* to);
  bool (*remove)(const char* path);
};

extern LinkOps linkOps;
extern const LinkOps systemLinkOps;

struct LinkReport {
  ActionReport report;  // `stayed` counts neither of the two below
  int otherVolume = 0;  // not on the NTFS volume of its kept copy
  int noKeptCopy = 0;   // its group has no unmarked, unprotected copy to link to
};

bool OpenLinkLog(const std::vector<ListedRow>& rows, ActionLog* log);

// A group whose every file is marked keeps them all: linking never asks for
// the last copies. A file already linked to its kept copy counts as done.
LinkReport LinkFiles(const MarkedPlan& plan, ActionLog* log, RowStillListed listed);
