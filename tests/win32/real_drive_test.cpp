// Folder names and paths as a real Windows drive has them.
#include "actions/protection.h"
#include "res/resource.h"
#include "window_fixture.h"

namespace {

// Case folds in every script, ordinally: "Stra\xC3\x9F" "e" is no "STRASSE".
TEST(FolderNames, FoldCaseAsWindowsDoes) {
  EXPECT_TRUE(SameFolderPath("D:\\\xC3\x84rzte", "d:\\\xC3\xA4rzte\\"));
  EXPECT_TRUE(PathBelowFolder("c:\\\xCF\x83\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1\\a", "C:\\\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x8A\xCE\x91"));
  EXPECT_FALSE(PathBelowFolder("c:\\STRASSE\\a", "C:\\Stra\xC3\x9F" "e"));
}

// Through the box into the folder list, whole; a path longer than any is refused.
TEST_F(PageTest, APathPast259CharactersIsSearchedWhole) {
  std::string folder = temp.At("d");
  while (folder.size() < 300) folder += "\\.";
  for (const char* name : {"d\\a", "d\\b"}) temp.Write(name, "same");
  for (std::string path : {std::string(MaxPathBytes, 'p'), folder}) {
    Type(page, IDC_PATH, path);
    Click(page, IDC_ADD);
  }
  Click(page, IDC_START);
  EXPECT_EQ(ListedRows().size(), 9u);
  EXPECT_EQ(shownMessages, std::vector<std::string>(1, "Fehler!|Falscher Pfad|0"));
}

}  // namespace
