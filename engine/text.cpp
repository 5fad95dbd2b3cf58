#include "engine/text.h"

#include <cstring>

bool CopyText(char* dest, size_t size, const char* source) {
  if (size == 0) return false;
  size_t length = strlen(source);
  bool fits = length < size;
  if (!fits) length = size - 1;
  memcpy(dest, source, length);
  dest[length] = '\0';
  return fits;
}

static unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool SameTextIgnoringAsciiCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char x = FoldAscii(static_cast<unsigned char>(*a));
    unsigned char y = FoldAscii(static_cast<unsigned char>(*b));
    if (x != y) return false;
    if (x == 0) return true;
  }
}
