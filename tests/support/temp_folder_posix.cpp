#include "temp_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

TempFolder::TempFolder(const char* parent) {
  std::string pattern = (parent ? fs::path(parent) : fs::temp_directory_path()).string() + "/parvik-test-XXXXXX";
  path = mkdtemp(pattern.data()) ? pattern : std::string();
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path.empty()) fs::remove_all(path, ignored);
}

std::string TempFolder::At(const std::string& relative) const { return path + "/" + relative; }

std::string TempFolder::MakeFolder(const std::string& relative) const {
  fs::create_directories(At(relative));
  return At(relative);
}

std::string TempFolder::Write(const std::string& relative, const std::string& bytes) const {
  return WriteSparse(relative, bytes.size(), 0, bytes);
}

std::string TempFolder::WriteSparse(const std::string& relative, uint64_t size, uint64_t offset,
                                    const std::string& bytes) const {
  std::string file = At(relative);
  fs::create_directories(fs::path(file).parent_path());
  int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  bool written = fd >= 0 && ftruncate(fd, static_cast<off_t>(size)) == 0 &&
                 pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)) == static_cast<ssize_t>(bytes.size());
  if (fd >= 0) close(fd);
  return written ? file : "";
}
