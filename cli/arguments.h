// The command line of the console front end, parsed into one record so the
// program and its tests see the same rules.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/settings.h"
#include "platform/platform.h"

struct CliOptions {
  std::vector<std::string> folders;  // exactly as given
  std::vector<std::string> exclusions;  // --exclude, in the order given
  char filter[MaxPathText];
  uint32_t minSize;  // files must be larger than this
  bool sameName;
  bool noId3;  // compare files without their ID3 tags
  bool help;
};

// A refused command line: a fixed German message and, where one is to blame,
// the argument as given. They stay apart because the message is Windows-1252
// and the argument is in the system's own encoding.
struct CliError {
  const char* message;
  const char* argument;  // null when no single argument is to blame
};

// Fills `options` from argv[1..argc-1]. --help wins over everything else on
// the line, so a user who asks for help always gets it.
bool ParseCliArguments(int argc, const char* const* argv, CliOptions* options, CliError* error);

// Drops trailing separators, as the window drops one from a typed path, so
// that rows read "folder/name" and not "folder//name". A bare root becomes
// empty, which the scan then lists as the root itself.
void TrimTrailingSeparators(char* folder);

// The text --help prints (Windows-1252, like every text of the program).
extern const char CliUsage[];
