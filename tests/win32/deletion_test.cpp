// Deletion of the marked files after one question, with the log
// <stamp>-del.log beside the program, on real files and a real list view.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "actions/deletion.h"
#include "actions_support.h"
#include "temp_dir.h"

namespace {

using DeletionTest = ActionsTest;

const char DeletionTitle[] = "gel\xF6schte Dateien von Velo-Parvik 1.0\r\n";
const char Question[] = "Markierte Dateien l\xF6schen?\nWirklich sicher?";

std::string OnlyDeletionLog() {
  std::vector<std::string> logs = DeletionLogs();
  EXPECT_EQ(logs.size(), 1u);
  return logs.empty() ? "" : logs[0];
}

std::string HeaderFor(const std::string& logName) {
  return DeletionTitle + SecondHeaderFor(logName.substr(0, 15)) + "\r\n";
}

void ExpectQuestion(const RecordedMessage& message) {
  ExpectMessage(message, Question, "Achtung!", MB_YESNO);
}

TEST_F(DeletionTest, DeletesOnlyTheMarkedFilesAfterYesAndLogsThem) {
  TempDir temp;
  std::vector<int32_t> group =
      ShowOneGroup({temp.Write("one\\clip.avi", "same"), temp.Write("two\\clip.avi", "same"),
                    temp.Write("three\\clip.avi", "same")},
                   4);
  int32_t first = group[0], second = group[1], third = group[2];
  SelectRow(1);  // a text row: never acted on
  SelectRow(4);  // two adjacent file rows
  SelectRow(5);

  DeleteMarkedFiles();

  ASSERT_EQ(recordedMessages.size(), 1u);
  ExpectQuestion(recordedMessages[0]);
  EXPECT_TRUE(FileExists(temp.At("one\\clip.avi")));
  EXPECT_FALSE(FileExists(temp.At("two\\clip.avi")));
  EXPECT_FALSE(FileExists(temp.At("three\\clip.avi")));
  std::string log = OnlyDeletionLog();
  EXPECT_EQ(log.size(), 23u);
  EXPECT_EQ(log.substr(15), "-del.log");
  EXPECT_EQ(ReadWholeFile(ProgramFolder() + log),
            HeaderFor(log) + FileRowOf(second) + "\r\n" + FileRowOf(third) + "\r\n");
  std::vector<ListRow> rows = ListedRows();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[1].text, "");
  EXPECT_EQ(rows[3].itemData, first);
  EXPECT_EQ(rows[4].text, "---");
}

TEST_F(DeletionTest, DecliningKeepsEveryFileAndLeavesAHeaderOnlyLog) {
  TempDir temp;
  int32_t entry = AddTableEntry(temp.Write("a.txt", "x"));
  ShowRows({{entry, FileRowOf(entry)}});
  SelectRow(0);

  QueueAnswer(IDNO);
  DeleteMarkedFiles();

  ASSERT_EQ(recordedMessages.size(), 1u);
  ExpectQuestion(recordedMessages[0]);
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
  EXPECT_EQ(ListedRows().size(), 1u);
  std::string log = OnlyDeletionLog();
  EXPECT_EQ(ReadWholeFile(ProgramFolder() + log), HeaderFor(log));
  // The log was closed: it can be removed at once.
  EXPECT_TRUE(DeleteFileA((ProgramFolder() + log).c_str()));
}

TEST_F(DeletionTest, WithNothingMarkedOrNoWindowTheLogIsWrittenAndTheQuestionAsked) {
  TempDir temp;
  int32_t entry = AddTableEntry(temp.Write("a.txt", "x"));
  ShowRows({{TextRow, "---"}, {entry, FileRowOf(entry)}});
  SelectRow(0);

  DeleteMarkedFiles();

  EXPECT_EQ(recordedMessages.size(), 1u);
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
  EXPECT_EQ(ListedRows().size(), 2u);
  std::string log = OnlyDeletionLog();
  EXPECT_EQ(ReadWholeFile(ProgramFolder() + log), HeaderFor(log));

  RemoveActionOutputs();
  DestroyTestResultsList();
  resultsWindow = nullptr;
  DeleteMarkedFiles();
  CreateTestResultsList();
  ASSERT_EQ(recordedMessages.size(), 2u);
  ExpectQuestion(recordedMessages[1]);
  log = OnlyDeletionLog();
  EXPECT_EQ(ReadWholeFile(ProgramFolder() + log), HeaderFor(log));
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
}

