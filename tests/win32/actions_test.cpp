#include <algorithm>

#include "actions/marked_names.h"
#include "actions/recycle_bin.h"
#include "ui/action_messages.h"
#include "window_fixture.h"

#include <shellapi.h>

namespace {

class MarkedFiles : public PageTest, public ::testing::WithParamInterface<bool> {
 protected:
  bool backup = GetParam();
  void Run() { backup ? BackupMarkedFiles() : DeleteMarkedFiles(); }
  std::string LogOf(const std::string& output) { return ProgramFolder() + (backup ? "BackUp\\" + output + "\\backup.log" : output); }
  std::string NewOutput(const Texts& before) {
    Texts added;
    for (const std::string& name : NamesMatching(ProgramFolder() + (backup ? "BackUp\\*" : "*-del*.log"), backup))
      if (std::find(before.begin(), before.end(), name) == before.end()) added.push_back(name);
    EXPECT_EQ(added.size(), 1u);
    return added.empty() ? "" : added[0];
  }
};

TEST_P(MarkedFiles, OnlyUnchangedMarkedFilesAreActedOnLoggedAndUnlistedUnderFreeNames) {
  CreateDirectoryA((ProgramFolder() + "BackUp").c_str(), nullptr);
  Texts earlier;
  ULARGE_INTEGER now;
  GetSystemTimeAsFileTime(reinterpret_cast<FILETIME*>(&now));
  for (CalendarTime local; earlier.size() < 10; now.QuadPart += 10000000) {
    FileTimeToLocalCalendar({now.LowPart, now.HighPart}, &local);
    earlier.push_back(StampOf(local).text + std::string(backup ? "" : "-del.log"));
    if (backup) CreateDirectoryA((ProgramFolder() + "BackUp\\" + earlier.back()).c_str(), nullptr);
    WriteBytes(LogOf(earlier.back()), "earlier");
  }
  Texts paths;
  for (const char* name : {"one\\Bild.jpg", "two\\Bild.jpg", "three\\BILD.jpg", "four\\backup.log", "busy", "grown", "touched", "aged"})
    paths.push_back(temp.Write(name, "same"));
  std::vector<int32_t> files = ShowOneGroup(paths);
  for (int row : {1, 3, 4, 5, 6, 7, 8, 9}) SelectRow(row);
  temp.Write("grown", "same!");
  for (int k : {5, 6, 7}) {
    HANDLE file = CreateFileA(paths[k].c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FileTime listed = fileTable.entries[files[k]].lastWriteTime;
    FILETIME time = {k == 6 ? listed.low ^ 0x00800000u : listed.low, k == 7 ? listed.high + 1 : listed.high};
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
  }
  HANDLE busy = CreateFileA(paths[4].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Run();
  CloseHandle(busy);
  std::string failed = backup ? "Fehler!|Kann 4 Datei(en) nicht verschieben|0" : "Fehler!|Kann 4 Datei(en) nicht l\xF6schen|0";
  EXPECT_EQ(shownMessages, backup ? Texts{failed} : (Texts{askDelete, failed}));
  std::string output = NewOutput(earlier), s = output.substr(0, 15);
  EXPECT_EQ(output, s + (backup ? " (2)" : "-del (2).log"));
  for (const std::string& name : earlier) EXPECT_EQ(ReadWholeFile(LogOf(name)), "earlier");
  std::string log = std::string(backup ? "verschobene" : "gel\xF6schte") + " Dateien von Velo-Parvik 1.0\r\nParvik 2.3, " + s.substr(0, 2) + "." +
                    s.substr(2, 2) + "." + s.substr(4, 4) + "  " + s.substr(9, 2) + ":" + s.substr(11, 2) + ":" + s.substr(13, 2) + "\r\n";
  for (int k : {1, 2, 3}) log += ListedFileRow(files[k]).substr(2) + "\r\n";
  EXPECT_EQ(ReadWholeFile(LogOf(output)), log);
  for (const char* kept : {"one\\Bild.jpg", "busy", "touched", "aged"}) EXPECT_EQ(ReadWholeFile(temp.At(kept)), "same");
  for (const char* gone : {"two\\Bild.jpg", "three\\BILD.jpg", "four\\backup.log"}) EXPECT_FALSE(FileExists(temp.At(gone)));
  for (const char* moved : {"Bild.jpg", "BILD (2).jpg", "backup (2).log"})
    EXPECT_EQ(ReadWholeFile(ProgramFolder() + "BackUp\\" + output + "\\" + moved), backup ? "same" : "") << moved;
  Texts rows = {"-1 end:0 sec", "-1 -- L\xE4nge:4 Byte --"};
  for (int k : {0, 4, 5, 6, 7}) rows.push_back(ListedFileRow(files[k]));
  EXPECT_EQ(ListedRows(), rows);
}

TEST_P(MarkedFiles, EveryCopyGoesOnlyAfterASecondYesAndAFileGoesOnlyWhileAnUnmarkedCopyIsAsListed) {
  for (int answer : {IDNO, IDCANCEL, IDYES}) {
    PrepareResultsWindow(page);
    shownMessages.clear();
    std::string n = std::to_string(yesNoCancelAnswer = answer);
    for (const char* group : {"c", "b", "a"}) ShowOneGroup({temp.Write(group + ("1-" + n), "same"), temp.Write(group + ("2-" + n), "same")});
    for (int row : {2, 3, 7, 11}) SelectRow(row);
    temp.Write("c1-" + n, "SAME");
    Run();
    std::string verb = backup ? "verschieben" : "l\xF6schen", messages = backup ? "" : askDelete + std::string(" ");
    messages += "Achtung!|1 Gruppe(n) w\xFCrden jede Kopie verlieren: alle ihre Dateien sind markiert.\n\nJa: auch diese Dateien " + verb +
                "\nNein: diese Gruppen behalten, die \xFC" "brigen markierten Dateien " + verb + "\nAbbrechen: nichts tun|307 ";
    if (answer != IDCANCEL) messages += "Fehler!|Kann 1 Datei(en) nicht " + verb + "|0 ";
    std::string shown, present;
    for (const std::string& message : shownMessages) shown += message + " ";
    EXPECT_EQ(shown, messages);
    for (const char* name : {"a1-", "a2-", "b1-", "b2-", "c1-", "c2-"}) present += FileExists(temp.At(name + n)) ? name : "";
    EXPECT_EQ(present, answer == IDYES ? "b1-c1-c2-" : answer == IDNO ? "a1-a2-b1-c1-c2-" : "a1-a2-b1-b2-c1-c2-") << answer;
  }
}

INSTANTIATE_TEST_SUITE_P(BackupAndDeletion, MarkedFiles, ::testing::Bool());

// "nuked" has a second hard link and is deleted for good by the double: it comes back.
TEST_F(PageTest, TheRecycleBinTakesMarkedFilesByTheDelKeyAndNeverDeletesOneItCannotTake) {
  const char* home = getenv("WINEHOMEDIR");
  std::string trash = (home ? home + 4 : "?") + std::string("\\.local\\share\\Trash\\"), name = "parvik-" + std::to_string(GetTickCount());
  static int (*shell)(SHFILEOPSTRUCTW*) = shellFileOperation;
  shellFileOperation = [](SHFILEOPSTRUCTW* op) { return wcsstr(op->pFrom, L"nuked") ? !DeleteFileW(op->pFrom) : wcsstr(op->pFrom, L"refused") ? 1 : shell(op); };
  std::vector<int32_t> files = ShowOneGroup({temp.Write("kept", "same"), temp.Write(name, "same")});
  ShowOneGroup({temp.Write("kept2", "same"), temp.Write("nuked", "same")});
  CreateHardLinkA(temp.At("nuked-link").c_str(), temp.At("nuked").c_str(), nullptr);
  ShowOneGroup({temp.Write("kept3", "same"), temp.Write("refused", "same")});
  for (int row : {3, 7, 11}) SelectRow(row);
  SendMessageA(resultsWindow, WM_KEYDOWN, VK_DELETE, 0);
  shellFileOperation = shell;
  EXPECT_EQ(shownMessages, (Texts{"Achtung!|3 markierte Datei(en) mit 0.00 MB in den Papierkorb legen?\nWirklich sicher?|4",
                                  "Fehler!|Kann 2 Datei(en) nicht in den Papierkorb legen|0"}));
  EXPECT_EQ(std::to_string(FileExists(temp.At(name))) + ReadWholeFile(trash + "files\\" + name) +
            std::to_string(FileExists(trash + "info\\" + name + ".trashinfo")), "0same1");
  EXPECT_EQ(ReadWholeFile(temp.At("nuked")) + ReadWholeFile(temp.At("refused")) +
            std::to_string(NamesMatching(temp.At("*keep*"), false).size() + ListedRows().size()), "samesame11");
  Texts logs = NamesMatching(ProgramFolder() + "*-papierkorb.log", false);
  std::string log = logs.size() == 1 ? ReadWholeFile(ProgramFolder() + logs[0]) : "";
  EXPECT_EQ(log.substr(0, 55) + log.substr(log.find("\r\n", 56)), "in den Papierkorb gelegte Dateien von Velo-Parvik 1.0\r\n\r\n" +
                                                                  ListedFileRow(files[1]).substr(2) + "\r\n");
  for (std::string left : {"files\\" + name, "info\\" + name + ".trashinfo"}) DeleteFileA((trash + left).c_str());
}

TEST_F(PageTest, ADeletionTheUserDeclinesDeletesNothing) {
  ShowOneGroup({temp.Write("a.txt", "x")});
  SelectRow(2);
  yesNoAnswer = IDNO;
  DeleteMarkedFiles();
  EXPECT_EQ(shownMessages, Texts{askDelete});
  EXPECT_EQ(ReadWholeFile(temp.At("a.txt")) + std::to_string(ListedRows().size()), "x3");
}

}
