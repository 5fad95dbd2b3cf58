// Whether a file of a Backup run may go back, decided without the file
// system: it goes only to a free path and only as it was moved.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "actions/origin_list.h"

struct RunFileState {
  bool present;  // the name is a file in the run folder
  uint64_t size;
  FileTime lastWrite;
};

enum class RestoreVerdict {
  Restore,
  Gone,       // no longer in the run folder (put back before, or never moved)
  Changed,    // its size or last-write time differ from the moment it moved
  PathTaken,  // a file or folder is at its original path again
};

RestoreVerdict DecideRestore(const OriginLine& line, const RunFileState& inRun, bool originTaken);

// The reason a file stayed, as the restore log gives it.
const char* RestoreReason(RestoreVerdict verdict);

// The folders of `path` from the outermost that is missing inward, as
// `exists` tells: created in this order, the path's folder exists. A root
// ("C:\", "\\server\share\", "/") is never among them.
struct FolderExists {
  bool (*exists)(const char* folder, void* context);
  void* context;
};
std::vector<std::string> MissingFolders(const std::string& path, FolderExists check);
