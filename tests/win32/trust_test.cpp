// Actions on rows that no longer tell the truth: files changed since the
// search, rows left from before a refused search, and the help file from
// another working folder.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "actions/backup.h"
#include "actions/deletion.h"
#include "res/resource.h"
#include "test_support.h"
#include "ui/main_page.h"

namespace {

using TrustActions = ActionsTest;

void SetLastWriteAnHourEarlier(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  FILETIME written;
  GetFileTime(file, nullptr, nullptr, &written);
  ULARGE_INTEGER ticks = {{written.dwLowDateTime, written.dwHighDateTime}};
  ticks.QuadPart -= 36000000000ULL;
  written = {ticks.LowPart, ticks.HighPart};
  SetFileTime(file, nullptr, nullptr, &written);
  CloseHandle(file);
}

TEST_F(TrustActions, AFileChangedSinceTheSearchIsNeitherMovedNorDeleted) {
  struct Case {
    bool backup;
    bool sizeChanges;  // else only its last-write time
  };
  for (Case c : {Case{false, true}, Case{false, false}, Case{true, true}, Case{true, false}}) {
    ClearFileTable();
    fileTable.count = 0;
    SendMessageA(resultsWindow, LVM_DELETEALLITEMS, 0, 0);
    RemoveActionOutputs();
    recordedMessages.clear();
    std::string changed = temp.Write("changed.txt", "same");
    std::string intact = temp.Write("intact.txt", "same");
    std::vector<int32_t> files = ShowMarkedFiles({changed, intact});
    if (c.sizeChanges)
      WriteBytes(changed, "same, and then some");
    else
      SetLastWriteAnHourEarlier(changed);
    std::string content = ReadWholeFile(changed);

    c.backup ? BackupMarkedFiles() : DeleteMarkedFiles();

    EXPECT_EQ(ReadWholeFile(changed), content);
    EXPECT_FALSE(FileExists(intact));
    ASSERT_FALSE(recordedMessages.empty());
    EXPECT_EQ(recordedMessages.back().text, c.backup ? "Kann 1 Datei(en) nicht verschieben"
                                                     : "Kann 1 Datei(en) nicht l\xF6schen");
    ExpectRows({{files[0], FileRowOf(files[0])}});
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
  ASSERT_EQ(fileTable.count, 0u);
  std::vector<ListRow> rows = ListedRows();
  int fileRow = -1;
  for (size_t row = 0; row < rows.size(); row++)
    if (rows[row].itemData >= 0) fileRow = static_cast<int>(row);
  ASSERT_GE(fileRow, 0);
  std::string path = fileTable.entries[rows[fileRow].itemData].path;
  SelectRow(fileRow);

  Click(page, IDC_DELETE);

  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(ListedRows().size(), rows.size() - 1);
  RemoveActionOutputs();
}

std::string helpAskedFor;
void RecordHelp(HWND, const char* path) { helpAskedFor = path; }

TEST_F(TrustPage, HelpOpensTheFileBesideTheProgramFromAnyWorkingFolder) {
  char saved[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, saved);
  SetCurrentDirectoryA(temp.path.c_str());
  void (*savedHelp)(HWND, const char*) = showHelpFile;
  showHelpFile = RecordHelp;
  NMHDR header = {GetParent(page), 0, static_cast<UINT>(PSN_HELP)};
  SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
  showHelpFile = savedHelp;
  SetCurrentDirectoryA(saved);
  EXPECT_EQ(helpAskedFor, ProgramFolder() + "parvik.chm");
}

TEST(TrustPlatform, FoldersAreKnownByIdentityAndRefusedOpensTellWhoHoldsTheFile) {
  TempDir temp;
  temp.MakeFolder("a\\b");
  FolderIdentity a = {}, again = {}, b = {};
  ASSERT_TRUE(platform.folderIdentity(temp.At("a\\").c_str(), &a));
  ASSERT_TRUE(platform.folderIdentity(temp.At("a\\b\\..\\").c_str(), &again));
  ASSERT_TRUE(platform.folderIdentity(temp.At("a\\b").c_str(), &b));
  EXPECT_TRUE(a.volume == again.volume && a.index == again.index);
  EXPECT_FALSE(a.volume == b.volume && a.index == b.index);

  std::string file = temp.Write("f.txt", "x");
  FileHandle held = platform.openExclusive(file.c_str());
  ASSERT_NE(held, InvalidFileHandle);
  EXPECT_EQ(platform.openExclusive(temp.At("a\\..\\f.txt").c_str()), InvalidFileHandle);
  EXPECT_TRUE(openRefusedAsHeld);  // the same file by a second path
  platform.closeFile(held);
  HeldOpenFile byAnother(file);
  EXPECT_EQ(platform.openExclusive(file.c_str()), InvalidFileHandle);
  EXPECT_FALSE(openRefusedAsHeld);  // a file someone else holds is skipped
}

}  // namespace
