// The real Parvik.exe, started with an INI file and /dir and driven from this
// process as a user would: press Start, wait for the results, press OK or
// Cancel, then read the LOG and the INI file it left beside itself.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../win32/temp_dir.h"

namespace {

constexpr DWORD PatienceMs = 60000;

// Parvik.exe as built; CTest passes its path, possibly in Unix form.
std::string BuiltProgram() {
  std::string path = __argc > 1 ? __argv[1] : "Parvik.exe";
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

template <typename Condition>
bool WaitFor(Condition condition) {
  for (DWORD waited = 0; waited < PatienceMs; waited += 50) {
    if (condition()) return true;
    Sleep(50);
  }
  return condition();
}

struct WindowSearch {
  DWORD process;
  const char* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char title[64] = "";
  GetWindowTextA(window, title, sizeof title);
  if (owner != search->process || strcmp(title, search->title) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// A top-level window of `process` with exactly this title.
HWND FindProgramWindow(DWORD process, const char* title) {
  WindowSearch search = {process, title, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// WM_GETTEXT itself: GetWindowTextA does not ask a control of another process.
std::string WindowText(HWND window) {
  char text[MAX_PATH] = "";
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// "file:...    create:...    write:..." as the program writes a file's row.
std::string FileRow(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  std::string stamps[2];
  const FILETIME* times[2] = {&data.ftCreationTime, &data.ftLastWriteTime};
  for (int i = 0; i < 2; i++) {
    FILETIME local;
    SYSTEMTIME t;
    FileTimeToLocalFileTime(times[i], &local);
    FileTimeToSystemTime(&local, &t);
    char stamp[64];
    snprintf(stamp, sizeof stamp, "%02d.%02d.%d  %02d:%02d:%02d", t.wDay, t.wMonth, t.wYear,
             t.wHour, t.wMinute, t.wSecond);
    stamps[i] = stamp;
  }
  return "file:" + path + "    create:" + stamps[0] + "    write:" + stamps[1];
}

std::vector<std::string> SplitAtCr(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t cr; (cr = bytes.find('\r', start)) != std::string::npos; start = cr + 1)
    lines.push_back(bytes.substr(start, cr - start));
  if (start != bytes.size()) lines.push_back(bytes.substr(start));  // text after the last CR
  return lines;
}

bool IsTimingRow(const std::string& row, const std::string& name) {
  int seconds = -1;
  char rest = 0;
  return sscanf(row.c_str(), (name + ":%d sec%c").c_str(), &seconds, &rest) == 1 && seconds >= 0;
}

std::string Profile(const std::string& ini, const char* section, const char* key) {
  char value[MAX_PATH] = "";
  GetPrivateProfileStringA(section, key, "(missing)", value, sizeof value, ini.c_str());
  return value;
}

class RealProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    program = temp.MakeFolder("app") + "\\Parvik.exe";
    ASSERT_TRUE(CopyFileA(BuiltProgram().c_str(), program.c_str(), FALSE)) << BuiltProgram();
    ini = temp.Write("app\\Parvik.INI", "[Parvik]\r\nLogFile=1\r\nMinSize=10\r\n");
    log = temp.At("app\\Parvik.LOG");
    music = temp.MakeFolder("music");
    songs[0] = temp.Write("music\\a\\song.mp3", std::string(1000, 's'));
    songs[1] = temp.Write("music\\b\\song copy.mp3", std::string(1000, 's'));
    temp.Write("music\\c\\other.mp3", std::string(1000, 'o'));  // same size, other bytes
    bigs[0] = temp.Write("music\\d\\big.bin", std::string(5000, 'b'));
    bigs[1] = temp.Write("music\\e\\big.bin", std::string(5000, 'b'));
    temp.Write("music\\e\\tiny1.txt", "0123456789");  // not above MinSize
    temp.Write("music\\e\\tiny2.txt", "0123456789");
  }

  void TearDown() override {
    if (process.hProcess) {
      if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(process.hProcess, 1);
      CloseHandle(process.hProcess);
      CloseHandle(process.hThread);
    }
  }

  // Starts the program with /dir and waits for its sheet and page.
  void Start() {
    std::string commandLine = "\"" + program + "\" /dir \"" + music + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                               nullptr, temp.path.c_str(), &startup, &process));
    ASSERT_TRUE(WaitFor([&] {
      sheet = FindProgramWindow(process.dwProcessId, "Parvik 2.3");
      return sheet != nullptr;
    })) << "no sheet \"Parvik 2.3\"";
    ASSERT_TRUE(WaitFor([&] {
      page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
      return page != nullptr;
    }));
    startButton = GetDlgItem(page, 100);
    ASSERT_NE(startButton, nullptr);
  }

  void SearchAndWait() {
    PostMessageA(startButton, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] {
      results = FindProgramWindow(process.dwProcessId, "Parvik");
      return results && SendMessageA(results, LVM_GETITEMCOUNT, 0, 0) > 0 &&
             WindowText(startButton) == "&Start";
    })) << "the search did not finish";
  }

