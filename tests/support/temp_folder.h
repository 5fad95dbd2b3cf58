#pragma once
#include <cstdint>
#include <string>
#include <vector>

using Texts = std::vector<std::string>;

struct TempFolder {
  std::string path;
  explicit TempFolder(const char* parent = nullptr);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string At(const std::string& relative) const;
  std::string Write(const std::string& relative, const std::string& bytes) const;
  std::string MakeFolder(const std::string& relative) const;
  std::string WriteSparse(const std::string& relative, uint64_t size, uint64_t offset,
                          const std::string& bytes) const;
};

#ifdef _WIN32
std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);
Texts NamesMatching(const std::string& pattern, bool folders);
void RemoveTree(const std::string& path);
#endif
