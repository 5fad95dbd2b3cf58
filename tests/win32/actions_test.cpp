// What the marked rows are for, on real files and a real list view: backup
// into BackUp\<stamp> with backup.log, and deletion with <stamp>-del.log, one
// suite for both since they mirror each other; and the result log.
#include <algorithm>

#include "actions/backup.h"
#include "actions/deletion.h"
#include "actions/result_log.h"
#include "window_fixture.h"

namespace {

const RecordedMessage Question = {"Markierte Dateien l\xF6schen?\nWirklich sicher?", "Achtung!", MB_YESNO};

// Backup (true) or deletion (false).
class MarkedFiles : public ActionsTest, public ::testing::WithParamInterface<bool> {
 protected:
  bool backup = GetParam();
  void Run() { backup ? BackupMarkedFiles() : DeleteMarkedFiles(); }
  // Run folders in BackUp, or deletion logs beside the program.
  std::vector<std::string> Outputs() { return backup ? BackupRunFolders() : DeletionLogs(); }
  // The log of the one output that `before` lacks, checked against the files listed.
  void ExpectNewLog(const std::vector<std::string>& before, const std::vector<int32_t>& listed,
                    const std::string& suffix = "") {
    std::vector<std::string> added = NewNames(Outputs(), before);
    ASSERT_EQ(added.size(), 1u);
    std::string stamp = added[0].substr(0, 15);
    EXPECT_EQ(added[0], stamp + (backup ? suffix : "-del" + suffix + ".log"));
    std::string log = ProgramFolder() + (backup ? "BackUp\\" + added[0] + "\\backup.log" : added[0]);
    EXPECT_EQ(ReadWholeFile(log), std::string(backup ? "verschobene" : "gel\xF6schte") +
                                      " Dateien von Velo-Parvik 1.0\r\n" + SecondHeaderFor(stamp) +
                                      "\r\n" + LoggedRows(listed));
    if (backup) run = ProgramFolder() + "BackUp\\" + added[0] + "\\";
  }
  std::string run;  // the backup's run folder
};

TEST_P(MarkedFiles, OnlyMarkedFileRowsAreActedOnLoggedAndRemovedFromTheList) {
  std::vector<int32_t> group = ShowOneGroup({temp.Write("one\\Bild.jpg", "same"), temp.Write("two\\Bild.jpg", "same"),
                                             temp.Write("three\\BILD.jpg", "same"), temp.Write("four\\backup.log", "same")}, 4);
  for (int row : {2, 4, 5, 6}) SelectRow(row);  // a text row and three adjacent file rows
  if (!backup) QueueAnswer(IDYES);
  Run();
  EXPECT_EQ(recordedMessages.size(), backup ? 0u : 1u);
  ExpectNewLog({}, {group[1], group[2], group[3]});
  EXPECT_TRUE(FileExists(temp.At("one\\Bild.jpg")));
  for (const char* gone : {"two\\Bild.jpg", "three\\BILD.jpg", "four\\backup.log"}) EXPECT_FALSE(FileExists(temp.At(gone)));
  // Moved files of one name are numbered; nothing is replaced.
  if (backup) {
    EXPECT_EQ(ReadWholeFile(run + "Bild.jpg"), "same");
    EXPECT_EQ(ReadWholeFile(run + "BILD (2).jpg"), "same");
    EXPECT_EQ(ReadWholeFile(run + "backup (2).log"), "same");
  }
  ExpectRows({{TextRow, "end:0 sec"}, {TextRow, ""}, {TextRow, "-- L\xE4nge:4 Byte --"},
              {group[0], FileRowOf(group[0])}, {TextRow, "---"}});
}

TEST_P(MarkedFiles, FilesThatCannotBeActedOnKeepTheirRowsAndAreCounted) {
  std::vector<int32_t> files = ShowMarkedFiles({temp.Write("busy.txt", "open"), temp.Write("idle.txt", "closed")});
  {
    HeldOpenFile inUse(temp.At("busy.txt"));
    Run();
  }
  ExpectMessages(backup ? std::vector<RecordedMessage>{{"Kann 1 Datei(en) nicht verschieben", "Fehler!", MB_OK}}
                        : std::vector<RecordedMessage>{Question, {"Kann 1 Datei(en) nicht l\xF6schen", "Fehler!", MB_OK}});
  EXPECT_EQ(ReadWholeFile(temp.At("busy.txt")), "open");
  EXPECT_FALSE(FileExists(temp.At("idle.txt")));
  ExpectNewLog({}, {files[1]});
  ExpectRows({{files[0], FileRowOf(files[0])}});
}

TEST_P(MarkedFiles, ASecondRunInTheSameSecondGetsItsOwnNameAndLeavesTheEarlierOnes) {
  CreateDirectoryA((ProgramFolder() + "BackUp").c_str(), nullptr);
  std::vector<std::string> earlier;  // in this second and the next two, whichever the run meets
  for (int ahead = 0; ahead < 3; ++ahead) {
    std::string stamp = StampFromNow(ahead);
    earlier.push_back(backup ? stamp : stamp + "-del.log");
    std::string log = ProgramFolder() + (backup ? "BackUp\\" + stamp : stamp + "-del.log");
    if (backup) CreateDirectoryA(log.c_str(), nullptr), log += "\\backup.log";
    WriteBytes(log, "earlier");
  }
  std::vector<int32_t> file = ShowMarkedFiles({temp.Write("a.txt", "x")});
  Run();
  ExpectNewLog(earlier, file, " (2)");
  EXPECT_EQ(Outputs().size(), 4u);
  for (const std::string& name : earlier)
    EXPECT_EQ(ReadWholeFile(ProgramFolder() + (backup ? "BackUp\\" + name + "\\backup.log" : name)), "earlier");
  EXPECT_FALSE(FileExists(temp.At("a.txt")));
}

TEST_P(MarkedFiles, DecliningOrALogThatCannotBeCreatedAsksFirstAndThenNothingIsLost) {
  ShowMarkedFiles({temp.Write("a.txt", "x")});
  if (backup) MakeLogCreationFail();
  QueueAnswer(IDNO);
  Run();
  ExpectMessages({backup ? RecordedMessage{"Kann Logdatei nicht anlegen\nWeiter?", "Achtung!", MB_YESNO} : Question});
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
  EXPECT_EQ(ListedRows().size(), 1u);
  if (!backup) ExpectNewLog({}, {});  // the declined deletion leaves a header-only log
  RemoveActionOutputs();
  MakeLogCreationFail();
  Run();  // answered Yes
  if (!backup) ExpectMessages({Question, {"Kann Logdatei nicht anlegen", "Achtung!", MB_OK}, Question});
  EXPECT_FALSE(FileExists(temp.At("a.txt")));
  EXPECT_TRUE(ListedRows().empty());
}

INSTANTIATE_TEST_SUITE_P(BackupAndDeletion, MarkedFiles, ::testing::Bool());

TEST_F(ActionsTest, ABackUpFileBesideTheProgramStopsTheBackupUntouched) {
  WriteBytes(ProgramFolder() + "BackUp", "not a folder");
  ShowMarkedFiles({temp.Write("a.txt", "x")});
  BackupMarkedFiles();
  ExpectMessages({{"Kann BackUp-Verzeichnis nicht anlegen", "Fehler!", MB_OK}});
  EXPECT_EQ(ReadWholeFile(ProgramFolder() + "BackUp"), "not a folder");
  EXPECT_TRUE(FileExists(temp.At("a.txt")));
}

TEST_F(ActionsTest, TheResultLogHoldsEveryRowTopFirstCutTo259BytesEndedByALoneCr) {
  std::string log = temp.Write("Parvik.LOG", std::string(5000, 'o'));
  std::string longRow = "file:" + std::string(320, 'x');
  ShowRows({{TextRow, "end:3 sec"}, {TextRow, ""}, {TextRow, "-- L\xE4nge:12 Byte --"}, {1, longRow}, {TextRow, "row\ttext"}});
  WriteResultLog(log.c_str());
  EXPECT_EQ(ReadWholeFile(log), "end:3 sec\r\r-- L\xE4nge:12 Byte --\r" + longRow.substr(0, 259) + "\rrow\ttext\r");
  WithoutResultsWindow([&] { WriteResultLog(log.c_str()); });
  EXPECT_EQ(ReadWholeFile(log), "");
  EXPECT_TRUE(recordedMessages.empty());
  // A log that cannot be written is reported and keeps what it held.
  WriteBytes(log, "previous run\r");
  {
    HeldOpenFile inUse(log);
    WriteResultLog(log.c_str());
  }
  ExpectMessages({{"Kann Logdatei nicht schreiben", "Fehler!", MB_OK}});
  EXPECT_EQ(ReadWholeFile(log), "previous run\r");
}

}  // namespace