  void Press(int button) {
    PostMessageA(GetDlgItem(sheet, button), BM_CLICK, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, PatienceMs), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
  }

  TempDir temp;
  std::string program, ini, log, music;
  std::string songs[2], bigs[2];
  PROCESS_INFORMATION process = {};
  HWND sheet = nullptr, page = nullptr, startButton = nullptr, results = nullptr;
};

TEST_F(RealProgram, SearchesTheDirFolderLogsTheResultsAndSavesOnOk) {
  Start();
  EXPECT_EQ(WindowText(GetDlgItem(page, 101)), music);
  SearchAndWait();
  EXPECT_EQ(WindowText(GetDlgItem(page, 103)), "5");  // the tiny files are not above MinSize
  EXPECT_EQ(WindowText(GetDlgItem(page, 102)), "4");
  Press(IDOK);

  std::string bytes = ReadWholeFile(log);
  EXPECT_EQ(bytes.find('\n'), std::string::npos);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes.back(), '\r');
  std::vector<std::string> rows = SplitAtCr(bytes);
  ASSERT_EQ(rows.size(), 13u) << bytes;
  EXPECT_TRUE(IsTimingRow(rows[0], "end")) << rows[0];
  // Each group's two rows in either order, under its length heading.
  auto expectGroup = [&](size_t heading, const char* length, const std::string(&paths)[2]) {
    EXPECT_EQ(rows[heading - 1], "");
    EXPECT_EQ(rows[heading], std::string("-- L\xE4nge:") + length + " Byte --");
    std::vector<std::string> listed = {rows[heading + 1], rows[heading + 2]};
    std::vector<std::string> expected = {FileRow(paths[0]), FileRow(paths[1])};
    EXPECT_TRUE(std::is_permutation(listed.begin(), listed.end(), expected.begin())) << heading;
  };
  expectGroup(2, "5000", bigs);
  expectGroup(6, "1000", songs);
  EXPECT_EQ(rows[9], "---");
  EXPECT_TRUE(IsTimingRow(rows[10], "qsort")) << rows[10];
  EXPECT_TRUE(IsTimingRow(rows[11], "scan")) << rows[11];
  EXPECT_EQ(rows[12], "---");

  const std::string saved[][3] = {{"Parvik", "LogFile", "1"},  {"Parvik", "SameName", "0"},
                                  {"Parvik", "ID3Tag", "0"},   {"Parvik", "Pfad", music},
                                  {"Pfade", "Pfad0", music},   {"Pfade", "Pfad9", ""},
                                  {"Parvik", "Filter", "*.*"}, {"Filter", "Filter0", "*.*"},
                                  {"Filter", "Filter1", ""},   {"Parvik", "MinSize", "10"}};
  for (const auto& key : saved)
    EXPECT_EQ(Profile(ini, key[0].c_str(), key[1].c_str()), key[2]) << key[1];
}

TEST_F(RealProgram, CancelLeavesTheSettingsFileAsItWas) {
  std::string before = ReadWholeFile(ini);
  Start();
  SearchAndWait();
  Press(IDCANCEL);
  EXPECT_EQ(ReadWholeFile(ini), before);
  EXPECT_FALSE(ReadWholeFile(log).empty());  // the search itself still logged
}

}  // namespace