TEST_F(DeletionTest, ALogThatCannotBeCreatedIsReportedBeforeTheQuestion) {
  TempDir temp;
  MakeLogCreationFail();
  int32_t entry = AddTableEntry(temp.Write("a.txt", "x"));
  ShowRows({{entry, FileRowOf(entry)}});
  SelectRow(0);

  DeleteMarkedFiles();

  ASSERT_EQ(recordedMessages.size(), 2u);
  ExpectMessage(recordedMessages[0], "Kann Logdatei nicht anlegen", "Achtung!", MB_OK);
  ExpectQuestion(recordedMessages[1]);
  EXPECT_FALSE(FileExists(temp.At("a.txt")));
  EXPECT_TRUE(ListedRows().empty());
  EXPECT_TRUE(DeletionLogs().empty());
}

TEST_F(DeletionTest, FilesThatCannotBeDeletedKeepTheirRowsAndAreCounted) {
  TempDir temp;
  int32_t busy = AddTableEntry(temp.Write("busy.txt", "open"));
  int32_t locked = AddTableEntry(temp.Write("locked.txt", "read-only"));
  int32_t idle = AddTableEntry(temp.Write("idle.txt", "closed"));
  SetFileAttributesA(temp.At("locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  ShowRows({{busy, FileRowOf(busy)}, {locked, FileRowOf(locked)}, {idle, FileRowOf(idle)}});
  for (int row = 0; row < 3; ++row) SelectRow(row);
  {
    HeldOpenFile inUse(temp.At("busy.txt"));
    DeleteMarkedFiles();
  }

  ASSERT_EQ(recordedMessages.size(), 2u);
  ExpectQuestion(recordedMessages[0]);
  ExpectMessage(recordedMessages[1], "Kann 2 Datei(en) nicht l\xF6schen", "Fehler!", MB_OK);
  EXPECT_EQ(ReadWholeFile(temp.At("busy.txt")), "open");
  EXPECT_EQ(ReadWholeFile(temp.At("locked.txt")), "read-only");
  EXPECT_FALSE(FileExists(temp.At("idle.txt")));
  std::string log = OnlyDeletionLog();
  EXPECT_EQ(ReadWholeFile(ProgramFolder() + log), HeaderFor(log) + FileRowOf(idle) + "\r\n");
  std::vector<ListRow> rows = ListedRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].itemData, busy);
  EXPECT_EQ(rows[1].itemData, locked);
}

TEST_F(DeletionTest, ASecondDeletionInTheSameSecondGetsItsOwnLog) {
  TempDir temp;
  // Logs of earlier requests in this second and the next two.
  std::vector<std::string> earlier;
  for (int ahead = 0; ahead < 3; ++ahead) {
    earlier.push_back(StampFromNow(ahead) + "-del.log");
    WriteBytes(ProgramFolder() + earlier.back(), "earlier");
  }
  int32_t entry = AddTableEntry(temp.Write("a.txt", "x"));
  ShowRows({{entry, FileRowOf(entry)}});
  SelectRow(0);

  DeleteMarkedFiles();

  std::vector<std::string> added = NewNames(DeletionLogs(), earlier);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(DeletionLogs().size(), 4u);
  std::string stamp = added[0].substr(0, 15);
  EXPECT_EQ(added[0], stamp + "-del (2).log");
  EXPECT_NE(std::find(earlier.begin(), earlier.end(), stamp + "-del.log"), earlier.end());
  for (const std::string& log : earlier) EXPECT_EQ(ReadWholeFile(ProgramFolder() + log), "earlier");
  EXPECT_EQ(ReadWholeFile(ProgramFolder() + added[0]), HeaderFor(added[0]) + FileRowOf(entry) + "\r\n");
  EXPECT_FALSE(FileExists(temp.At("a.txt")));
}

}  // namespace
