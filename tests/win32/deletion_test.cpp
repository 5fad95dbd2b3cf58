// Deletion of the marked files after one question, with the log
// <stamp>-del.log beside the program, on real files and a real list view.
#include "actions/deletion.h"

#include <algorithm>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using DeletionTest = ActionsTest;

const RecordedMessage Question = {"Markierte Dateien l\xF6schen?\nWirklich sicher?", "Achtung!",
                                  MB_YESNO};

std::string LogText(const std::string& logName, const std::vector<int32_t>& deleted) {
  return "gel\xF6schte Dateien von Velo-Parvik 1.0\r\n" + SecondHeaderFor(logName) + "\r\n" +
         LoggedRows(deleted);
}

// The one deletion log beside the program is named <stamp>-del.log and lists these.
void ExpectOnlyLogListing(const std::vector<int32_t>& deleted) {
  std::vector<std::string> logs = DeletionLogs();
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(logs[0].size(), 23u);
  EXPECT_EQ(logs[0].substr(15), "-del.log");
  EXPECT_EQ(ReadWholeFile(ProgramFolder() + logs[0]), LogText(logs[0], deleted));
}

TEST_F(DeletionTest, DeletesOnlyTheMarkedFilesAfterYesAndLogsThem) {
  std::vector<int32_t> group =
      ShowOneGroup({temp.Write("one\\clip.avi", "same"), temp.Write("two\\clip.avi", "same"),
                    temp.Write("three\\clip.avi", "same")},
                   4);
  for (int row : {1, 4, 5}) SelectRow(row);  // a text row and two adjacent file rows

  DeleteMarkedFiles();

  ExpectMessages({Question});
  EXPECT_TRUE(FileExists(temp.At("one\\clip.avi")));
  EXPECT_FALSE(FileExists(temp.At("two\\clip.avi")));
  EXPECT_FALSE(FileExists(temp.At("three\\clip.avi")));
  ExpectOnlyLogListing({group[1], group[2]});
  ExpectRows({{TextRow, "end:0 sec"},
              {TextRow, ""},
              {TextRow, "-- L\xE4nge:4 Byte --"},
              {group[0], FileRowOf(group[0])},
              {TextRow, "---"}});
}

TEST_F(DeletionTest, DecliningKeepsEveryFileAndLeavesAHeaderOnlyLog) {
  ShowMarkedFiles({temp.Write("a.txt", "x")});

  QueueAnswer(IDNO);
  DeleteMarkedFiles();

  ExpectMessages({Question});
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
  EXPECT_EQ(ListedRows().size(), 1u);
  ExpectOnlyLogListing({});
  // The log was closed: it can be removed at once.
  EXPECT_TRUE(DeleteFileA((ProgramFolder() + DeletionLogs()[0]).c_str()));
}

TEST_F(DeletionTest, WithNothingMarkedOrNoWindowTheLogIsWrittenAndTheQuestionAsked) {
  int32_t entry = AddTableEntry(temp.Write("a.txt", "x"));
  ShowRows({{TextRow, "---"}, {entry, FileRowOf(entry)}});
  SelectRow(0);

  DeleteMarkedFiles();

  ExpectMessages({Question});
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
  EXPECT_EQ(ListedRows().size(), 2u);
  ExpectOnlyLogListing({});

  RemoveActionOutputs();
  WithoutResultsWindow(DeleteMarkedFiles);
  ExpectMessages({Question, Question});
  ExpectOnlyLogListing({});
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
}

TEST_F(DeletionTest, ALogThatCannotBeCreatedIsReportedBeforeTheQuestion) {
  MakeLogCreationFail();
  ShowMarkedFiles({temp.Write("a.txt", "x")});

  DeleteMarkedFiles();

  ExpectMessages({{"Kann Logdatei nicht anlegen", "Achtung!", MB_OK}, Question});
  EXPECT_FALSE(FileExists(temp.At("a.txt")));
  EXPECT_TRUE(ListedRows().empty());
  EXPECT_TRUE(DeletionLogs().empty());
}

TEST_F(DeletionTest, FilesThatCannotBeDeletedKeepTheirRowsAndAreCounted) {
  std::vector<int32_t> files =
      ShowMarkedFiles({temp.Write("busy.txt", "open"), temp.Write("locked.txt", "read-only"),
                       temp.Write("idle.txt", "closed")});
  SetFileAttributesA(temp.At("locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  {
    HeldOpenFile inUse(temp.At("busy.txt"));
    DeleteMarkedFiles();
  }

  ExpectMessages({Question, {"Kann 2 Datei(en) nicht l\xF6schen", "Fehler!", MB_OK}});
  EXPECT_EQ(ReadWholeFile(temp.At("busy.txt")), "open");
  EXPECT_EQ(ReadWholeFile(temp.At("locked.txt")), "read-only");
  EXPECT_FALSE(FileExists(temp.At("idle.txt")));
  ExpectOnlyLogListing({files[2]});
  ExpectRows({{files[0], FileRowOf(files[0])}, {files[1], FileRowOf(files[1])}});
}

TEST_F(DeletionTest, ASecondDeletionInTheSameSecondGetsItsOwnLog) {
  // Logs of earlier requests in this second and the next two.
  std::vector<std::string> earlier;
  for (int ahead = 0; ahead < 3; ++ahead) {
    earlier.push_back(StampFromNow(ahead) + "-del.log");
    WriteBytes(ProgramFolder() + earlier.back(), "earlier");
  }
  std::vector<int32_t> file = ShowMarkedFiles({temp.Write("a.txt", "x")});

  DeleteMarkedFiles();

  std::vector<std::string> added = NewNames(DeletionLogs(), earlier);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(DeletionLogs().size(), 4u);
  std::string stamp = added[0].substr(0, 15);
  EXPECT_EQ(added[0], stamp + "-del (2).log");
  EXPECT_NE(std::find(earlier.begin(), earlier.end(), stamp + "-del.log"), earlier.end());
  for (const std::string& log : earlier) EXPECT_EQ(ReadWholeFile(ProgramFolder() + log), "earlier");
  EXPECT_EQ(ReadWholeFile(ProgramFolder() + added[0]), LogText(added[0], file));
  EXPECT_FALSE(FileExists(temp.At("a.txt")));
}

}  // namespace
