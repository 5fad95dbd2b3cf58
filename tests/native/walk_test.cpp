// The folder walk on trees a real drive holds: links, loops, random shapes, deep nesting.
#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "engine/scan.h"
#include "engine/search.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "engine_fixture.h"
#include "platform/platform.h"
#include "platform/wildcard.h"

namespace {

namespace fs = std::filesystem;

struct Walk : enginetest::EngineTest {
  std::string Scanned(const std::string& root, bool (*identity)(const char*, FolderIdentity*) = nullptr) {
    Restart();
    if (identity) platform.folderIdentity = identity;
    ScanDirectory(root.c_str());
    std::string paths;
    for (uint32_t i = 0; i < fileTable.count; i++) paths += std::string(Entry(i).path + root.size() + 1) + " ";
    return paths + std::to_string(searchState.skippedFolders);
  }
};

bool UpperFirst(const std::string& a, const std::string& b) {
  std::string x = a, y = b;
  for (char& c : x) c = AsciiUpper(c);
  for (char& c : y) c = AsciiUpper(c);
  return x < y;
}

// The walk as a plain recursion: files matching the filter, then real subfolders, by name.
void Reference(const fs::path& folder, const std::string& prefix, std::string* paths) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end(), UpperFirst);
  for (const std::string& name : names)
    if (fs::is_regular_file(fs::symlink_status(folder / name)) && MatchesWildcard(settings.currentFilter, name.c_str()))
      *paths += prefix + name + " ";
  for (const std::string& name : names)
    if (fs::is_directory(fs::symlink_status(folder / name))) Reference(folder / name, prefix + name + "/", paths);
}

// A folder link (inside the tree, outside it, back up) and a file link are not followed; a
// broken link is no file either. A source that is itself a link is searched. Nothing is left out.
TEST_F(Walk, LinksAreNotFollowedAndEveryFileIsListedOnceUnderItsRealPath) {
  TempFolder outside;
  outside.Write("far.txt", "1");
  for (const char* name : {"a.txt", "real/b.txt", "real/deep/c.txt"}) temp.Write(name, "1");
  const char* links[][2] = {{"real", "again"}, {outside.path.c_str(), "out"}, {"..", "real/up"}, {"a.txt", "a-link.txt"}, {"gone", "broken"}};
  for (auto& link : links) ASSERT_EQ(symlink(link[0], temp.At(link[1]).c_str()), 0);
  ASSERT_EQ(symlink(temp.path.c_str(), outside.At("tree").c_str()), 0);
  for (const char* filter : {"*.*", "*.txt"}) {
    CopyText(settings.currentFilter, sizeof settings.currentFilter, filter);
    EXPECT_EQ(Scanned(temp.path), "a.txt real/b.txt real/deep/c.txt 0") << filter;
    EXPECT_EQ(Scanned(outside.At("tree")), "a.txt real/b.txt real/deep/c.txt 0") << filter;
  }
}

// A folder met again below itself (a loop the file system makes, as a bind mount does) is
// not walked twice; one whose identity is unknown is walked.
TEST_F(Walk, AFolderMetAgainBelowItselfIsNotWalkedTwice) {
  for (const char* name : {"x.txt", "sub/y.txt", "sub/loop/z.txt"}) temp.Write(name, "1");
  EXPECT_EQ(Scanned(temp.path, [](const char* path, FolderIdentity* identity) {
              return *identity = {1, strstr(path, "/sub/") && !strstr(path, "/loop/") ? 2u : 1u}, true;
            }), "x.txt sub/y.txt 0");
  EXPECT_EQ(Scanned(temp.path, [](const char*, FolderIdentity* identity) { return *identity = {1, 0}, true; }),
            "x.txt sub/y.txt sub/loop/z.txt 0");
}

// Random trees: the order of the listing is the plain recursion's, with one listing per
// folder ("*.*") and with two.
TEST_F(Walk, RandomTreesListAsThePlainRecursionDoes) {
  std::mt19937 random(20);
  const char* names[] = {"a", "B", "c.txt", "D.TXT", "e.t", "_", "a b", "\xC3\xA4"};
  for (int round = 0; round < 40; round++) {
    TempFolder tree;
    std::vector<std::string> folders = {""};
    for (int k = random() % 60; k > 0; k--) {
      std::string at = folders[random() % folders.size()] + names[random() % 8];
      if (fs::exists(tree.At(at))) continue;
      if (random() % 3 == 0) folders.push_back(tree.MakeFolder(at).substr(tree.path.size() + 1) + "/");
      else tree.Write(at, "1");
    }
    for (const char* filter : {"*.*", "*.txt", "?"}) {
      CopyText(settings.currentFilter, sizeof settings.currentFilter, filter);
      std::string expected;
      Reference(tree.path, "", &expected);
      ASSERT_EQ(Scanned(tree.path), expected + "0") << round << " " << filter;
    }
  }
}

void* ScanOnSmallStack(void* root) {
  ScanDirectory(static_cast<const char*>(root));
  return nullptr;
}

// The walk keeps its own stack: 1,000 nested folders on a thread with 64 KiB of stack.
TEST_F(Walk, DeepTreesNeedNoLargeThreadStack) {
  std::string deep = temp.path;
  for (int level = 0; level < 1000; level++) ASSERT_EQ(mkdir((deep += "/d").c_str(), 0700), 0);
  temp.Write(deep.substr(temp.path.size() + 1) + "/x", "1");
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 64 * 1024);
  pthread_t thread;
  Restart();
  ASSERT_EQ(pthread_create(&thread, &attributes, ScanOnSmallStack, const_cast<char*>(temp.path.c_str())), 0);
  pthread_join(thread, nullptr);
  ASSERT_EQ(fileTable.count, 1u);
  EXPECT_EQ(Entry(0).path, deep + "/x");
}

}  // namespace
