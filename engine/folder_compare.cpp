#include "engine/folder_compare.h"

#include <cstdio>

#include "engine/text.h"

namespace {

const char* SkipSeparators(const char* at) {
  while (IsPathSeparator(*at)) ++at;
  return at;
}

}  // namespace

bool IsPathSeparator(char c) { return c == '/' || (PathSeparator == '\\' && c == '\\'); }

const char* PathBelowFolder(const char* path, const char* folder) {
  const char* p = path;
  const char* f = folder;
  while (*f != '\0') {
    if (IsPathSeparator(*f)) {
      if (!IsPathSeparator(*p)) return nullptr;
      f = SkipSeparators(f);
      p = SkipSeparators(p);
      continue;
    }
    if (AsciiLower(*f) != AsciiLower(*p)) return nullptr;
    ++f;
    ++p;
  }
  // "D:\Archiv" holds "D:\Archiv\a.txt", not "D:\Archiv2\a.txt".
  if (f != folder && !IsPathSeparator(f[-1])) {
    if (!IsPathSeparator(*p)) return nullptr;
    p = SkipSeparators(p);
  }
  return *p != '\0' ? p : nullptr;
}

bool PathInOrBelowFolder(const char* path, const char* folder) {
  // The folder itself is the one path with nothing after it: a name appended
  // makes it lie below, through the very same comparison.
  static char probe[MaxPathBytes + 3];
  int length = snprintf(probe, sizeof probe, "%s%c.", path, PathSeparator);
  return length > 0 && static_cast<size_t>(length) < sizeof probe && PathBelowFolder(probe, folder);
}
