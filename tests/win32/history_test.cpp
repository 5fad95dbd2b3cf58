// The history update behind both combo boxes, on a real combo box.
#include <string>
#include <vector>

#include "engine/text.h"
#include "test_support.h"
#include "ui/history.h"

namespace {

class HistoryUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    box = CreateWindowExA(0, "COMBOBOX", "", WS_POPUP | CBS_DROPDOWN | CBS_SORT, 0, 0, 200, 200,
                          nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(box, nullptr);
    for (auto& entry : history) entry[0] = '\0';
  }
  void TearDown() override { DestroyWindow(box); }

  void Fill(const std::vector<std::string>& entries) {
    for (size_t n = 0; n < entries.size(); n++) CopyText(history[n], MaxPath, entries[n].c_str());
    ListHistory(box, history);
  }
  std::vector<std::string> Entries() const {
    return std::vector<std::string>(std::begin(history), std::end(history));
  }

  HWND box = nullptr;
  History history;
};

TEST_F(HistoryUpdate, ANewValueGoesOnTopAndTheListFollowsInHistoryOrder) {
  Fill({"zeta", "alpha"});
  EXPECT_EQ(RememberInHistory(box, history, "mid"), 0);
  std::vector<std::string> entries = Entries();
  EXPECT_EQ(entries[0], "mid");
  EXPECT_EQ(entries[1], "zeta");
  EXPECT_EQ(entries[2], "alpha");
  EXPECT_EQ(entries[3], "");
  // Inserted at explicit positions, so the sorted style changes nothing.
  EXPECT_EQ(ComboItems(box), (std::vector<std::string>{"mid", "zeta", "alpha"}));
}

TEST_F(HistoryUpdate, AValueAlreadyThereChangesNothingAndNamesTheHighestMatch) {
  Fill({"d:\\Music", "other", "D:\\MUSIC"});
  SendMessageA(box, CB_SETCURSEL, 1, 0);
  EXPECT_EQ(RememberInHistory(box, history, "d:\\music"), 2);
  EXPECT_EQ(Entries()[0], "d:\\Music");
  EXPECT_EQ(ComboItems(box).size(), 3u);
  EXPECT_EQ(SendMessageA(box, CB_GETCURSEL, 0, 0), 1);  // the list was not refilled
}

TEST_F(HistoryUpdate, FreeSlotsAreSkippedInTheList) {
  Fill({"a", "", "c"});
  EXPECT_EQ(ComboItems(box), (std::vector<std::string>{"a", "c"}));
}

}  // namespace
