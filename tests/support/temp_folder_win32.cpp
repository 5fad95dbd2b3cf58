#include "temp_folder.h"

#include <windows.h>

#include <cstdio>

TempFolder::TempFolder(const char* parent) {
  static unsigned serial;
  char base[MAX_PATH];
  if (parent) snprintf(base, sizeof base, "%s\\", parent);
  else GetTempPathA(MAX_PATH, base);
  char name[MAX_PATH];
  snprintf(name, sizeof name, "%sparvik-%lu-%u", base, GetCurrentProcessId(), ++serial);
  path = name;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  RemoveTree(path);
  CreateDirectoryA(path.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path); }

std::string TempFolder::At(const std::string& relative) const { return path + "\\" + relative; }

std::string TempFolder::MakeFolder(const std::string& relative) const {
  std::string full = At(relative);
  for (size_t slash = path.size() + 1; (slash = full.find('\\', slash)) != std::string::npos;
       ++slash)
    CreateDirectoryA(full.substr(0, slash).c_str(), nullptr);
  CreateDirectoryA(full.c_str(), nullptr);
  return full;
}

std::string TempFolder::Write(const std::string& relative, const std::string& bytes) const {
  size_t slash = relative.rfind('\\');
  if (slash != std::string::npos) MakeFolder(relative.substr(0, slash));
  WriteBytes(At(relative), bytes);
  return At(relative);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && written;
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return bytes;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  fclose(file);
  return bytes;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> NamesMatching(const std::string& pattern, bool folders) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE listing = FindFirstFileA(pattern.c_str(), &found);
  if (listing == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (name != "." && name != ".." && isFolder == folders) names.push_back(name);
  } while (FindNextFileA(listing, &found));
  FindClose(listing);
  return names;
}

void RemoveTree(const std::string& path) {
  for (bool folders : {false, true}) {
    for (const std::string& name : NamesMatching(path + "\\*", folders)) {
      std::string full = path + "\\" + name;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (folders)
        RemoveTree(full);
      else
        DeleteFileA(full.c_str());
    }
  }
  RemoveDirectoryA(path.c_str());
}
