// The real Parvik.exe, started with an INI file, /dir and /filter and driven as a user
// would; then the LOG and the INI file it left. MinSize "010" is read, never written.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

std::wstring Wide(const std::string& utf8) {
  std::wstring wide(utf8.size() + 1, L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1);
  return wide;
}

// Clicks Start, presses `button` once the run has written its log, and waits until the program has ended.
// The switches (UTF-8) are "/dir" and "/filter" for the music folder unless given.
void SearchAndPress(const TempFolder& temp, const std::string& program, int button, std::string switches = "") {
  if (switches.empty()) switches = "/dir \"" + temp.At("music") + "\" /filter \"*.*\"";
  std::wstring commandLine = Wide("\"" + program + "\" " + switches);
  std::string log = temp.At("app\\Parvik.LOG");
  DeleteFileA(log.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  EXPECT_TRUE(CreateProcessW(Wide(program).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, Wide(temp.path).c_str(), &startup, &process));
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

std::string InstalledProgram(const TempFolder& temp, const std::string& name = "Parvik.exe") {  // from Parvik.exe's folder
  std::string program = temp.MakeFolder("app") + "\\" + name, built = __argc > 1 ? __argv[1] : "Parvik.exe";
  for (char& c : built) c = c == '/' ? '\\' : c;  // CTest may pass it in Unix form
  built = built.substr(0, built.find_last_of('\\') + 1) + name;
  EXPECT_TRUE(CopyFileA(built.c_str(), program.c_str(), FALSE)) << built;
  return program;
}

TEST(RealProgram, SearchesTheDirFolderLogsTheGroupsAndSavesTheSettingsOnlyOnOk) {
  TempFolder temp;
  std::string program = InstalledProgram(temp);
  std::string ini = temp.Write("app\\Parvik.INI", "[Parvik]\r\nLogFile=1\r\nMinSize=010\r\nFilter=*.txt\r\n");
  const std::pair<const char*, std::string> files[] = {  // other.mp3: same size, other bytes
      {"a\\song.mp3", std::string(1000, 's')}, {"b\\song 2.mp3", std::string(1000, 's')}, {"c\\other.mp3", std::string(1000, 'o')},
      {"d\\big.bin", std::string(5000, 'b')}, {"e\\big.bin", std::string(5000, 'b')}, {"e\\tiny1.txt", "0123456789"}, {"e\\tiny2.txt", "0123456789"}};
  for (const auto& file : files) temp.Write("music\\" + std::string(file.first), file.second);
  SearchAndPress(temp, program, IDCANCEL);
  EXPECT_EQ(ReadWholeFile(ini), "[Parvik]\r\nLogFile=1\r\nMinSize=010\r\nFilter=*.txt\r\n");
  SearchAndPress(temp, program, IDOK);
  std::string log = ReadWholeFile(temp.At("app\\Parvik.LOG")), music = temp.At("music");
  EXPECT_EQ(log.find("tiny"), std::string::npos);  // not above MinSize
  EXPECT_LT(log.find("\r\r-- L\xE4nge:5000 Byte --\rfile:" + music), log.find("song 2.mp3    create:")) << log;
  for (const std::string& key : Texts{"[Parvik]\r\n", "LogFile=1\r", "MinSize=010\r", "SameName=0\r", "ID3Tag=0\r", "Pfad=" + music + "\r",
                                      "[Pfade]\r\nPfad0=" + music + "\r\nPfad1=\r", "[Filter]\r\nFilter0=*.*\r\nFilter1=\r"})
    EXPECT_NE(ReadWholeFile(ini).find(key), std::string::npos) << key;
}

// Twins named in Cyrillic, CJK and with an emoji under a folder so named: found from /dir,
// logged in UTF-8, kept in the INI, which turns UTF-16.
TEST(RealProgram, FindsNamesInAnyScriptFromTheCommandLineAndKeepsTheFolderInTheIni) {
  TempFolder temp;
  std::string program = InstalledProgram(temp), music = temp.At("\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F \xF0\x9F\x98\x80");
  temp.Write("app\\Parvik.INI", "[Parvik]\r\nLogFile=1\r\n");
  CreateDirectoryW(Wide(music).c_str(), nullptr);
  const std::string files[] = {music + "\\Lied.mp3", music + "\\\xE6\x9B\xB2.mp3"};
  for (const std::string& file : files) EXPECT_TRUE(std::ofstream(std::filesystem::path(Wide(file)), std::ios::binary) << "same bytes");
  SearchAndPress(temp, program, IDOK, "/dir \"" + music + "\"");
  std::string log = ReadWholeFile(temp.At("app\\Parvik.LOG"));
  EXPECT_EQ(log.find("\xEF\xBB\xBF" "end:"), 0u);
  for (const std::string& file : files) EXPECT_NE(log.find("\rfile:" + file + "    create:"), std::string::npos) << log;
  std::string ini = ReadWholeFile(temp.At("app\\Parvik.INI"));
  std::wstring text(reinterpret_cast<const wchar_t*>(ini.data()), ini.size() / 2);
  EXPECT_TRUE(text.find(L"\xFEFF[Parvik]") == 0 && text.find(L"Pfad=" + Wide(music) + L"\r") != std::wstring::npos);
  // The console build, its output redirected: what the ANSI code page lacks as %HH of its UTF-8 bytes.
  std::string cli = InstalledProgram(temp, "parvik-cli.exe"), out;
  FILE* pipe = _wpopen((L"\"\"" + Wide(cli) + L"\" \"" + Wide(music) + L"\"\"").c_str(), L"rb");
  for (int c; pipe && (c = fgetc(pipe)) != EOF;) out += static_cast<char>(c);
  if (pipe) _pclose(pipe);
  EXPECT_NE(out.find("\\%D0%9F%D0%B5%D1%81%D0%BD%D1%8F %F0%9F%98%80\\%E6%9B%B2.mp3    create:"), std::string::npos) << out;
}

}  // namespace
