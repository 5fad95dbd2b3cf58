#include "actions/protection.h"

#include <cstring>

#include "engine/text.h"

ProtectedFolders protectedFolders;

bool IsProtectedPath(const char* path) {
  for (int k = 0; k < protectedFolders.count; ++k)
    if (PathBelowFolder(path, protectedFolders.folder[k])) return true;
  return false;
}

bool InSameFolder(const char* path, const char* other) {
  static char folder[MaxPathBytes];  // the folder part of a stored path
  CopyText(folder, static_cast<size_t>(FileNameOf(other) - other) + 1, other);
  const char* rest = PathBelowFolder(path, folder);
  return rest != nullptr && FileNameOf(rest) == rest;
}

bool AddProtectedFolder(const char* folder) {
  size_t length = strlen(folder);
  if (length == 0 || protectedFolders.count >= MaxProtectedFolders) return false;
  bool needsSeparator = !IsPathSeparator(folder[length - 1]);
  // The INI file keeps MaxPath - 1 characters; a longer folder would come back cut.
  if (length + needsSeparator >= MaxPathText || PathCharacters(folder) + needsSeparator >= MaxPath) return false;
  char* slot = protectedFolders.folder[protectedFolders.count];
  memcpy(slot, folder, length);
  if (needsSeparator) slot[length++] = PathSeparator;
  slot[length] = '\0';
  protectedFolders.count++;
  return true;
}

ProtectResult ProtectFolderOf(const char* path) {
  size_t length = static_cast<size_t>(FileNameOf(path) - path);
  if (length == 0 || length >= MaxPathText) return ProtectResult::NoFolder;
  if (IsProtectedPath(path)) return ProtectResult::AlreadyProtected;
  if (protectedFolders.count >= MaxProtectedFolders) return ProtectResult::Full;
  char folder[MaxPathText];
  CopyText(folder, length + 1, path);
  return AddProtectedFolder(folder) ? ProtectResult::Added : ProtectResult::NoFolder;
}
