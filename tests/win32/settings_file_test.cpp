// Parvik.INI beside the program: what is loaded, saved and kept.
#include "app/settings_file.h"

#include <cstring>
#include <string>

#include "engine/text.h"
#include "test_support.h"

namespace {

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyText(iniPath, sizeof iniPath, temp.At("Parvik.INI").c_str());
    memset(&settings, 0x5A, sizeof settings);  // anything not loaded shows up
  }
  std::string Ini() const { return ReadWholeFile(iniPath); }
  TempDir temp;
};

}  // namespace

TEST(FilePaths, IniAndLogLieBesideTheExecutableWithCapitalExtensions) {
  DeriveFilePaths(GetModuleHandleA(nullptr));
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string stem(exe, strrchr(exe, '.') - exe);
  EXPECT_EQ(std::string(iniPath), stem + ".INI");
  EXPECT_EQ(std::string(logPath), stem + ".LOG");
}

TEST_F(SettingsFile, WithoutAFileAllIsDefaultAndASaveWritesEveryKeyButMinSizeToLoadBack) {
  LoadSettings();
  EXPECT_EQ(settings.logFile, 0);
  EXPECT_EQ(settings.sameName, 0);
  EXPECT_EQ(settings.id3Tag, 0);
  EXPECT_STREQ(settings.currentPath, "c:\\");
  EXPECT_STREQ(settings.currentFilter, "*.*");
  EXPECT_EQ(settings.minSize, 0u);
  for (int i = 0; i < HistorySize; i++) {
    EXPECT_STREQ(settings.pathHistory[i], "");
    EXPECT_STREQ(settings.filterHistory[i], "");
  }

  settings.logFile = 1;
  settings.sameName = 5;
  CopyText(settings.currentPath, MaxPath, "D:\\Musik");
  CopyText(settings.pathHistory[0], MaxPath, "D:\\Musik");
  CopyText(settings.pathHistory[9], MaxPath, "E:\\Letzter");
  CopyText(settings.filterHistory[3], MaxPath, "*.mp3");
  SaveSettings();
  std::string ini = Ini();
  for (const char* key :
       {"LogFile=1", "SameName=5", "ID3Tag=0", "Pfad=D:\\Musik", "Pfad0=D:\\Musik",
        "Pfad1=", "Pfad9=E:\\Letzter", "Filter=*.*", "Filter0=", "Filter3=*.mp3",
        "Filter9=", "[Parvik]", "[Pfade]", "[Filter]"})
    EXPECT_NE(ini.find(key), std::string::npos) << key;
  EXPECT_EQ(ini.find("MinSize"), std::string::npos);

  Settings saved = settings;
  memset(&settings, 0x5A, sizeof settings);
  LoadSettings();
  EXPECT_EQ(settings.sameName, 5);
  EXPECT_EQ(memcmp(settings.pathHistory, saved.pathHistory, sizeof saved.pathHistory), 0);
  EXPECT_EQ(memcmp(settings.filterHistory, saved.filterHistory, sizeof saved.filterHistory), 0);
  EXPECT_STREQ(settings.currentPath, "D:\\Musik");
}

TEST_F(SettingsFile, MinSizeIsReadAndSurvivesEverySave) {
  temp.Write("Parvik.INI", "[Parvik]\r\nMinSize=1000\r\nLogFile=5\r\n");
  LoadSettings();
  EXPECT_EQ(settings.minSize, 1000u);
  EXPECT_EQ(settings.logFile, 5);
  settings.minSize = 7;  // only the file sets it; a save never writes it
  SaveSettings();
  EXPECT_NE(Ini().find("MinSize=1000"), std::string::npos);
}

TEST_F(SettingsFile, GarbageNumbersBecomeZeroOverlongTextsAreCutAndAnEmptyPathStaysEmpty) {
  std::string longText(400, 'p');
  temp.Write("Parvik.INI", "[Parvik]\r\nLogFile=abc\r\nSameName=\r\nPfad=\r\nFilter=" + longText +
                               "\r\n[Pfade]\r\nPfad0=" + longText + "\r\n");
  LoadSettings();
  EXPECT_EQ(settings.logFile, 0);
  EXPECT_EQ(settings.sameName, 0);
  EXPECT_EQ(settings.id3Tag, 0);           // missing from the file
  EXPECT_STREQ(settings.currentPath, "");  // rather than the default
  EXPECT_EQ(strlen(settings.currentFilter), 259u);
  EXPECT_EQ(strlen(settings.pathHistory[0]), 259u);
  EXPECT_STREQ(settings.filterHistory[0], "");
}
