// The real Parvik.exe, started with an INI file, /dir and /filter and driven as a user
// would: Start, wait for the results, Cancel or OK; then the LOG and the INI file it left
// beside itself. MinSize is written as "010": the program reads it but never writes it.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "temp_folder.h"

namespace {

template <typename Condition>
bool WaitFor(Condition condition) {
  for (int waited = 0; waited < 120000 && !condition(); waited += 50) Sleep(50);
  return condition();
}

HWND FindProgramWindow(DWORD process, const char* title) {
  for (HWND window = FindWindowA(nullptr, title); window; window = FindWindowExA(nullptr, window, nullptr, title)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process) return window;
  }
  return nullptr;
}

// Clicks Start, presses `button` once the run has written its log, and waits until the program has ended.
void SearchAndPress(const TempFolder& temp, const std::string& program, int button) {
  std::string commandLine = "\"" + program + "\" /dir \"" + temp.At("music") + "\" /filter \"*.*\"", log = temp.At("app\\Parvik.LOG");
  DeleteFileA(log.c_str());
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  EXPECT_TRUE(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, temp.path.c_str(), &startup, &process));
  HWND sheet = nullptr, page = nullptr;
  EXPECT_TRUE(WaitFor([&] { return (sheet = FindProgramWindow(process.dwProcessId, "Parvik 2.3")) && (page = PropSheet_GetCurrentPageHwnd(sheet)); }));
  PostMessageA(GetDlgItem(page, 100), BM_CLICK, 0, 0);  // Start
  EXPECT_TRUE(WaitFor([&] { return FileExists(log); })) << "the search did not finish";
  PostMessageA(GetDlgItem(sheet, button), BM_CLICK, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
  TerminateProcess(process.hProcess, 1);  // when it did not end by itself
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

TEST(RealProgram, SearchesTheDirFolderLogsTheGroupsAndSavesTheSettingsOnlyOnOk) {
  TempFolder temp;
  std::string program = temp.MakeFolder("app") + "\\Parvik.exe", built = __argc > 1 ? __argv[1] : "Parvik.exe";
  for (char& c : built) c = c == '/' ? '\\' : c;  // CTest may pass it in Unix form
  ASSERT_TRUE(CopyFileA(built.c_str(), program.c_str(), FALSE)) << built;
  std::string ini = temp.Write("app\\Parvik.INI", "[Parvik]\r\nLogFile=1\r\nMinSize=010\r\nFilter=*.txt\r\n");
  const std::pair<const char*, std::string> files[] = {  // other.mp3: same size, other bytes
      {"a\\song.mp3", std::string(1000, 's')}, {"b\\song 2.mp3", std::string(1000, 's')}, {"c\\other.mp3", std::string(1000, 'o')},
      {"d\\big.bin", std::string(5000, 'b')}, {"e\\big.bin", std::string(5000, 'b')}, {"e\\tiny1.txt", "0123456789"}, {"e\\tiny2.txt", "0123456789"}};
  for (const auto& file : files) temp.Write("music\\" + std::string(file.first), file.second);
  SearchAndPress(temp, program, IDCANCEL);
  EXPECT_EQ(ReadWholeFile(ini), "[Parvik]\r\nLogFile=1\r\nMinSize=010\r\nFilter=*.txt\r\n");
  SearchAndPress(temp, program, IDOK);
  // Rows each ended by a lone CR: the 5000-byte group above the 1000-byte one.
  std::string log = ReadWholeFile(temp.At("app\\Parvik.LOG")), music = temp.At("music");
  EXPECT_EQ(log.find("tiny"), std::string::npos);  // not above MinSize
  size_t big = log.find("\r\r-- L\xE4nge:5000 Byte --\rfile:" + music), small = log.find("\r\r-- L\xE4nge:1000 Byte --\rfile:" + music);
  EXPECT_TRUE(log.find('\n') == std::string::npos && log.substr(0, 4) == "end:" && big < small && small < log.find("song 2.mp3    create:") &&
              log.find("song 2.mp3    create:") < log.size() && log.substr(log.size() - 4) == "---\r") << log;
  for (const std::string& key : std::vector<std::string>{"[Parvik]\r\n", "LogFile=1\r", "MinSize=010\r", "SameName=0\r", "ID3Tag=0\r", "Pfad=" + music + "\r",
                                                         "[Pfade]\r\nPfad0=" + music + "\r\nPfad1=\r", "[Filter]\r\nFilter0=*.*\r\nFilter1=\r"})
    EXPECT_NE(ReadWholeFile(ini).find(key), std::string::npos) << key;
}

}  // namespace
