// Presses a button of whichever visible window shows it, for scripts that walk through the
// pages of the installer under Xvfb (a test tool, never shipped).
//
//   press_button.exe <button text> [timeout seconds] [wait]
//
// Waits until a visible top-level window has a visible, enabled button with exactly this
// text (with its "&"), then clicks it (BM_CLICK, posted); with "wait" it only waits. Exit
// code 0 when found, 2 when no such button appeared in time (default 60 seconds).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win.h"

namespace {

struct Search {
  std::string text;
  HWND found = nullptr;
};

BOOL CALLBACK MatchButton(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  char name[32] = {};
  ::GetClassNameA(child, name, sizeof(name));
  char text[256] = {};
  ::GetWindowTextA(child, text, sizeof(text));
  if (lstrcmpiA(name, "Button") == 0 && search->text == text && ::IsWindowVisible(child) &&
      ::IsWindowEnabled(child)) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK SearchWindow(HWND window, LPARAM param) {
  if (::IsWindowVisible(window)) ::EnumChildWindows(window, MatchButton, param);
  return reinterpret_cast<Search*>(param)->found ? FALSE : TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: press_button <button text> [timeout seconds]\n");
    return 2;
  }
  Search search{argv[1]};
  DWORD timeoutMs = (argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 60) * 1000;
  DWORD start = ::GetTickCount();
  while (!search.found) {
    ::EnumWindows(SearchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) break;
    if (::GetTickCount() - start > timeoutMs) {
      std::fprintf(stderr, "press_button: no button \"%s\"\n", argv[1]);
      return 2;
    }
    ::Sleep(200);
  }
  if (argc > 3 && std::string(argv[3]) == "wait") return 0;
  ::PostMessageA(search.found, BM_CLICK, 0, 0);
  return 0;
}
