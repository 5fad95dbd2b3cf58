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

void SearchAndPress(const TempFolder& temp, const std::string& program, int button) {
  std::string commandLine = "\"" + program + "\" /dir \"" + temp.At("music") + "\" /filter \"*.*\"";
  std::string log = temp.At("app\\Parvik.LOG");
  DeleteFileA(log.c_str());
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  EXPECT_TRUE(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, temp.path.c_str(), &startup, &process));
  HWND sheet = nullptr, page = nullptr;
  EXPECT_TRUE(WaitFor([&] { return (sheet = FindProgramWindow(process.dwProcessId, "Parvik 2.3")) && (page = PropSheet_GetCurrentPageHwnd(sheet)); }));
  PostMessageA(GetDlgItem(page, 100), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return FileExists(log); }));
  PostMessageA(GetDlgItem(sheet, button), BM_CLICK, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
  TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

std::string InstalledProgram(const TempFolder& temp) {
  std::string program = temp.MakeFolder("app") + "\\Parvik.exe", built = __argc > 1 ? __argv[1] : "Parvik.exe";
  for (char& c : built) c = c == '/' ? '\\' : c;
  EXPECT_TRUE(CopyFileA(built.c_str(), program.c_str(), FALSE)) << built;
  return program;
}

TEST(RealProgram, SearchesTheDirFolderLogsTheGroupsAndSavesTheSettingsOnlyOnOk) {
  TempFolder temp;
  std::string program = InstalledProgram(temp);
  std::string ini = temp.Write("app\\Parvik.INI", "[Parvik]\r\nLogFile=1\r\nMinSize=010\r\nFilter=*.txt\r\n");
  const std::pair<const char*, std::string> files[] = {
      {"a\\song.mp3", std::string(1000, 's')}, {"b\\song 2.mp3", std::string(1000, 's')}, {"c\\other.mp3", std::string(1000, 'o')},
      {"e\\tiny1.txt", "0123456789"}, {"e\\tiny2.txt", "0123456789"}};
  for (const auto& file : files) temp.Write("music\\" + std::string(file.first), file.second);
  SearchAndPress(temp, program, IDCANCEL);
  EXPECT_EQ(ReadWholeFile(ini), "[Parvik]\r\nLogFile=1\r\nMinSize=010\r\nFilter=*.txt\r\n");
  SearchAndPress(temp, program, IDOK);
  std::string log = ReadWholeFile(temp.At("app\\Parvik.LOG")), music = temp.At("music");
  EXPECT_TRUE(log.find("tiny") == std::string::npos && log.find("other") == std::string::npos) << log;
  EXPECT_NE(log.find("\\song 2.mp3    create:"), std::string::npos) << log;
  for (const std::string& key : Texts{"MinSize=010\r", "Pfad=" + music + "\r",
                                      "[Pfade]\r\nPfad0=" + music + "\r\nPfad1=\r", "[Filter]\r\nFilter0=*.*\r\nFilter1=\r"})
    EXPECT_NE(ReadWholeFile(ini).find(key), std::string::npos) << key;
}

}
