// Backup of the marked files into BackUp\<stamp> beside the program, with
// backup.log, on real files and a real list view.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "actions/backup.h"
#include "actions_support.h"
#include "temp_dir.h"

namespace {

using BackupTest = ActionsTest;

const char BackupTitle[] = "verschobene Dateien von Velo-Parvik 1.0\r\n";

std::string OnlyRunFolder() {
  std::vector<std::string> runs = BackupRunFolders();
  EXPECT_EQ(runs.size(), 1u);
  return runs.empty() ? "" : ProgramFolder() + "BackUp\\" + runs[0];
}

std::string HeaderFor(const std::string& runFolder) {
  std::string stamp = runFolder.substr(runFolder.rfind('\\') + 1, 15);
  return BackupTitle + SecondHeaderFor(stamp) + "\r\n";
}

TEST_F(BackupTest, MovesOnlyTheMarkedFilesAndLogsTheirOldPaths) {
  TempDir temp;
  std::vector<int32_t> group =
      ShowOneGroup({temp.Write("one\\song.mp3", "same"), temp.Write("two\\song copy.mp3", "same"),
                    temp.Write("three\\song.old.mp3", "same")},
                   4);
  int32_t first = group[0], second = group[1], third = group[2];
  SelectRow(2);  // a text row: never acted on
  SelectRow(3);  // two adjacent file rows
  SelectRow(4);

  BackupMarkedFiles();

  std::string run = OnlyRunFolder();
  EXPECT_TRUE(recordedMessages.empty());
  EXPECT_EQ(ReadWholeFile(run + "\\song.mp3"), "same");
  EXPECT_EQ(ReadWholeFile(run + "\\song copy.mp3"), "same");
  EXPECT_FALSE(FileExists(temp.At("one\\song.mp3")));
  EXPECT_FALSE(FileExists(temp.At("two\\song copy.mp3")));
  EXPECT_TRUE(FileExists(temp.At("three\\song.old.mp3")));
  EXPECT_EQ(ReadWholeFile(run + "\\backup.log"),
            HeaderFor(run) + FileRowOf(first) + "\r\n" + FileRowOf(second) + "\r\n");
  std::vector<ListRow> rows = ListedRows();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[2].text, "-- L\xE4nge:4 Byte --");
  EXPECT_EQ(rows[3].itemData, third);
  EXPECT_EQ(rows[4].text, "---");
  // The table still names each file by the path it had.
  EXPECT_EQ(std::string(fileTable.entries[first].path), temp.At("one\\song.mp3"));
}

TEST_F(BackupTest, WithNothingMarkedOnlyARunFolderWithAHeaderOnlyLogAppears) {
  TempDir temp;
  int32_t file = AddTableEntry(temp.Write("a.txt", "x"));
  ShowRows({{TextRow, "---"}, {file, FileRowOf(file)}, {TextRow, "---"}});
  SelectRow(0);

  BackupMarkedFiles();

  std::string run = OnlyRunFolder();
  EXPECT_EQ(ReadWholeFile(run + "\\backup.log"), HeaderFor(run));
  EXPECT_EQ(FileNamesIn(run), std::vector<std::string>{"backup.log"});
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
  EXPECT_EQ(ListedRows().size(), 3u);

  // Without a results window there is no row to act on either.
  RemoveActionOutputs();
  DestroyTestResultsList();
  resultsWindow = nullptr;
  BackupMarkedFiles();
  CreateTestResultsList();
  run = OnlyRunFolder();
  EXPECT_EQ(ReadWholeFile(run + "\\backup.log"), HeaderFor(run));
  EXPECT_TRUE(recordedMessages.empty());
}

TEST_F(BackupTest, AnExistingBackUpFolderIsReusedAndKeepsEarlierRuns) {
  TempDir temp;
  std::string earlier = ProgramFolder() + "BackUp\\01012020-101010";
  CreateDirectoryA((ProgramFolder() + "BackUp").c_str(), nullptr);
  CreateDirectoryA(earlier.c_str(), nullptr);
  WriteBytes(earlier + "\\backup.log", "earlier");
  int32_t file = AddTableEntry(temp.Write("a.txt", "x"));
  ShowRows({{file, FileRowOf(file)}});
  SelectRow(0);

  BackupMarkedFiles();

  EXPECT_TRUE(recordedMessages.empty());
  EXPECT_EQ(BackupRunFolders().size(), 2u);
  EXPECT_EQ(ReadWholeFile(earlier + "\\backup.log"), "earlier");
  EXPECT_FALSE(FileExists(temp.At("a.txt")));
}

