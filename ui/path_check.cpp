#include "ui/path_check.h"

#include <cstring>

#include "engine/text.h"

bool IsSearchablePath(const char* path) { return PathCharacters(path) >= 2; }

void DropTrailingBackslash(char* path) {
  size_t length = strlen(path);
  if (length > 0 && path[length - 1] == '\\') path[length - 1] = '\0';
}
