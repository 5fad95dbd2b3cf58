#include "platform/wildcard.h"

#include <cstring>

#include "engine/text.h"

namespace {

// Patterns are listing masks of at most MaxPath characters; a longer one
// matches nothing.
constexpr size_t LongestPattern = 512;

}  // namespace

// The name is read once, left to right, while the set of pattern positions it
// can have reached is carried along: time grows with name length times pattern
// length, never exponentially, whatever the stars. The rules: '*' takes any
// run of characters, '?' one character or nothing before a dot, and at the
// end of the name the rest of the pattern may be any mix of '*', '?' and '.'.
bool MatchesWildcard(const char* pattern, const char* name) {
  if (strcmp(pattern, "*.*") == 0) return true;
  const size_t length = strlen(pattern);
  if (length >= LongestPattern) return false;
  bool reached[LongestPattern + 1] = {};
  bool next[LongestPattern + 1];
  reached[0] = true;
  for (const char* n = name;; ++n) {
    // Steps that take no character: a star may stand for nothing, and so may
    // a '?' that meets a dot. They only lead forward, so one sweep suffices.
    for (size_t p = 0; p < length; ++p)
      if (reached[p] && (pattern[p] == '*' || (pattern[p] == '?' && *n == '.')))
        reached[p + 1] = true;
    if (!*n) break;
    bool any = false;
    memset(next, 0, length + 1);
    for (size_t p = 0; p < length; ++p) {
      if (!reached[p]) continue;
      if (pattern[p] == '*')
        next[p] = true;
      else if (pattern[p] == '?' || AsciiUpper(pattern[p]) == AsciiUpper(*n))
        next[p + 1] = true;
      else
        continue;
      any = true;
    }
    if (!any) return false;
    memcpy(reached, next, length + 1);
  }
  // The end of the name: the rest of the pattern must be able to match nothing.
  for (size_t p = length + 1; p-- > 0;) {
    if (reached[p]) return true;
    if (p > 0 && pattern[p - 1] != '*' && pattern[p - 1] != '?' && pattern[p - 1] != '.') return false;
  }
  return false;
}
