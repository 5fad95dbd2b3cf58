// The main page as it is drawn: every label readable, added controls in room of their own.
#include <windows.h>

#include <commctrl.h>

#include "res/resource.h"
#include "window_fixture.h"

namespace {

// The text of a check box, in its own font, fits beside the box: on one line, or
// wrapped between words where the box wraps.
TEST_F(PageTest, EveryCheckBoxShowsItsLabelWhole) {
  for (int id : {IDC_LOG_FILE, IDC_SAME_NAME, IDC_ID3_TAG}) {
    HWND box = GetDlgItem(page, id);
    RECT client, text;
    GetClientRect(box, &client);
    text = {0, 0, client.right - GetSystemMetrics(SM_CXMENUCHECK) - 4, 0};
    const int width = text.right;
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_GETFONT, 0, 0)));
    bool wraps = GetWindowLongA(box, GWL_STYLE) & BS_MULTILINE;
    DrawTextA(dc, ControlText(page, id).c_str(), -1, &text, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    EXPECT_TRUE(text.right <= width && text.bottom <= client.bottom) << ControlText(page, id) << ": " << text.right << "x" << text.bottom;
  }
}

// The row added for the progress lies on the page and over no other control.
TEST_F(PageTest, TheProgressRowHasRoomOfItsOwn) {
  RECT pageRect;
  GetWindowRect(page, &pageRect);
  for (int id : {IDC_PROGRESS, IDC_TIME_LEFT}) {
    RECT added, other, overlap;
    GetWindowRect(GetDlgItem(page, id), &added);
    EXPECT_TRUE(IntersectRect(&overlap, &added, &pageRect) && EqualRect(&overlap, &added)) << id;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (GetDlgCtrlID(child) != id && GetWindowRect(child, &other) && IsWindowVisible(child))
        EXPECT_FALSE(IntersectRect(&overlap, &added, &other)) << id << " over " << GetDlgCtrlID(child);
  }
}

bool marqueeWhileListing;

// Listing shows activity; a finished run a full bar and no time left.
TEST_F(PageTest, TheBarShowsActivityWhileListingAndIsFullAtTheEnd) {
  atFirstPump = [](HWND page) { marqueeWhileListing = GetWindowLongA(GetDlgItem(page, IDC_PROGRESS), GWL_STYLE) & PBS_MARQUEE; };
  Search(60);
  HWND bar = GetDlgItem(page, IDC_PROGRESS);
  EXPECT_TRUE(marqueeWhileListing);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0) + (GetWindowLongA(bar, GWL_STYLE) & PBS_MARQUEE), 1000);
  EXPECT_EQ(ControlText(page, IDC_TIME_LEFT), "");
}

}  // namespace
