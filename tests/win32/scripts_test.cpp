#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "actions/protection.h"
#include "actions/recycle_bin.h"
#include "app/settings_file.h"
#include "engine/text.h"
#include "platform/utf16.h"
#include "platform/wide_text.h"
#include "res/resource.h"
#include "ui/action_messages.h"
#include "ui/control_text.h"
#include "window_fixture.h"

namespace {

bool Exists(const std::string& path) {
  WideText wide;
  return ToWidePath(path.c_str(), &wide) && GetFileAttributesW(wide.text) != INVALID_FILE_ATTRIBUTES;
}

void WriteFileW(const std::string& path, const std::string& bytes) {
  WideText wide;
  for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
    if (ToWidePath(path.substr(0, at).c_str(), &wide)) CreateDirectoryW(wide.text, nullptr);
  ASSERT_TRUE(ToWidePath(path.c_str(), &wide));
  EXPECT_TRUE(std::ofstream(std::filesystem::path(wide.text), std::ios::binary) << bytes) << path;
}

void SelectFile(const std::string& path) {
  for (uint32_t k = 0; k < fileTable.count; k++) {
    LVFINDINFOA find = {LVFI_PARAM, nullptr, static_cast<LPARAM>(k), {}, 0};
    if (fileTable.entries[k].path == path) SelectRow(ListView_FindItem(resultsWindow, -1, &find));
  }
}

TEST(WidePath, LongPathsTakeTheFullLongFormAndShortOnesStayAsTheyAre) {
  const std::string longName(250, 'n');
  const std::string cases[][2] = {{"c:\\a\\b.txt", "c:\\a\\b.txt"}, {"c:\\" + longName, "\\\\?\\c:\\" + longName},
      {"\\\\server\\share\\" + longName, "\\\\?\\UNC\\server\\share\\" + longName}, {"\\\\?\\c:\\" + longName, "\\\\?\\c:\\" + longName}};
  for (const auto& c : cases) {
    WideText wide;
    EXPECT_TRUE(ToWidePath(c[0].c_str(), &wide) && std::string(wide.text, wide.text + wcslen(wide.text)) == c[1]) << c[0];
  }
}

TEST_F(PageTest, NamesInAnyScriptAndPathsPast260CharactersAreFoundListedLoggedAndActedOn) {
  const std::string data = temp.At("\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F \xE6\x9B\xB2 \xF0\x9F\x98\x80");
  std::string deep = data;
  while (Utf16Length(deep.c_str()) < 400) deep += "\\\xD0\x93\xD0\xBB\xD1\x83\xD0\xB1\xD0\xBE\xD0\xBA\xD0\xB0\xD1\x8F \xE6\xB7\xB1\xE3\x81\x84";
  const std::string greek = "\\\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC \xF0\x9F\x8E\xB5.txt";
  const std::set<std::string> twins = {data + "\\Lied.mp3", data + "\\\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F.mp3",
                                       data + "\\\xE6\x9B\xB2.mp3", data + "\\\xF0\x9F\x98\x80 smile.txt", deep + greek};
  for (const std::string& path : twins) WriteFileW(path, std::string(path.back() == '3' ? 1000 : 2000, 'x'));
  WriteFileW(data + "\\unique.bin", std::string(1000, 'u'));
  Click(page, IDC_LOG_FILE);
  ShowControlText(GetDlgItem(page, IDC_PATH), data.c_str());
  Click(page, IDC_ADD);
  Click(page, IDC_START);
  std::string log = ReadWholeFile(logPath);
  std::set<std::string> listed;
  for (size_t at = log.find("\rfile:"); at != std::string::npos; at = log.find("\rfile:", at + 1))
    listed.insert(log.substr(at + 6, log.find("    create:", at) - at - 6));
  EXPECT_EQ(listed, twins);
  EXPECT_EQ(log.substr(0, 42), "\xEF\xBB\xBF" "end:0 sec\r\r-- L\xC3\xA4nge:2000 Byte --\rfile:");

  int rows = ListView_GetItemCount(resultsWindow);
  EXPECT_FALSE(MoveToRecycleBin((deep + greek).c_str()));
  SelectFile(deep + greek);
  SelectFile(data + "\\Lied.mp3");
  BackupMarkedFiles();
  Texts runs = BackupRuns();
  ASSERT_EQ(runs.size(), 1u);
  log = BackupLog(runs[0]);
  EXPECT_EQ(log.substr(0, 22), "\xEF\xBB\xBFverschobene Dateien");
  EXPECT_NE(log.find(deep + greek + "    create:"), std::string::npos) << log;
  EXPECT_TRUE(!Exists(deep + greek) && Exists(ProgramFolder() + "BackUp\\" + runs[0] + greek));
  SelectFile(data + "\\\xE6\x9B\xB2.mp3");
  DeleteMarkedFiles();
  EXPECT_EQ(shownMessages, Texts{askDelete});
  EXPECT_EQ(Exists(data + "\\Lied.mp3") + Exists(data + "\\\xE6\x9B\xB2.mp3") + ListView_GetItemCount(resultsWindow), rows - 3);

  CopyText(iniPath, sizeof iniPath, temp.At("Parvik.INI").c_str());
  const Settings typed = settings;
  settings = Settings{};
  CopyText(settings.currentPath, sizeof settings.currentPath, "c:\\M\xC3\xBCller");
  SaveSettings();
  EXPECT_EQ(ReadWholeFile(iniPath).find("[Parvik]\r\nLogFile=0\r\nSameName=0\r\nID3Tag=0\r\nPfad=c:\\M\xFCller\r\n"), 0u);
  WriteBytes(iniPath, ReadWholeFile(iniPath) + "[Schutz]\r\nOrdner0=c:\\M\xFCller\\\r\n");
  settings = typed;
  temp.Write("Parvik.INI.tmp", "mine");
  writeIniBytes = [](HANDLE file, const void* bytes, DWORD size) {  // the disk fills up halfway
    DWORD written;
    return WriteFile(file, bytes, size / 2, &written, nullptr) && size < 4;
  };
  EXPECT_FALSE(SaveSettings());
  EXPECT_NE(ReadWholeFile(iniPath).find("Ordner0=c:\\M\xFCller"), std::string::npos);
  writeIniBytes = systemIniBytes;
  SaveSettings();
  settings = Settings{};
  LoadSettings();
  EXPECT_EQ(ReadWholeFile(iniPath).substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(ReadWholeFile(temp.At("Parvik.INI.tmp")), "mine");
  EXPECT_EQ(std::string(settings.currentPath) + "|" + settings.pathHistory[0] + "|" + settings.filterHistory[0] + "|" + protectedFolders.folder[0],
            data + "|" + data + "|*.*|c:\\M\xC3\xBC" "ller\\");
  protectedFolders.count = 0;
}

TEST_F(PageTest, LogsOfNamesTheAnsiCodePageSpellsStayInIt) {
  for (const char* name : {"data\\M\xFCller.mp3", "data\\\xC4rger.mp3"}) temp.Write(name, "same");
  auto Lists = [](const std::string& log, const std::string& name) { return log.find("\\" + name + "    create:") != std::string::npos; };
  Click(page, IDC_LOG_FILE);
  Search(0);
  std::string log = ReadWholeFile(logPath);
  EXPECT_TRUE(log.substr(0, 4) == "end:" && Lists(log, "M\xFCller.mp3")) << log;
  SelectRow(3);
  BackupMarkedFiles();
  Texts runs = BackupRuns();
  ASSERT_EQ(runs.size(), 1u);
  log = BackupLog(runs[0]);
  EXPECT_TRUE(log.substr(0, 11) == "verschobene" && (Lists(log, "\xC4rger.mp3") || Lists(log, "M\xFCller.mp3"))) << log;
  WriteFileW(temp.At("data\\\xC5\x81.mp3"), "same"), temp.Write("data\\x.mp3", "same");
  Search(0);
  for (const char* name : {"data\\\xC5\x81.mp3", "data\\M\xC3\xBCller.mp3", "data\\\xC3\x84rger.mp3"}) SelectFile(temp.At(name));
  BackupMarkedFiles();
  Texts both = BackupRuns();
  log = both.size() == 2 ? BackupLog(both[both[0] == runs[0]]) : "";
  EXPECT_TRUE(log.substr(0, 3) == "\xEF\xBB\xBF" && (Lists(log, "\xC3\x84rger.mp3") || Lists(log, "M\xC3\xBCller.mp3"))) << log;
}

}
