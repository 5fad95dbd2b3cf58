#include "actions/restore_plan.h"

#include "engine/folder_compare.h"
#include "engine/text.h"

namespace {

bool IsRoot(const std::string& folder) {
  if (folder.empty() || folder.back() == ':') return true;
  // "\\server\share" is the root of a share.
  if (folder.size() > 2 && IsPathSeparator(folder[0]) && IsPathSeparator(folder[1])) {
    int separators = 0;
    for (size_t k = 2; k < folder.size(); ++k) separators += IsPathSeparator(folder[k]);
    return separators <= 1;
  }
  return false;
}

}  // namespace

RestoreVerdict DecideRestore(const OriginLine& line, const RunFileState& inRun, bool originTaken) {
  if (!inRun.present) return RestoreVerdict::Gone;
  if (inRun.size != line.size || inRun.lastWrite.low != line.lastWrite.low ||
      inRun.lastWrite.high != line.lastWrite.high)
    return RestoreVerdict::Changed;
  return originTaken ? RestoreVerdict::PathTaken : RestoreVerdict::Restore;
}

const char* RestoreReason(RestoreVerdict verdict) {
  switch (verdict) {
    case RestoreVerdict::Changed: return "seit dem Backup verändert";
    case RestoreVerdict::PathTaken: return "der Pfad ist wieder belegt";
    case RestoreVerdict::Gone: return "nicht mehr im Backup-Ordner";
    default: return "";
  }
}

std::vector<std::string> MissingFolders(const std::string& path, FolderExists check) {
  std::vector<std::string> missing;
  std::string folder = path.substr(0, static_cast<size_t>(FileNameOf(path.c_str()) - path.c_str()));
  for (;;) {
    while (folder.size() > 1 && IsPathSeparator(folder.back())) folder.pop_back();
    if (IsRoot(folder) || folder == "/" || check.exists(folder.c_str(), check.context)) break;
    missing.insert(missing.begin(), folder);
    folder.erase(static_cast<size_t>(FileNameOf(folder.c_str()) - folder.c_str()));
  }
  return missing;
}
