// Parvik.INI beside the program: what is loaded, saved and kept.
#include "app/settings_file.h"

#include <cstring>

#include "engine/text.h"
#include "window_fixture.h"

TEST(SettingsFile, LoadsDefaultsOrTheFileCuttingOverlongTextsAndSavesAllButMinSize) {
  TempFolder temp;
  DeriveFilePaths(GetModuleHandleA(nullptr));
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string stem(exe, strrchr(exe, '.') - exe);
  EXPECT_EQ(std::string(iniPath) + std::string(logPath), stem + ".INI" + stem + ".LOG");
  CopyText(iniPath, sizeof iniPath, temp.At("Parvik.INI").c_str());
  memset(&settings, 0x5A, sizeof settings);  // anything not loaded shows up
  LoadSettings();
  EXPECT_EQ(settings.logFile + settings.sameName + settings.id3Tag + settings.minSize, 0u);
  EXPECT_EQ(std::string(settings.currentPath) + settings.currentFilter, "c:\\*.*");
  for (int n = 0; n < HistorySize; n++) EXPECT_EQ(settings.pathHistory[n][0] + settings.filterHistory[n][0], 0);

  std::string longText(400, 'p');
  temp.Write("Parvik.INI", "[Parvik]\r\nMinSize=1000\r\nLogFile=abc\r\nSameName=5\r\nPfad=\r\nFilter=" + longText +
                               "\r\n[Pfade]\r\nPfad0=" + longText + "\r\nPfad9=E:\\Letzter\r\n[Filter]\r\nFilter3=*.mp3\r\n");
  LoadSettings();
  EXPECT_EQ(settings.minSize, 1000u);
  EXPECT_EQ(settings.logFile, 0);  // garbage numbers read as 0
  EXPECT_EQ(settings.sameName, 5);
  EXPECT_STREQ(settings.currentPath, "");  // rather than the default
  EXPECT_EQ(strlen(settings.currentFilter), 259u);
  EXPECT_EQ(strlen(settings.pathHistory[0]), 259u);
  EXPECT_STREQ(settings.pathHistory[9], "E:\\Letzter");
  EXPECT_STREQ(settings.filterHistory[3], "*.mp3");

  Settings loaded = settings;
  settings.minSize = 7;  // only the file sets it; a save never writes it
  SaveSettings();
  std::string ini = ReadWholeFile(iniPath);
  for (const char* key : {"[Parvik]", "LogFile=0", "SameName=5", "ID3Tag=0", "Pfad=\r", "MinSize=1000",
                          "[Pfade]", "Pfad1=\r", "Pfad9=E:\\Letzter", "[Filter]", "Filter0=\r", "Filter3=*.mp3"})
    EXPECT_NE(ini.find(key), std::string::npos) << key;
  memset(&settings, 0x5A, sizeof settings);
  LoadSettings();
  EXPECT_EQ(memcmp(settings.pathHistory, loaded.pathHistory, sizeof loaded.pathHistory), 0);
  EXPECT_EQ(memcmp(settings.filterHistory, loaded.filterHistory, sizeof loaded.filterHistory), 0);
}