TEST_F(BackupTest, AFileNamedBackUpBesideTheProgramStopsTheRunUntouched) {
  TempDir temp;
  std::string blocker = ProgramFolder() + "BackUp";
  WriteBytes(blocker, "not a folder");
  int32_t entry = AddTableEntry(temp.Write("a.txt", "x"));
  ShowRows({{entry, FileRowOf(entry)}});
  SelectRow(0);

  BackupMarkedFiles();

  ASSERT_EQ(recordedMessages.size(), 1u);
  ExpectMessage(recordedMessages[0], "Kann BackUp-Verzeichnis nicht anlegen", "Fehler!", MB_OK);
  EXPECT_EQ(ReadWholeFile(blocker), "not a folder");
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
  EXPECT_EQ(ListedRows().size(), 1u);
}

TEST_F(BackupTest, ALogThatCannotBeCreatedAsksBeforeAnythingMoves) {
  TempDir temp;
  MakeLogCreationFail();
  int32_t entry = AddTableEntry(temp.Write("a.txt", "x"));
  ShowRows({{entry, FileRowOf(entry)}});
  SelectRow(0);

  QueueAnswer(IDNO);
  BackupMarkedFiles();

  ASSERT_EQ(recordedMessages.size(), 1u);
  ExpectMessage(recordedMessages[0], "Kann Logdatei nicht anlegen\nWeiter?", "Achtung!",
                MB_YESNO);
  EXPECT_TRUE(FileNamesIn(OnlyRunFolder()).empty());
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
  EXPECT_EQ(ListedRows().size(), 1u);

  RemoveActionOutputs();
  QueueAnswer(IDYES);
  BackupMarkedFiles();

  EXPECT_EQ(recordedMessages.size(), 2u);
  EXPECT_EQ(FileNamesIn(OnlyRunFolder()), std::vector<std::string>{"a.txt"});
  EXPECT_FALSE(FileExists(temp.At("a.txt")));
  EXPECT_TRUE(ListedRows().empty());
}

TEST_F(BackupTest, AFileThatCannotBeMovedKeepsItsRowAndIsCounted) {
  TempDir temp;
  int32_t busy = AddTableEntry(temp.Write("busy.txt", "open"));
  int32_t idle = AddTableEntry(temp.Write("free.txt", "closed"));
  ShowRows({{busy, FileRowOf(busy)}, {idle, FileRowOf(idle)}});
  SelectRow(0);
  SelectRow(1);
  {
    HeldOpenFile inUse(temp.At("busy.txt"));
    BackupMarkedFiles();
  }

  ASSERT_EQ(recordedMessages.size(), 1u);
  ExpectMessage(recordedMessages[0], "Kann 1 Datei(en) nicht verschieben", "Fehler!", MB_OK);
  std::string run = OnlyRunFolder();
  EXPECT_EQ(ReadWholeFile(temp.At("busy.txt")), "open");
  EXPECT_FALSE(FileExists(run + "\\busy.txt"));
  EXPECT_EQ(ReadWholeFile(run + "\\free.txt"), "closed");
  EXPECT_EQ(ReadWholeFile(run + "\\backup.log"), HeaderFor(run) + FileRowOf(idle) + "\r\n");
  std::vector<ListRow> rows = ListedRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].itemData, busy);
}

