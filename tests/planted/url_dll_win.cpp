// A library named like a system one, planted beside the program by tests (never shipped):
// when any process loads it, it leaves the file "<its own path>.loaded" beside itself.
#include "platform/win.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameA(instance, path, MAX_PATH - 8);
  if (n == 0 || n >= MAX_PATH - 8) return TRUE;
  lstrcatA(path, ".loaded");
  HANDLE marker =
      ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker != INVALID_HANDLE_VALUE) ::CloseHandle(marker);
  return TRUE;
}

// What the program asks of the real URL.DLL: "online".
extern "C" __declspec(dllexport) BOOL WINAPI InetIsOffline(DWORD) { return FALSE; }
