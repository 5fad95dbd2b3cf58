#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "temp_folder.h"

TempFolder::TempFolder(const char*) {
  static unsigned serial;
  char base[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, base);
  path = base + std::string("parvik-") + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
  RemoveTree(path);
  CreateDirectoryA(path.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path); }

std::string TempFolder::At(const std::string& relative) const { return path + "\\" + relative; }

std::string TempFolder::MakeFolder(const std::string& relative) const {
  std::error_code ignored;
  std::filesystem::create_directories(At(relative), ignored);
  return At(relative);
}

std::string TempFolder::Write(const std::string& relative, const std::string& bytes) const {
  if (relative.rfind('\\') != std::string::npos) MakeFolder(relative.substr(0, relative.rfind('\\')));
  WriteBytes(At(relative), bytes);
  return At(relative);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  return static_cast<bool>(file.write(bytes.data(), bytes.size()).flush());
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

Texts NamesMatching(const std::string& pattern, bool folders) {
  Texts names;
  WIN32_FIND_DATAA found;
  HANDLE listing = FindFirstFileA(pattern.c_str(), &found);
  for (bool more = listing != INVALID_HANDLE_VALUE; more; more = FindNextFileA(listing, &found)) {
    std::string name = found.cFileName;
    if (name != "." && name != ".." && ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folders) names.push_back(name);
  }
  if (listing != INVALID_HANDLE_VALUE) FindClose(listing);
  return names;
}

void RemoveTree(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}
