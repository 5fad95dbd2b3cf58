#include "engine/text.h"

#include <cstring>

#include "platform/platform.h"
#include "platform/utf16.h"

bool CopyText(char* dest, size_t size, const char* source) {
  if (size == 0) return false;
  size_t length = strlen(source);
  bool fits = length < size;
  if (!fits) length = size - 1;
  memcpy(dest, source, length);
  dest[length] = '\0';
  return fits;
}

size_t PathCharacters(const char* text) { return PathSeparator == '\\' ? Utf16Length(text) : strlen(text); }

const char* FileNameOf(const char* path) {
  const char* start = path;
  for (const char* c = path; *c != '\0'; ++c)
    if (*c == '/' || (PathSeparator == '\\' && (*c == '\\' || *c == ':'))) start = c + 1;
  return start;
}

bool SameTextIgnoringAsciiCase(const char* a, const char* b) {
  return CompareTextIgnoringAsciiCase(a, b) == 0;
}

int CompareTextIgnoringAsciiCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char x = static_cast<unsigned char>(AsciiLower(*a));
    unsigned char y = static_cast<unsigned char>(AsciiLower(*b));
    if (x != y || x == 0) return x - y;
  }
}
