// The origin list of a Backup run: beside backup.log, for every name in the
// run folder the path its file came from, with the size and last-write time
// it had. UTF-8. A line is written and flushed before its file moves, so a
// run cut short still tells where each moved file came from; a name written
// again (a move that failed, then another file under that name) counts with
// its last line.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

constexpr char OriginListName[] = "herkunft.txt";
// The byte-order mark (so that Notepad reads the names), then the format.
constexpr char OriginListHeader[] = "\xEF\xBB\xBFParvik-Herkunft 1\r\n";

struct OriginLine {
  std::string name;  // in the run folder
  std::string path;  // where it came from
  uint64_t size;
  FileTime lastWrite;
};

// "<size>\t<last-write time, 16 hex digits>\t<name>\t<path>\r\n"; names and
// paths from Windows hold no control characters.
std::string FormatOriginLine(const OriginLine& line);

// The lines of a whole list, the last line of each name (compared as the
// file system does, letters a-z regardless of case) in the place of its first. False when `text` is no origin list. A last line cut short by a
// crash names no moved file and is dropped; other lines that cannot be read
// are counted in `unreadable`.
bool ParseOriginList(const std::string& text, std::vector<OriginLine>* lines, int* unreadable);
