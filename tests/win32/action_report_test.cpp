// The actions on their own, without a window: a plan in, a report out.
#include "actions/deletion.h"
#include "engine/path_store.h"
#include "window_fixture.h"

namespace {

int32_t AddEntry(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  FileEntry& entry = fileTable.entries[fileTable.count];
  entry.path = StorePath(path.c_str());
  entry.size = data.nFileSizeLow;
  entry.lastWriteTime = {data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime};
  return static_cast<int32_t>(fileTable.count++);
}

int changedRow;  // the row the list no longer shows as planned
bool ListedUnlessChanged(int row, int32_t) { return row != changedRow; }

// Group a keeps a1 and loses a2; a3 grew since the search. The list changed at b2.
TEST(ActionReport, DeletionNamesTheRowsItDealtWithCountsWhatStayedAndStopsWhereTheListChanged) {
  TempFolder temp;
  fileTable.count = 0;
  int32_t a1 = AddEntry(temp.Write("a1", "same")), a2 = AddEntry(temp.Write("a2", "same"));
  int32_t a3 = AddEntry(temp.Write("a3", "same")), b1 = AddEntry(temp.Write("b1", "same"));
  int32_t b2 = AddEntry(temp.Write("b2", "same"));
  temp.Write("a3", "same!");
  std::vector<ListedRow> rows = {{TextRow, false}, {a1, false}, {a2, true}, {a3, true},
                                 {TextRow, false}, {b1, false}, {b2, true}};
  for (int changed : {6, -1}) {
    changedRow = changed;
    ActionLog log;
    ASSERT_TRUE(OpenDeletionLog(rows, &log));
    ActionReport report = DeleteFiles(PlanMarkedRows(rows), &log, ListedUnlessChanged);
    std::string logged = ReadWholeFile(report.logPath);
    DeleteFileA(report.logPath);
    EXPECT_EQ(report.doneRows, changed == 6 ? std::vector<int>{2} : std::vector<int>{6}) << changed;
    EXPECT_EQ(report.stayed, changed == 6 ? 1 : 2);  // then a2 is gone, and stays
    EXPECT_TRUE(report.logCreated && log.file == nullptr);
    char row[RowTextSize];
    FormatFileRow(fileTable.entries[changed == 6 ? a2 : b2], row);
    EXPECT_EQ(logged.substr(logged.find("\r\n", logged.find("\r\n") + 2) + 2), std::string(row) + "\r\n");
  }
  EXPECT_EQ(FileExists(temp.At("a1")) + 2 * FileExists(temp.At("a2")) + 4 * FileExists(temp.At("b2")), 1);
}

}  // namespace
