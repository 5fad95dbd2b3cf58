// Protected folders: the user's reference folders (an archive, the originals)
// whose files no marking rule marks and no action deletes, moves or recycles.
// A folder protects every file in it and below it. Portable: the INI file and
// the window reach the list through these functions.
#pragma once
#include "engine/settings.h"
#include "platform/platform.h"

constexpr int MaxProtectedFolders = 100;

// The folders, each ending in a separator; kept in the INI section "Schutz".
struct ProtectedFolders {
  char folder[MaxProtectedFolders][MaxPathText];  // up to MaxPath - 1 characters
  int count;
};

extern ProtectedFolders protectedFolders;

// The part of `path` after `folder` when `path` lies in it or below it, else
// null. Names match as the file system matches them (SameFileName); on
// Windows '/' and '\\' are one separator, and a run of separators counts as one.
const char* PathBelowFolder(const char* path, const char* folder);

// True when both paths name the same folder by the same rules; a trailing
// separator makes no difference.
bool SameFolderPath(const char* path, const char* other);

// True when the file at `path` lies in a protected folder or below one.
bool IsProtectedPath(const char* path);

// True when both files lie directly in the same folder.
bool InSameFolder(const char* path, const char* other);

enum class ProtectResult { Added, AlreadyProtected, Full, NoFolder };

// Protects the folder of the file at `path` (the path up to its file name).
ProtectResult ProtectFolderOf(const char* path);

// Takes `folder` as read from the INI file; a separator is added when it lacks
// one. False when it is empty, too long or the list is full.
bool AddProtectedFolder(const char* folder);
