// Marked files replaced by hard links to their kept copy, on real files and
// through refusals put into the file system calls.
#include <cstring>

#include "actions/hard_link.h"
#include "actions/protection.h"
#include "ui/action_messages.h"
#include "window_fixture.h"

namespace {

// "name<links> ..." for files of `temp`: a linked file and its kept copy share one count.
std::string Links(const TempFolder& temp, std::initializer_list<const char*> names) {
  std::string links;
  for (const char* name : names) {
    BY_HANDLE_FILE_INFORMATION info = {};
    HANDLE file = CreateFileA(temp.At(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    links += name + std::to_string(info.nNumberOfLinks) + " ";
  }
  return links;
}

// "changed" gets other bytes of the same size and its listed time back: only the bytes tell.
TEST_F(PageTest, OnlyFilesEqualByteForByteNowBecomeLinksAndTheRestStayAsTheyWere) {
  std::string kept = temp.Write("kept", "same");
  ASSERT_TRUE(CreateHardLinkA(temp.At("before").c_str(), kept.c_str(), nullptr));
  std::vector<int32_t> files = ShowOneGroup({kept, temp.Write("x\\linked", "same"), temp.Write("changed", "same"),
                                             temp.Write("readonly", "same"), temp.At("before")});
  FILETIME listed = {fileTable.entries[files[2]].lastWriteTime.low, fileTable.entries[files[2]].lastWriteTime.high};
  temp.Write("changed", "SAME");
  HANDLE file = CreateFileA(temp.At("changed").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFileTime(file, nullptr, nullptr, &listed);
  CloseHandle(file);
  SetFileAttributesA(temp.At("readonly").c_str(), FILE_ATTRIBUTE_READONLY);
  for (int row : {3, 4, 5, 6}) SelectRow(row);
  ReplaceMarkedByLinks();
  SetFileAttributesA(temp.At("readonly").c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_EQ(shownMessages.size(), 2u);
  EXPECT_EQ(shownMessages[0].substr(0, 42), "Achtung!|4 markierte Datei(en) mit 0.00 MB");
  EXPECT_NE(shownMessages[0].find("teilen sich die Dateien einer Gruppe einen Inhalt"), std::string::npos);
  EXPECT_EQ(shownMessages[1], "Fehler!|Kann 2 Datei(en) nicht durch Verkn\xFCpfungen ersetzen|0");
  EXPECT_EQ(Links(temp, {"kept", "x\\linked", "before", "changed", "readonly"}), "kept3 x\\linked3 before3 changed1 readonly1 ");
  std::vector<std::string> logs = NamesMatching(ProgramFolder() + "*-verknuepft.log", false);
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_NE(ReadWholeFile(ProgramFolder() + logs[0]).find(ListedFileRow(files[1]).substr(2) + "\r\n" + ListedFileRow(files[4]).substr(2) + "\r\n"), std::string::npos);
  EXPECT_EQ(ListedRows().size(), 5u);  // the two linked rows are gone
}

std::string protectedFolder;
bool Refuse(const char*, const char*) { return false; }

TEST_F(PageTest, RefusalsAndAFailedReplacementLeaveEveryFileAsItWas) {
  const struct { const char* name; void (*refuse)(); std::initializer_list<int> rows; const char* message; } cases[] = {
      {"other volume", [] { linkOps.sameNtfsVolume = Refuse; }, {3}, "Achtung!|1 Datei(en) liegen nicht auf demselben NTFS"},
      {"replace fails", [] { linkOps.replace = Refuse; }, {3}, "Fehler!|Kann 1 Datei(en) nicht durch"},
      {"every copy marked", [] {}, {2, 3}, "Achtung!|2 markierte Datei(en) haben kein unmarkiertes"},
      {"kept copy protected", [] { AddProtectedFolder(protectedFolder.c_str()); }, {3}, "Achtung!|1 markierte Datei(en) haben kein unmarkiertes"},
  };
  for (const auto& c : cases) {
    std::string name = c.name;
    PrepareResultsWindow(page);
    ShowOneGroup({temp.Write(name + "\\p\\kept", "same"), temp.Write(name + "\\m\\file", "same")});
    for (int row : c.rows) SelectRow(row);
    protectedFolder = temp.At(name + "\\p");
    shownMessages.clear();
    c.refuse();
    ReplaceMarkedByLinks();
    protectedFolders.count = 0;
    linkOps = systemLinkOps;
    EXPECT_EQ(shownMessages.back().substr(0, strlen(c.message)), c.message) << c.name;
    EXPECT_EQ(Links(temp, {(name + "\\p\\kept").c_str()}) + ReadWholeFile(temp.At(name + "\\m\\file")), name + "\\p\\kept1 same") << c.name;
    EXPECT_EQ(NamesMatching(temp.At(name + "\\m\\*"), false), std::vector<std::string>{"file"}) << c.name;
  }
}

}  // namespace