TEST_F(BackupTest, FilesOfTheSameNameAreNumberedAndNothingIsReplaced) {
  TempDir temp;
  int32_t first = AddTableEntry(temp.Write("one\\Bild.jpg", "first"));
  int32_t second = AddTableEntry(temp.Write("two\\Bild.jpg", "second"));
  int32_t third = AddTableEntry(temp.Write("three\\BILD.jpg", "third"));
  int32_t log = AddTableEntry(temp.Write("four\\backup.log", "a log of its own"));
  ShowRows({{first, FileRowOf(first)},
            {second, FileRowOf(second)},
            {third, FileRowOf(third)},
            {log, FileRowOf(log)}});
  for (int row = 0; row < 4; ++row) SelectRow(row);

  BackupMarkedFiles();

  EXPECT_TRUE(recordedMessages.empty());
  std::string run = OnlyRunFolder();
  EXPECT_EQ(ReadWholeFile(run + "\\Bild.jpg"), "first");
  EXPECT_EQ(ReadWholeFile(run + "\\Bild (2).jpg"), "second");
  EXPECT_EQ(ReadWholeFile(run + "\\BILD (3).jpg"), "third");
  EXPECT_EQ(ReadWholeFile(run + "\\backup (2).log"), "a log of its own");
  EXPECT_EQ(ReadWholeFile(run + "\\backup.log"), HeaderFor(run) + FileRowOf(first) + "\r\n" +
                                                     FileRowOf(second) + "\r\n" +
                                                     FileRowOf(third) + "\r\n" + FileRowOf(log) +
                                                     "\r\n");
  EXPECT_TRUE(ListedRows().empty());
}

TEST_F(BackupTest, ASecondRunInTheSameSecondGetsItsOwnFolder) {
  TempDir temp;
  // Earlier runs in this second and the next two, whichever the run meets.
  CreateDirectoryA((ProgramFolder() + "BackUp").c_str(), nullptr);
  std::vector<std::string> earlier;
  for (int ahead = 0; ahead < 3; ++ahead) {
    earlier.push_back(StampFromNow(ahead));
    std::string folder = ProgramFolder() + "BackUp\\" + earlier.back();
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteBytes(folder + "\\backup.log", "earlier");
  }
  int32_t entry = AddTableEntry(temp.Write("a.txt", "x"));
  ShowRows({{entry, FileRowOf(entry)}});
  SelectRow(0);

  BackupMarkedFiles();

  std::vector<std::string> added = NewNames(BackupRunFolders(), earlier);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(BackupRunFolders().size(), 4u);
  std::string stamp = added[0].substr(0, 15);
  EXPECT_EQ(added[0], stamp + " (2)");
  EXPECT_NE(std::find(earlier.begin(), earlier.end(), stamp), earlier.end());
  for (const std::string& run : earlier)
    EXPECT_EQ(ReadWholeFile(ProgramFolder() + "BackUp\\" + run + "\\backup.log"), "earlier");
  std::string folder = ProgramFolder() + "BackUp\\" + added[0];
  EXPECT_EQ(ReadWholeFile(folder + "\\a.txt"), "x");
  EXPECT_EQ(ReadWholeFile(folder + "\\backup.log"), HeaderFor(folder) + FileRowOf(entry) + "\r\n");
}

TEST_F(BackupTest, ATargetTooLongForAPathIsNotTriedAndCountsAsFailed) {
  // A short folder at the drive's root leaves room for a name that fits there
  // but not below BackUp\<stamp>.
  char shortFolder[MAX_PATH];
  snprintf(shortFolder, sizeof shortFolder, "C:\\pvl%lu", GetCurrentProcessId());
  CreateDirectoryA(shortFolder, nullptr);
  std::string longPath = std::string(shortFolder) + "\\";
  longPath += std::string(259 - longPath.size() - 4, 'n') + ".txt";
  WriteBytes(longPath, "");
  TempDir temp;
  int32_t tooLong = AddTableEntry(longPath);
  int32_t fits = AddTableEntry(temp.Write("fits.txt", "x"));
  ShowRows({{tooLong, FileRowOf(tooLong)}, {fits, FileRowOf(fits)}});
  SelectRow(0);
  SelectRow(1);

  BackupMarkedFiles();

  bool stayed = FileExists(longPath);
  RemoveTree(shortFolder);
  ASSERT_EQ(recordedMessages.size(), 1u);
  ExpectMessage(recordedMessages[0], "Kann 1 Datei(en) nicht verschieben", "Fehler!", MB_OK);
  EXPECT_TRUE(stayed);
  std::string run = OnlyRunFolder();
  EXPECT_EQ(FileNamesIn(run).size(), 2u);  // backup.log and fits.txt
  EXPECT_TRUE(FileExists(run + "\\fits.txt"));
  std::vector<ListRow> rows = ListedRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].itemData, tooLong);
}

}  // namespace
