// Rows that no longer tell the truth: files changed since the search, rows
// left from before a refused search; the help file from another working
// folder; who holds a file that cannot be opened.
#include <windows.h>

#include <commctrl.h>

#include "actions/backup.h"
#include "actions/deletion.h"
#include "res/resource.h"
#include "window_fixture.h"
#include "ui/main_page.h"

namespace {

using TrustActions = ActionsTest;

TEST_F(TrustActions, AFileChangedSinceTheSearchIsNeitherMovedNorDeleted) {
  for (int round = 0; round < 4; round++) {
    bool backup = round >= 2, sizeChanges = round % 2 == 0;
    ClearFileTable();
    fileTable.count = 0;
    SendMessageA(resultsWindow, LVM_DELETEALLITEMS, 0, 0);
    recordedMessages.clear();
    std::string changed = temp.Write("changed.txt", "same");
    std::vector<int32_t> files = ShowMarkedFiles({changed, temp.Write("intact.txt", "same")});
    HANDLE file = CreateFileA(changed.c_str(), FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD wrote;
    FILETIME in2014 = {0, 0x01D00000};
    if (sizeChanges) WriteFile(file, "!", 1, &wrote, nullptr);
    else SetFileTime(file, nullptr, nullptr, &in2014);
    CloseHandle(file);
    std::string content = ReadWholeFile(changed);

    backup ? BackupMarkedFiles() : DeleteMarkedFiles();

    EXPECT_EQ(ReadWholeFile(changed), content);
    EXPECT_FALSE(FileExists(temp.At("intact.txt")));
    ASSERT_FALSE(recordedMessages.empty());
    EXPECT_EQ(recordedMessages.back().text, backup ? "Kann 1 Datei(en) nicht verschieben"
                                                   : "Kann 1 Datei(en) nicht l\xF6schen");
    ExpectRows({{files[0], FileRowOf(files[0])}});
    RemoveActionOutputs();
  }
}

class TrustPage : public PageTest {};

TEST_F(TrustPage, AfterARefusedSearchTheListedRowsCanStillBeDeleted) {
  temp.Write("data\\a.bin", "same");
  temp.Write("data\\b.bin", "same");
  Type(page, IDC_PATH, temp.At("data"));
  Click(page, IDC_START);
  Type(page, IDC_PATH, "c");
  Click(page, IDC_START);  // refused: "Falscher Pfad"
  std::vector<ListRow> rows = ListedRows();
  ASSERT_EQ(fileTable.count, 0u);
  ASSERT_GE(rows[3].itemData, 0);  // under "end", "" and the length heading
  std::string path = fileTable.entries[rows[3].itemData].path;
  SelectRow(3);
  Click(page, IDC_DELETE);
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(ListedRows().size(), rows.size() - 1);
  RemoveActionOutputs();
}

std::string helpAskedFor;

TEST_F(TrustPage, HelpOpensTheFileBesideTheProgramFromAnyWorkingFolder) {
  char saved[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, saved);
  SetCurrentDirectoryA(temp.path.c_str());
  void (*savedHelp)(HWND, const char*) = showHelpFile;
  showHelpFile = [](HWND, const char* path) { helpAskedFor = path; };
  NMHDR header = {GetParent(page), 0, static_cast<UINT>(PSN_HELP)};
  SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
  showHelpFile = savedHelp;
  SetCurrentDirectoryA(saved);
  EXPECT_EQ(helpAskedFor, ProgramFolder() + "parvik.chm");
}

TEST(TrustPlatform, FoldersAreKnownByIdentityAndRefusedOpensTellWhoHoldsTheFile) {
  TempFolder temp;
  temp.MakeFolder("a\\b");
  FolderIdentity a = {}, again = {}, b = {};
  ASSERT_TRUE(platform.folderIdentity(temp.At("a\\").c_str(), &a));
  ASSERT_TRUE(platform.folderIdentity(temp.At("a\\b\\..\\").c_str(), &again));
  ASSERT_TRUE(platform.folderIdentity(temp.At("a\\b").c_str(), &b));
  EXPECT_TRUE(a.volume == again.volume && a.index == again.index);
  EXPECT_FALSE(a.volume == b.volume && a.index == b.index);

  std::string file = temp.Write("f.txt", "x");
  FileHandle held = platform.openExclusive(file.c_str());
  EXPECT_EQ(platform.openExclusive(temp.At("a\\..\\f.txt").c_str()), InvalidFileHandle);
  EXPECT_TRUE(openRefusedAsHeld);  // the same file by a second path
  platform.closeFile(held);
  HeldOpenFile byAnother(file);
  EXPECT_EQ(platform.openExclusive(file.c_str()), InvalidFileHandle);
  EXPECT_FALSE(openRefusedAsHeld);  // held by someone else: a skipped file
}

}  // namespace
