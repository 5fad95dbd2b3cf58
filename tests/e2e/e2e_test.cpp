// The real Parvik.exe, started with an INI file and /dir and driven from this
// process as a user would: Start, wait for the results, OK or Cancel, then
// read the LOG and the INI file it left beside itself.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "temp_folder.h"

namespace {

template <typename Condition>
bool WaitFor(Condition condition) {
  for (int waited = 0; waited < 60000 && !condition(); waited += 50) Sleep(50);
  return condition();
}

struct Search {
  DWORD process;
  const char* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD owner = 0;
  char text[64] = "";
  GetWindowThreadProcessId(window, &owner);
  GetWindowTextA(window, text, sizeof text);
  if (owner != search->process || strcmp(text, search->title) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// A top-level window of the program with exactly this title.
HWND FindProgramWindow(DWORD process, const char* title) {
  Search search = {process, title, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// WM_GETTEXT itself: GetWindowTextA does not ask a control of another process.
std::string WindowText(HWND window) {
  char text[MAX_PATH] = "";
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// Searches the /dir folder, then presses `button`; returns the program's exit code.
DWORD SearchAndPress(const TempFolder& temp, const std::string& program, int button) {
  std::string commandLine = "\"" + program + "\" /dir \"" + temp.At("music") + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  EXPECT_TRUE(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                             temp.path.c_str(), &startup, &process));
  HWND sheet = nullptr, page = nullptr;
  EXPECT_TRUE(WaitFor([&] { return (sheet = FindProgramWindow(process.dwProcessId, "Parvik 2.3")) != nullptr; }));
  EXPECT_TRUE(WaitFor([&] { return (page = PropSheet_GetCurrentPageHwnd(sheet)) != nullptr; }));
  HWND start = GetDlgItem(page, 100);
  PostMessageA(start, BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] {
    HWND results = FindProgramWindow(process.dwProcessId, "Parvik");
    return results && SendMessageA(results, LVM_GETITEMCOUNT, 0, 0) > 0 && WindowText(start) == "&Start";
  })) << "the search did not finish";
  EXPECT_EQ(WindowText(GetDlgItem(page, 103)), "5");  // the tiny files are not above MinSize
  EXPECT_EQ(WindowText(GetDlgItem(page, 102)), "4");
  PostMessageA(GetDlgItem(sheet, button), BM_CLICK, 0, 0);
  DWORD exitCode = 99;
  if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return exitCode;
}

TEST(RealProgram, SearchesTheDirFolderLogsTheGroupsAndSavesTheSettingsOnlyOnOk) {
  TempFolder temp;
  std::string program = temp.MakeFolder("app") + "\\Parvik.exe";
  std::string built = __argc > 1 ? __argv[1] : "Parvik.exe";  // CTest may pass it in Unix form
  std::replace(built.begin(), built.end(), '/', '\\');
  ASSERT_TRUE(CopyFileA(built.c_str(), program.c_str(), FALSE)) << built;
  std::string ini = temp.Write("app\\Parvik.INI", "[Parvik]\r\nLogFile=1\r\nMinSize=10\r\n");
  std::string songs[] = {temp.Write("music\\a\\song.mp3", std::string(1000, 's')),
                         temp.Write("music\\b\\song copy.mp3", std::string(1000, 's')),
                         temp.Write("music\\d\\big.bin", std::string(5000, 'b')),
                         temp.Write("music\\e\\big.bin", std::string(5000, 'b'))};
  temp.Write("music\\c\\other.mp3", std::string(1000, 'o'));  // same size, other bytes
  temp.Write("music\\e\\tiny1.txt", "0123456789");
  temp.Write("music\\e\\tiny2.txt", "0123456789");
  std::string before = ReadWholeFile(ini);

  EXPECT_EQ(SearchAndPress(temp, program, IDCANCEL), 0u);
  EXPECT_EQ(ReadWholeFile(ini), before);
  EXPECT_EQ(SearchAndPress(temp, program, IDOK), 0u);

  // Rows each ended by a lone CR: the 5000-byte group above the 1000-byte one.
  std::string log = ReadWholeFile(temp.At("app\\Parvik.LOG"));
  EXPECT_EQ(log.find('\n'), std::string::npos);
  EXPECT_EQ(log.substr(0, 4), "end:");
  size_t big = log.find("\r\r-- L\xE4nge:5000 Byte --\r"), small = log.find("\r\r-- L\xE4nge:1000 Byte --\r");
  EXPECT_LT(big, small);
  for (int k = 0; k < 4; k++) {
    size_t row = log.find("\rfile:" + songs[k] + "    create:");
    EXPECT_TRUE(row > (k < 2 ? small : big) && row < (k < 2 ? log.size() : small)) << songs[k];
  }
  EXPECT_EQ(log.substr(log.size() - 4), "---\r");
  const std::string saved[][3] = {{"Parvik", "LogFile", "1"}, {"Parvik", "Pfad", temp.At("music")},
                                  {"Pfade", "Pfad0", temp.At("music")}, {"Filter", "Filter0", "*.*"},
                                  {"Parvik", "MinSize", "10"}};
  for (const auto& key : saved) {
    char value[MAX_PATH] = "";
    GetPrivateProfileStringA(key[0].c_str(), key[1].c_str(), "(missing)", value, sizeof value, ini.c_str());
    EXPECT_EQ(value, key[2]) << key[1];
  }
}

}  // namespace
