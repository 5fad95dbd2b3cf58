// The main page as it is drawn: every label readable, added controls in room of their own.
#include <windows.h>

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

}  // namespace
