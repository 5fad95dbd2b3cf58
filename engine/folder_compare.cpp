#include "engine/folder_compare.h"

#include <cstring>

#include "platform/platform.h"

namespace {

const char* SkipSeparators(const char* at) {
  while (IsPathSeparator(*at)) ++at;
  return at;
}

size_t PartLength(const char* at) {
  size_t length = 0;
  while (at[length] != '\0' && !IsPathSeparator(at[length])) ++length;
  return length;
}

// Where `path` goes on after the parts of `folder`, each the same name to the
// file system; null when they differ. Runs of separators count as one.
const char* AfterFolder(const char* path, const char* folder) {
  const char* p = path;
  const char* f = folder;
  while (*f != '\0') {
    if (IsPathSeparator(*f)) {
      if (!IsPathSeparator(*p)) return nullptr;
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

bool IsPathSeparator(char c) { return c == '/' || (PathSeparator == '\\' && c == '\\'); }

const char* PathBelowFolder(const char* path, const char* folder) {
  const char* p = AfterFolder(path, folder);
  if (!p) return nullptr;
  // "D:\Archiv" holds "D:\Archiv\a.txt", not "D:\Archiv2\a.txt".
  size_t length = strlen(folder);
  if (length > 0 && !IsPathSeparator(folder[length - 1])) {
    if (!IsPathSeparator(*p)) return nullptr;
    p = SkipSeparators(p);
  }
  return *p != '\0' ? p : nullptr;
}

bool SameFolderPath(const char* path, const char* other) {
  const char* rest = AfterFolder(path, other);
  if (!rest) rest = AfterFolder(other, path);  // the other one's trailing separator
  return rest && *SkipSeparators(rest) == '\0';
}

bool PathInOrBelowFolder(const char* path, const char* folder) {
  return PathBelowFolder(path, folder) != nullptr || SameFolderPath(path, folder);
}
