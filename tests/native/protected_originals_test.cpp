// Files in protected folders are the originals: a marking rule that keeps one
// file per group keeps them instead, and marks every other copy.
#include <gtest/gtest.h>

#include "actions/protection.h"
#include "engine/path_store.h"
#include "ui/marking_rules.h"

namespace {

// Group a: its oldest (7) and newest (6) lie elsewhere. Group b: two protected
// files, one below the other. Group c: none protected. Group d: only protected ones.
TEST(MarkingRules, AGroupWithProtectedFilesKeepsThemAndMarksEveryOtherCopy) {
  ASSERT_TRUE(fileTable.entries || CreateFileTable());
  const struct { int32_t index; const char* path; uint32_t time; } files[] = {
      {8, "/o/k/a", 10}, {7, "/o/x/a", 5}, {6, "/o/y/a", 40}, {5, "/o/k/b", 1}, {4, "/o/k/sub/b", 9},
      {3, "/o/x/b", 3},  {2, "/o/x/c", 9}, {1, "/o/y/c", 2},  {0, "/o/z/c", 5}, {10, "/o/k/d1", 1}, {9, "/o/k/d2", 2}};
  for (const auto& f : files) {
    fileTable.entries[f.index].path = StorePath(f.path);
    fileTable.entries[f.index].lastWriteTime = {0, f.time};
  }
  protectedFolders.count = 0;
  ASSERT_EQ(ProtectFolderOf("/o/k/a"), ProtectResult::Added);
  const std::vector<int32_t> data = {TextRow, 8, 7, 6, TextRow, 5, 4, 3, TextRow, 2, 1, 0, TextRow, 10, 9};
  const struct { const char* name; MarkRule rule; const char* marks; } cases[] = {
      {"all duplicates", MarkRule::Duplicates, "001100010110000"},
      {"all but the newest", MarkRule::AllButNewest, "001100010011000"},
      {"all but the oldest", MarkRule::AllButOldest, "001100010101000"}};
  for (const auto& c : cases) {
    RowMarks rows = {data, std::vector<char>(data.size(), 1)};
    ApplyMarkRule(c.rule, -1, &rows);
    std::string marks;
    for (char selected : rows.selected) marks += selected ? '1' : '0';
    EXPECT_EQ(marks, c.marks) << c.name;
  }
  protectedFolders.count = 0;
}

}  // namespace
