// Times one search of the real Parvik.exe as a user runs it: starts the
// program with /dir, presses Start, and waits until the results window holds
// its rows and the button reads "&Start" again. Prints the milliseconds from
// the click to then, the number of rows and the program's peak working set,
// and ends the program without saving anything.
//
//   window_run.exe PARVIK_EXE FOLDER
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

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
  // The sheet's title carries the version: "Parvik "; the results window's is "Parvik".
  size_t n = strlen(search->title);
  if (owner != search->process || strncmp(title, search->title, n) != 0 ||
      (search->title[n - 1] != ' ' && title[n] != '\0'))
    return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindProgramWindow(DWORD process, const char* title) {
  WindowSearch search = {process, title, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string WindowText(HWND window) {
  char text[MAX_PATH] = "";
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 100, &ignored);
  return text;
}

// Polls every 20 ms for up to 30 minutes.
template <typename Condition>
bool WaitFor(Condition condition) {
  for (int waited = 0; waited < 30 * 60 * 1000; waited += 20) {
    if (condition()) return true;
    Sleep(20);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: window_run PARVIK_EXE FOLDER\n");
    return 2;
  }
  std::string commandLine = std::string("\"") + argv[1] + "\" /dir \"" + argv[2] + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(argv[1], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    fprintf(stderr, "window_run: cannot start %s\n", argv[1]);
    return 1;
  }
  HWND sheet = nullptr, page = nullptr, start = nullptr, results = nullptr;
  bool ready = WaitFor([&] {
    sheet = FindProgramWindow(process.dwProcessId, "Parvik ");
    if (sheet) page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    if (page) start = GetDlgItem(page, 100);
    return start != nullptr;
  });
  int status = 1;
  if (ready) {
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    PostMessageA(start, BM_CLICK, 0, 0);
    bool done = WaitFor([&] {
      if (!results) results = FindProgramWindow(process.dwProcessId, "Parvik");
      // The button reads "&Abbruch" before the window gets its first row.
      return results && SendMessageA(results, LVM_GETITEMCOUNT, 0, 0) > 0 &&
             WindowText(start) == "&Start";
    });
    QueryPerformanceCounter(&end);
    if (done) {
      long rows = static_cast<long>(SendMessageA(results, LVM_GETITEMCOUNT, 0, 0));
      PROCESS_MEMORY_COUNTERS memory = {};
      GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
      printf("%.0f ms, %ld rows, peak %lu KiB\n",
             1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) /
                 static_cast<double>(frequency.QuadPart),
             rows, static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024));
      status = 0;
    }
  }
  TerminateProcess(process.hProcess, 0);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return status;
}
