// Backup of the marked files into BackUp\<stamp> beside the program, with
// backup.log, on real files and a real list view.
#include "actions/backup.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using BackupTest = ActionsTest;

std::string OnlyRunFolder() {
  std::vector<std::string> runs = BackupRunFolders();
  EXPECT_EQ(runs.size(), 1u);
  return runs.empty() ? "" : ProgramFolder() + "BackUp\\" + runs[0];
}

std::vector<std::string> FilesIn(const std::string& folder) {
  return NamesMatching(folder + "\\*", false);
}

// The backup.log of `runFolder` listing these table entries.
std::string LogFor(const std::string& runFolder, const std::vector<int32_t>& moved) {
  std::string stamp = runFolder.substr(runFolder.rfind('\\') + 1, 15);
  return "verschobene Dateien von Velo-Parvik 1.0\r\n" + SecondHeaderFor(stamp) + "\r\n" +
         LoggedRows(moved);
}

TEST_F(BackupTest, MovesOnlyTheMarkedFilesAndLogsTheirOldPaths) {
  std::vector<int32_t> group =
      ShowOneGroup({temp.Write("one\\song.mp3", "same"), temp.Write("two\\song copy.mp3", "same"),
                    temp.Write("three\\song.old.mp3", "same")},
                   4);
  for (int row : {2, 3, 4}) SelectRow(row);  // a text row and two adjacent file rows

  BackupMarkedFiles();

  std::string run = OnlyRunFolder();
  EXPECT_TRUE(recordedMessages.empty());
  EXPECT_EQ(ReadWholeFile(run + "\\song.mp3"), "same");
  EXPECT_EQ(ReadWholeFile(run + "\\song copy.mp3"), "same");
  EXPECT_FALSE(FileExists(temp.At("one\\song.mp3")));
  EXPECT_FALSE(FileExists(temp.At("two\\song copy.mp3")));
  EXPECT_TRUE(FileExists(temp.At("three\\song.old.mp3")));
  EXPECT_EQ(ReadWholeFile(run + "\\backup.log"), LogFor(run, {group[0], group[1]}));
  ExpectRows({{TextRow, "end:0 sec"},
              {TextRow, ""},
              {TextRow, "-- L\xE4nge:4 Byte --"},
              {group[2], FileRowOf(group[2])},
              {TextRow, "---"}});
  // The table still names each file by the path it had.
  EXPECT_EQ(std::string(fileTable.entries[group[0]].path), temp.At("one\\song.mp3"));
}

TEST_F(BackupTest, WithNothingMarkedOrNoWindowOnlyARunFolderWithAHeaderOnlyLogAppears) {
  int32_t file = AddTableEntry(temp.Write("a.txt", "x"));
  ShowRows({{TextRow, "---"}, {file, FileRowOf(file)}, {TextRow, "---"}});
  SelectRow(0);

  BackupMarkedFiles();

  std::string run = OnlyRunFolder();
  EXPECT_EQ(ReadWholeFile(run + "\\backup.log"), LogFor(run, {}));
  EXPECT_EQ(FilesIn(run), std::vector<std::string>{"backup.log"});
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
  EXPECT_EQ(ListedRows().size(), 3u);

  RemoveActionOutputs();
  WithoutResultsWindow(BackupMarkedFiles);
  run = OnlyRunFolder();
  EXPECT_EQ(ReadWholeFile(run + "\\backup.log"), LogFor(run, {}));
  EXPECT_TRUE(recordedMessages.empty());
}

TEST_F(BackupTest, AFileNamedBackUpBesideTheProgramStopsTheRunUntouched) {
  std::string blocker = ProgramFolder() + "BackUp";
  WriteBytes(blocker, "not a folder");
  ShowMarkedFiles({temp.Write("a.txt", "x")});

  BackupMarkedFiles();

  ExpectMessages({{"Kann BackUp-Verzeichnis nicht anlegen", "Fehler!", MB_OK}});
  EXPECT_EQ(ReadWholeFile(blocker), "not a folder");
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
  EXPECT_EQ(ListedRows().size(), 1u);
}

