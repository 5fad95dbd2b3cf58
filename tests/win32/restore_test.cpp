// A Backup run put back from the main page: its origin list, a path taken
// again, a folder to create, a second pass, and a run without a list.
#include "res/resource.h"
#include "ui/restore_run.h"
#include "window_fixture.h"

namespace {

std::string pickedFolder;

TEST_F(PageTest, ABackupRunGoesBackWhereItsPathsAreFreeAndItsFolderGoesWithTheLastFile) {
  auto browser = pickRunFolder;
  pickRunFolder = [](HWND, char (&folder)[MaxPathBytes]) { return snprintf(folder, MaxPathBytes, "%s", pickedFolder.c_str()) > 0; };
  ShowOneGroup({temp.Write("keep", "same"), temp.Write("a\\x", "same"), temp.Write("b\\x", "same"), temp.Write("c\\d\\y", "same"),
                temp.Write("z", "same")});
  for (int row : {3, 4, 5, 6}) SelectRow(row);
  Click(page, IDC_BACKUP);
  Texts runs = BackupRuns();
  ASSERT_EQ(runs.size(), 1u);
  pickedFolder = ProgramFolder() + "BackUp\\" + runs[0];
  temp.Write("b\\x", "taken again");
  WriteBytes(pickedFolder + "\\z", "SAME");  // changed since the backup
  RemoveTree(temp.At("c"));
  Click(page, IDC_RESTORE);
  ASSERT_EQ(shownMessages.size(), 3u);
  EXPECT_EQ(shownMessages[0].substr(0, 53), "Achtung!|4 Datei(en) mit 0.00 MB an ihren alten Platz");
  EXPECT_EQ(shownMessages[1].substr(0, 37) + shownMessages[2], "Fehler!|Kann 2 Datei(en) nicht zur\xFC" "ckParvik|2 Datei(en) zur\xFC" "ckgelegt.|0");
  EXPECT_EQ(ReadWholeFile(temp.At("a\\x")) + ReadWholeFile(temp.At("c\\d\\y")) + ReadWholeFile(temp.At("b\\x")), "samesametaken again");
  std::string log = ReadWholeFile(pickedFolder + "\\wiederhergestellt.log");
  EXPECT_NE(log.find("geblieben: x (2) -> " + temp.At("b\\x") + " (der Pfad ist wieder belegt)\r\n"), std::string::npos) << log;
  DeleteFileA(temp.At("b\\x").c_str());
  DeleteFileA((pickedFolder + "\\z").c_str());
  Click(page, IDC_RESTORE);  // the second pass takes what is left, and the folder goes
  EXPECT_EQ(shownMessages.back(), "Parvik|1 Datei(en) zur\xFC" "ckgelegt.\nDer leere Backup-Ordner ist entfernt.|0");
  EXPECT_EQ(ReadWholeFile(temp.At("b\\x")), "same");
  EXPECT_FALSE(FileExists(pickedFolder));
  pickedFolder = temp.At("old run");  // made before there were lists
  temp.Write("old run\\z", "z");
  Click(page, IDC_RESTORE);
  EXPECT_EQ(shownMessages.back().substr(0, 44), "Achtung!|Der Ordner hat keine Herkunftsliste");
  EXPECT_EQ(ReadWholeFile(temp.At("old run\\z")), "z");
  pickRunFolder = browser;
}

}  // namespace
