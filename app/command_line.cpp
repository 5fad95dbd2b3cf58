#include "app/command_line.h"

#include <cstring>

#include "engine/settings.h"
#include "engine/text.h"

static constexpr size_t MaxSwitchValue = 258;

bool ApplySwitch(const char* commandLine, const char* name, char* value, size_t size) {
  const char* found = strstr(commandLine, name);
  if (!found) return false;
  const char* after = found + strlen(name);
  // Exactly one character, then the opening quote; never read past the end.
  if (after[0] == '\0' || after[1] != '"') return false;
  const char* start = after + 2;
  // The value's characters are counted, so a name in any script is never cut
  // inside one.
  size_t length = 0;
  size_t characters = 0;
  while (start[length] != '\0' && start[length] != '"' && length + 1 < size &&
         (characters < MaxSwitchValue || ContinuesCharacter(start[length]))) {
    if (!ContinuesCharacter(start[length])) characters++;
    length++;
  }
  memcpy(value, start, length);
  value[length] = '\0';
  return true;
}

void ApplyCommandLine(const char* commandLine) {
  ApplySwitch(commandLine, "/dir", settings.currentPath, sizeof settings.currentPath);
  ApplySwitch(commandLine, "/filter", settings.currentFilter, sizeof settings.currentFilter);
}