TEST_F(BackupTest, ALogThatCannotBeCreatedAsksBeforeAnythingMoves) {
  MakeLogCreationFail();
  ShowMarkedFiles({temp.Write("a.txt", "x")});

  QueueAnswer(IDNO);
  BackupMarkedFiles();

  ExpectMessages({{"Kann Logdatei nicht anlegen\nWeiter?", "Achtung!", MB_YESNO}});
  EXPECT_TRUE(FilesIn(OnlyRunFolder()).empty());
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
  EXPECT_EQ(ListedRows().size(), 1u);

  RemoveActionOutputs();
  QueueAnswer(IDYES);
  BackupMarkedFiles();

  EXPECT_EQ(recordedMessages.size(), 2u);
  EXPECT_EQ(FilesIn(OnlyRunFolder()), std::vector<std::string>{"a.txt"});
  EXPECT_FALSE(FileExists(temp.At("a.txt")));
  EXPECT_TRUE(ListedRows().empty());
}

TEST_F(BackupTest, AFileThatCannotBeMovedKeepsItsRowAndIsCounted) {
  std::vector<int32_t> files =
      ShowMarkedFiles({temp.Write("busy.txt", "open"), temp.Write("free.txt", "closed")});
  {
    HeldOpenFile inUse(temp.At("busy.txt"));
    BackupMarkedFiles();
  }

  ExpectMessages({{"Kann 1 Datei(en) nicht verschieben", "Fehler!", MB_OK}});
  std::string run = OnlyRunFolder();
  EXPECT_EQ(ReadWholeFile(temp.At("busy.txt")), "open");
  EXPECT_FALSE(FileExists(run + "\\busy.txt"));
  EXPECT_EQ(ReadWholeFile(run + "\\free.txt"), "closed");
  EXPECT_EQ(ReadWholeFile(run + "\\backup.log"), LogFor(run, {files[1]}));
  ExpectRows({{files[0], FileRowOf(files[0])}});
}

TEST_F(BackupTest, FilesOfTheSameNameAreNumberedAndNothingIsReplaced) {
  std::vector<int32_t> files = ShowMarkedFiles(
      {temp.Write("one\\Bild.jpg", "first"), temp.Write("two\\Bild.jpg", "second"),
       temp.Write("three\\BILD.jpg", "third"), temp.Write("four\\backup.log", "a log of its own")});

  BackupMarkedFiles();

  EXPECT_TRUE(recordedMessages.empty());
  std::string run = OnlyRunFolder();
  EXPECT_EQ(ReadWholeFile(run + "\\Bild.jpg"), "first");
  EXPECT_EQ(ReadWholeFile(run + "\\Bild (2).jpg"), "second");
  EXPECT_EQ(ReadWholeFile(run + "\\BILD (3).jpg"), "third");
  EXPECT_EQ(ReadWholeFile(run + "\\backup (2).log"), "a log of its own");
  EXPECT_EQ(ReadWholeFile(run + "\\backup.log"), LogFor(run, files));
  EXPECT_TRUE(ListedRows().empty());
}

// Also covers a BackUp folder that exists already: its earlier runs stay.
TEST_F(BackupTest, ASecondRunInTheSameSecondGetsItsOwnFolder) {
  // Earlier runs in this second and the next two, whichever the run meets.
  CreateDirectoryA((ProgramFolder() + "BackUp").c_str(), nullptr);
  std::vector<std::string> earlier;
  for (int ahead = 0; ahead < 3; ++ahead) {
    earlier.push_back(StampFromNow(ahead));
    std::string folder = ProgramFolder() + "BackUp\\" + earlier.back();
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteBytes(folder + "\\backup.log", "earlier");
  }
  std::vector<int32_t> file = ShowMarkedFiles({temp.Write("a.txt", "x")});

  BackupMarkedFiles();

  EXPECT_TRUE(recordedMessages.empty());
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
  EXPECT_EQ(ReadWholeFile(folder + "\\backup.log"), LogFor(folder, file));
  EXPECT_FALSE(FileExists(temp.At("a.txt")));
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
  std::vector<int32_t> files = ShowMarkedFiles({longPath, temp.Write("fits.txt", "x")});

  BackupMarkedFiles();

  bool stayed = FileExists(longPath);
  RemoveTree(shortFolder);
  ExpectMessages({{"Kann 1 Datei(en) nicht verschieben", "Fehler!", MB_OK}});
  EXPECT_TRUE(stayed);
  std::string run = OnlyRunFolder();
  EXPECT_EQ(FilesIn(run).size(), 2u);  // backup.log and fits.txt
  EXPECT_TRUE(FileExists(run + "\\fits.txt"));
  ExpectRows({{files[0], FileRowOf(files[0])}});
}

}  // namespace
