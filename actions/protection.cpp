#include "actions/protection.h"

#include <cstring>

#include "engine/text.h"

ProtectedFolders protectedFolders;

namespace {

bool IsSeparator(char c) { return c == '/' || (PathSeparator == '\\' && c == '\\'); }

const char* SkipSeparators(const char* at) {
  while (IsSeparator(*at)) ++at;
  return at;
}

size_t PartLength(const char* at) {
  size_t length = 0;
  while (at[length] != '\0' && !IsSeparator(at[length])) ++length;
  return length;
}

// Where `path` goes on after the parts of `folder`, each the same name to the
// file system; null when they differ. Runs of separators count as one.
const char* AfterFolder(const char* path, const char* folder) {
  const char* p = path;
  const char* f = folder;
  while (*f != '\0') {
    if (IsSeparator(*f)) {
      if (!IsSeparator(*p)) return nullptr;
      f = SkipSeparators(f);
      p = SkipSeparators(p);
      continue;
    }
    size_t folderPart = PartLength(f), pathPart = PartLength(p);
    if (!SameFileName(f, folderPart, p, pathPart)) return nullptr;
    f += folderPart;
    p += pathPart;
  }
  return p;
}

}  // namespace

const char* PathBelowFolder(const char* path, const char* folder) {
  const char* p = AfterFolder(path, folder);
  if (!p) return nullptr;
  // "D:\Archiv" holds "D:\Archiv\a.txt", not "D:\Archiv2\a.txt".
  size_t length = strlen(folder);
  if (length > 0 && !IsSeparator(folder[length - 1])) {
    if (!IsSeparator(*p)) return nullptr;
    p = SkipSeparators(p);
  }
  return *p != '\0' ? p : nullptr;
}

bool SameFolderPath(const char* path, const char* other) {
  const char* rest = AfterFolder(path, other);
  if (!rest) rest = AfterFolder(other, path);  // the other one's trailing separator
  return rest && *SkipSeparators(rest) == '\0';
}

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
  bool needsSeparator = !IsSeparator(folder[length - 1]);
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
