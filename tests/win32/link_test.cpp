// Marked files replaced by hard links to their kept copy, on real files and
// through refusals put into the file system calls.
#include "actions/hard_link.h"
#include "actions/protection.h"
#include "ui/action_messages.h"
#include "window_fixture.h"

namespace {

struct Link : PageTest {
  void TearDown() override {
    linkOps = systemLinkOps;
    for (const std::string& log : NamesMatching(ProgramFolder() + "*-verknuepft*.log", false)) DeleteFileA((ProgramFolder() + log).c_str());
    PageTest::TearDown();
  }
  // Marks the rows of the files given by their place in the group (0 is the top file).
  void Mark(std::initializer_list<int> files) {
    for (int k : files) SelectRow(2 + k);
  }
};

BY_HANDLE_FILE_INFORMATION Identity(const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info = {};
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  return info;
}

bool SameFile(const std::string& a, const std::string& b) {
  return Identity(a).nFileIndexLow == Identity(b).nFileIndexLow && Identity(a).nFileIndexHigh == Identity(b).nFileIndexHigh;
}

// "changed" gets other bytes of the same size and its listed time back: only the bytes tell.
TEST_F(Link, OnlyFilesEqualByteForByteNowBecomeLinksAndTheRestStayAsTheyWere) {
  std::string kept = temp.Write("kept", "same"), linked = temp.Write("x\\linked", "same");
  ASSERT_TRUE(CreateHardLinkA(temp.At("before").c_str(), kept.c_str(), nullptr));
  std::vector<int32_t> files = ShowOneGroup({kept, linked, temp.Write("changed", "same"), temp.Write("readonly", "same"), temp.At("before")});
  FILETIME listed = {fileTable.entries[files[2]].lastWriteTime.low, fileTable.entries[files[2]].lastWriteTime.high};
  temp.Write("changed", "SAME");
  HANDLE file = CreateFileA(temp.At("changed").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFileTime(file, nullptr, nullptr, &listed);
  CloseHandle(file);
  SetFileAttributesA(temp.At("readonly").c_str(), FILE_ATTRIBUTE_READONLY);
  Mark({1, 2, 3, 4});
  ReplaceMarkedByLinks();
  SetFileAttributesA(temp.At("readonly").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(shownMessages, (std::vector<std::string>{
                               "Achtung!|4 markierte Datei(en) mit 0.00 MB durch feste Verkn\xFCpfungen auf ein unmarkiertes Exemplar ihrer Gruppe ersetzen?\n"
                               "Danach teilen sich die Dateien einer Gruppe einen Inhalt: eine \xC4nderung an einer Datei \xE4ndert alle.\nWirklich sicher?|4",
                               "Fehler!|Kann 2 Datei(en) nicht durch Verkn\xFCpfungen ersetzen|0"}));
  EXPECT_TRUE(SameFile(kept, linked) && SameFile(kept, temp.At("before")));
  EXPECT_EQ(Identity(kept).nNumberOfLinks, 3u);
  EXPECT_EQ(ReadWholeFile(temp.At("changed")) + ReadWholeFile(temp.At("readonly")), "SAMEsame");
  EXPECT_FALSE(SameFile(kept, temp.At("changed")) || SameFile(kept, temp.At("readonly")));
  std::vector<std::string> logs = NamesMatching(ProgramFolder() + "*-verknuepft.log", false);
  ASSERT_EQ(logs.size(), 1u);
  std::string log = ReadWholeFile(ProgramFolder() + logs[0]);
  EXPECT_EQ(log.substr(0, log.find('\r')), "durch Verkn\xFCpfungen ersetzte Dateien von Velo-Parvik 1.0");
  EXPECT_NE(log.find(ListedFileRow(files[1]).substr(2) + "\r\n" + ListedFileRow(files[4]).substr(2) + "\r\n"), std::string::npos);
  EXPECT_EQ(ListedRows().size(), 5u);  // the two linked rows are gone
}

std::string protectedFolder;

TEST_F(Link, RefusalsAndAFailedReplacementLeaveEveryFileAsItWas) {
  const char* stays = "Fehler!|Kann 1 Datei(en) nicht durch Verkn\xFCpfungen ersetzen|0";
  const char* noKept = " markierte Datei(en) haben kein unmarkiertes Exemplar au\xDF" "erhalb gesch\xFCtzter Ordner und bleiben, wie sie sind|0";
  const struct { const char* name; void (*refuse)(); std::initializer_list<int> marked; std::string message; } cases[] = {
      {"other volume", [] { linkOps.sameNtfsVolume = [](const char*, const char*) { return false; }; }, {1},
       "Achtung!|1 Datei(en) liegen nicht auf demselben NTFS-Laufwerk wie ihr Exemplar und bleiben, wie sie sind|0"},
      {"replace fails", [] { linkOps.replace = [](const char*, const char*) { return false; }; }, {1}, stays},
      {"in use", [] { linkOps.sameContent = [](const char*, const char*) { return false; }; }, {1}, stays},
      {"every copy marked", [] {}, {0, 1}, std::string("Achtung!|2") + noKept},
      {"kept copy protected", [] { AddProtectedFolder(protectedFolder.c_str()); }, {1}, std::string("Achtung!|1") + noKept},
  };
  for (const auto& c : cases) {
    std::string kept = temp.Write(std::string(c.name) + "\\p\\kept", "same"), file = temp.Write(std::string(c.name) + "\\m\\file", "same");
    protectedFolder = temp.At(std::string(c.name) + "\\p");
    PrepareResultsWindow(page);
    ShowOneGroup({kept, file});
    Mark(c.marked);
    shownMessages.clear();
    linkOps = systemLinkOps;
    c.refuse();
    ReplaceMarkedByLinks();
    protectedFolders.count = 0;
    EXPECT_EQ(shownMessages.back(), c.message) << c.name;
    EXPECT_EQ(ReadWholeFile(kept) + ReadWholeFile(file), "samesame") << c.name;
    EXPECT_FALSE(SameFile(kept, file)) << c.name;
    EXPECT_EQ(NamesMatching(temp.At(std::string(c.name) + "\\m\\*"), false), std::vector<std::string>{"file"}) << c.name;
  }
}

}  // namespace
