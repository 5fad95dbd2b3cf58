#include "engine/exclusions.h"

#include <cstring>

#include "engine/folder_compare.h"
#include "engine/text.h"
#include "platform/wildcard.h"

Exclusions exclusions;

namespace {

bool MatchesNamePattern(const char* name) {
  for (int k = 0; k < exclusions.count; ++k)
    if (!IsFolderExclusion(exclusions.entry[k]) && MatchesWildcard(exclusions.entry[k], name)) return true;
  return false;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool IsFolderExclusion(const char* entry) { return strchr(entry, '/') || strchr(entry, '\\'); }

ExcludeResult AddExclusion(const char* entry) {
  while (IsBlank(*entry)) ++entry;
  size_t length = strlen(entry);
  while (length > 0 && IsBlank(entry[length - 1])) --length;
  if (IsFolderExclusion(entry)) {
    // "D:\Spiele\" and "D:\Spiele" are one folder; "D:\" and "/" stay roots.
    while (length > 1 && IsPathSeparator(entry[length - 1]) && entry[length - 2] != ':')
      --length;
  }
  char text[MaxPathText];
  if (length == 0 || length >= sizeof text) return ExcludeResult::Invalid;
  memcpy(text, entry, length);
  text[length] = '\0';
  if (PathCharacters(text) >= MaxPath) return ExcludeResult::Invalid;
  bool folder = IsFolderExclusion(text);
  for (int k = 0; k < exclusions.count; ++k)
    if (folder ? SameFolderPath(exclusions.entry[k], text) : SameTextIgnoringAsciiCase(exclusions.entry[k], text))
      return ExcludeResult::AlreadyExcluded;
  if (exclusions.count >= MaxExclusions) return ExcludeResult::Full;
  memcpy(exclusions.entry[exclusions.count++], text, length + 1);
  return ExcludeResult::Added;
}

void RemoveExclusion(int index) {
  if (index < 0 || index >= exclusions.count) return;
  for (int k = index; k + 1 < exclusions.count; ++k)
    memcpy(exclusions.entry[k], exclusions.entry[k + 1], sizeof exclusions.entry[k]);
  exclusions.count--;
}

bool IsExcludedFolder(const char* path) {
  if (exclusions.count == 0) return false;
  for (int k = 0; k < exclusions.count; ++k)
    if (IsFolderExclusion(exclusions.entry[k]) && PathInOrBelowFolder(path, exclusions.entry[k])) return true;
  return MatchesNamePattern(FileNameOf(path));
}

bool IsExcludedFileName(const char* name) { return exclusions.count > 0 && MatchesNamePattern(name); }
