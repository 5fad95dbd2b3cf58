// What a real Windows drive holds: files with more than one hard link, junctions and
// folder links, names that differ only in case, a disk that fills up, long paths.
#include <windows.h>

#include <shellapi.h>

#include "actions/protection.h"
#include "actions/recycle_bin.h"
#include "app/settings_file.h"
#include "engine/text.h"
#include "res/resource.h"
#include "window_fixture.h"

namespace {

// Runs a Linux command on the Unix forms of `paths` (Wine starts Linux programs too).
bool RunUnix(std::string command, const std::vector<std::string>& paths) {
  using UnixName = char* (*)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
  for (const std::string& path : paths) {
    std::wstring wide(path.begin(), path.end());
    const char* unixPath = unixName ? unixName(wide.c_str()) : nullptr;
    if (!unixPath) return false;
    command += std::string(" ") + unixPath;
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  std::string program = command.substr(0, command.find(' '));
  if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return false;
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// A Linux symbolic link, as Wine shows a junction or folder link.
bool UnixLink(const char* target, const std::string& link) {
  return RunUnix("/bin/ln -s " + std::string(target), {link}) && (GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Every file once under its real path, and no folder left out for a link.
TEST_F(PageTest, FolderLinksAreNotEnteredAndNothingIsLeftOutForThem) {
  for (const char* name : {"data\\one\\same.txt", "data\\two\\same.txt"}) temp.Write(name, "same");
  ASSERT_TRUE(UnixLink("one", temp.At("data\\again")) && UnixLink("..", temp.At("data\\two\\up")));
  Search(0);
  std::string rows;
  for (const std::string& row : ListedRows()) rows += row + "|";
  for (const char* name : {"one\\same.txt", "two\\same.txt"}) EXPECT_NE(rows.find(temp.At("data\\") + name), std::string::npos)
      << rows;
  EXPECT_EQ(std::to_string(ListedRows().size()) + std::to_string(rows.find("again") + rows.find("Ausgelassen")), "9" + std::to_string(2 * std::string::npos))
      << rows;
  RunUnix("/bin/rm -rf", {temp.path});  // the links and all
}

// A file with a second hard link elsewhere keeps two links when the shell deletes it for
// good: only the count it had plus our second name proves it lies in the bin.
TEST(RecycleBin, AFileWithAnotherHardLinkThatTheShellDeletesForGoodComesBack) {
  TempFolder temp;
  std::string path = temp.Write("linked.txt", "data");
  ASSERT_TRUE(CreateHardLinkA(temp.At("elsewhere.txt").c_str(), path.c_str(), nullptr));
  int (*shell)(SHFILEOPSTRUCTW*) = shellFileOperation;
  shellFileOperation = [](SHFILEOPSTRUCTW* op) { return DeleteFileW(op->pFrom) ? 0 : 1; };
  bool recycled = MoveToRecycleBin(path.c_str());
  shellFileOperation = shell;
  EXPECT_FALSE(recycled);
  EXPECT_EQ(ReadWholeFile(path) + "|" + std::to_string(NamesMatching(temp.At("*"), false).size()), "data|2");
}

// A name the ANSI code page lacks turns the INI UTF-16 by a whole-file write. A disk that
// fills up halfway through it leaves the old file as it was, [Schutz] included, and says so.
TEST(SettingsFile, AWholeFileWriteThatFailsHalfwayLeavesTheOldIniWhole) {
  TempFolder temp;
  const std::string ini = "[Parvik]\r\nPfad=c:\\alt\r\n[Schutz]\r\nOrdner0=c:\\M\xFCller\\\r\n";
  CopyText(iniPath, MaxPathText, temp.Write("Parvik.INI", ini).c_str());
  protectedFolders.count = 0;
  for (const char* folder : {"c:\\M\xC3\xBCller\\", "c:\\\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F\\"}) AddProtectedFolder(folder);
  CopyText(settings.currentPath, MaxPathText, protectedFolders.folder[1]);
  writeIniBytes = [](HANDLE file, const void* bytes, DWORD size) {
    DWORD written;
    return WriteFile(file, bytes, size / 2, &written, nullptr) && size < 4;  // the mark, then the disk is full
  };
  EXPECT_FALSE(SaveProtectedFolders());
  EXPECT_EQ(ReadWholeFile(iniPath), ini);
  EXPECT_FALSE(SaveSettings());
  LoadSettings();
  EXPECT_EQ(std::string(settings.currentPath) + "|" + std::to_string(protectedFolders.count) + "|" + protectedFolders.folder[0] + "|" +
                std::to_string(NamesMatching(temp.At("*"), false).size()), "c:\\alt|1|c:\\M\xC3\xBCller\\|1");
  writeIniBytes = systemIniBytes;
  CopyText(settings.currentPath, MaxPathText, "c:\\\xD0\x9F");
  EXPECT_TRUE(SaveSettings());
  LoadSettings();
  EXPECT_EQ(std::string(settings.currentPath) + "|" + protectedFolders.folder[0], "c:\\\xD0\x9F|c:\\M\xC3\xBCller\\");
  protectedFolders.count = iniPath[0] = 0;
  settings = Settings{};
}

// Windows folds case in every script, ordinally (no "SS" for "\xC3\x9F"); the "gleiche Namen"
// option keeps folding only a to z.
TEST(FolderNames, CompareAsWindowsComparesThemAndTheSameNameOptionKeepsItsRule) {
  const struct { const char *folder, *other; bool sameFolder, sameName; } cases[] = {
      {"D:\\Musik\\\xC3\x84rzte\\", "d:\\musik\\\xC3\xA4rzte\\", true, false},
      {"C:\\\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x8A\xCE\x91", "c:\\\xCF\x83\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1\\", true, false},
      {"C:\\Stra\xC3\x9F" "e", "c:\\STRASSE", false, false}, {"C:\\Musik", "c:/MUSIK//", true, false},
      {"C:\\Musik", "c:\\Musik2", false, false}, {"c:\\Bild.JPG", "C:\\bild.jpg", true, true}};
  for (const auto& c : cases) {
    std::string file = std::string(c.other) + "\\a.mp3";
    EXPECT_EQ(std::to_string(SameFolderPath(c.folder, c.other)) + std::to_string(PathBelowFolder(file.c_str(), c.folder) != nullptr) +
                  std::to_string(SameTextIgnoringAsciiCase(c.folder, c.other)),
              std::to_string(c.sameFolder) + std::to_string(c.sameFolder) + std::to_string(c.sameName)) << c.folder;
  }
}

// Pasted as a user does: the box takes it whole.
void PastePath(HWND page, const std::string& path) {
  SetDlgItemTextA(page, IDC_PATH, "");
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, path.size() + 1);
  memcpy(GlobalLock(memory), path.c_str(), path.size() + 1);
  GlobalUnlock(memory);
  ASSERT_TRUE(OpenClipboard(page) && EmptyClipboard() && SetClipboardData(CF_TEXT, memory) && CloseClipboard());
  SendMessageA(FindWindowExA(GetDlgItem(page, IDC_PATH), nullptr, "Edit", nullptr), WM_PASTE, 0, 0);
}

// A path past 259 characters is searched whole from the path box and from the folder list;
// one longer than any path is refused by both.
TEST_F(PageTest, APathPast259CharactersIsSearchedWholeAndALongerOneIsRefused) {
  std::string folder = "data";
  while (temp.At(folder).size() < 300) folder += "\\" + std::string(40, 'l');
  for (const char* name : {"\\a", "\\b"}) temp.Write(folder + name, "same");
  for (bool fromList : {false, true}) {
    PastePath(page, temp.At(folder));
    if (fromList) Click(page, IDC_ADD), Type(page, IDC_PATH, "c:");
    Click(page, IDC_START);
    std::vector<std::string> rows = ListedRows();
    ASSERT_EQ(rows.size(), 9u) << fromList;
    EXPECT_NE(rows[3].find("file:" + temp.At(folder) + "\\"), std::string::npos) << rows[3];
  }
  PastePath(page, std::string(MaxPathBytes, 'p'));
  Click(page, IDC_ADD);
  Click(page, IDC_START);
  EXPECT_EQ(shownMessages, std::vector<std::string>(2, "Fehler!|Falscher Pfad|0"));
  RunUnix("/bin/rm -rf", {temp.path});  // past 259 characters, where Wine's own removal stops
}

}  // namespace
