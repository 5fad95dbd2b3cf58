#include "platform/wildcard.h"

#include <cstring>

#include "engine/text.h"

// The rest of the pattern may match an empty rest of the name.
static bool MatchesEmpty(const char* pattern) {
  for (; *pattern; ++pattern)
    if (*pattern != '*' && *pattern != '?' && *pattern != '.') return false;
  return true;
}

static bool Match(const char* p, const char* n) {
  while (*p) {
    if (*p == '*') {
      while (*p == '*') ++p;
      if (!*p) return true;
      for (const char* rest = n;; ++rest) {
        if (Match(p, rest)) return true;
        if (!*rest) return false;
      }
    }
    if (!*n) return MatchesEmpty(p);
    if (*p == '?') {
      // A '?' that meets a dot may also stand for nothing.
      if (*n == '.' && Match(p + 1, n)) return true;
      ++p;
      ++n;
      continue;
    }
    if (AsciiUpper(*p) != AsciiUpper(*n)) return false;
    ++p;
    ++n;
  }
  return !*n;
}

bool MatchesWildcard(const char* pattern, const char* name) {
  if (strcmp(pattern, "*.*") == 0) return true;
  return Match(pattern, name);
}
