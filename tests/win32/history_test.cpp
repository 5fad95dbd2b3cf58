// The history update behind both combo boxes, on a real combo box.
#include <string>
#include <vector>

#include "test_support.h"

namespace {

class HistoryUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    box = CreateWindowExA(0, "COMBOBOX", "", WS_POPUP | CBS_DROPDOWN | CBS_SORT, 0, 0, 200, 200,
                          nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(box, nullptr);
  }
  void TearDown() override { DestroyWindow(box); }

  void Fill(const std::vector<std::string>& entries) {
    SetHistory(history, entries);
    ListHistory(box, history);
  }

  HWND box = nullptr;
  History history;
};

TEST_F(HistoryUpdate, ANewValueGoesOnTopAndTheListFollowsInHistoryOrderWithoutFreeSlots) {
  Fill({"zeta", "", "alpha"});
  // Inserted at explicit positions, so the sorted style changes nothing.
  EXPECT_EQ(ComboItems(box), (std::vector<std::string>{"zeta", "alpha"}));
  Fill({"zeta", "alpha"});
  EXPECT_EQ(RememberInHistory(box, history, "mid"), 0);
  std::vector<std::string> entries = HistoryOf(history);
  EXPECT_EQ(std::vector<std::string>(entries.begin(), entries.begin() + 4),
            (std::vector<std::string>{"mid", "zeta", "alpha", ""}));
  EXPECT_EQ(ComboItems(box), (std::vector<std::string>{"mid", "zeta", "alpha"}));
}

TEST_F(HistoryUpdate, AValueAlreadyThereChangesNothingAndNamesTheHighestMatch) {
  Fill({"d:\\Music", "other", "D:\\MUSIC"});
  SendMessageA(box, CB_SETCURSEL, 1, 0);
  EXPECT_EQ(RememberInHistory(box, history, "d:\\music"), 2);
  EXPECT_EQ(HistoryOf(history)[0], "d:\\Music");
  EXPECT_EQ(ComboItems(box).size(), 3u);
  EXPECT_EQ(SendMessageA(box, CB_GETCURSEL, 0, 0), 1);  // the list was not refilled
}

}  // namespace
