#include "sysinfo/process_presence_win.h"

#include <optional>
#include <utility>

#include "platform/handles_win.h"
#include "platform/seams_win.h"
#include "platform/win.h"
#include "sysinfo/process_rules.h"

// tlhelp32.h needs windows.h first.
#include <tlhelp32.h>

namespace quorvel {

namespace {

// The executable names of all running processes, in list order; nullopt when the list
// cannot be taken.
std::optional<std::vector<std::pair<DWORD, std::string>>> RunningProcesses() {
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  if (!::Process32First(snapshot.Get(), &entry)) return std::nullopt;
  std::vector<std::pair<DWORD, std::string>> processes;
  do {
    processes.emplace_back(entry.th32ProcessID, process::BaseName(entry.szExeFile));
    entry.dwSize = sizeof(entry);
  } while (::Process32Next(snapshot.Get(), &entry));
  return processes;
}

void HandlePendingMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave the quit request to the message loop that owns it.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

}  // namespace

void ProcessPresence::CheckSteamRunning() {
  ProcessNames.clear();
  auto processes = RunningProcesses();
  if (!processes) return;
  for (auto& [id, name] : *processes) ProcessNames.push_back(std::move(name));
  SteamRunning = process::SteamInProcessList(ProcessNames);
}

bool GameRuns() {
  if (auto processes = RunningProcesses()) {
    // Every process under either name counts: a 32-bit launcher that has just ended must not
    // hide the 64-bit game that still plays.
    for (const auto& [id, name] : *processes) {
      if (!process::IsGameProcessName(name)) continue;
      UniqueHandle game(::OpenProcess(SYNCHRONIZE, FALSE, id));
      if (game && ::WaitForSingleObject(game.Get(), 0) == WAIT_TIMEOUT) return true;
    }
  }
  return false;
}

void ProcessPresence::CheckGameRunning() {
  bool running = GameRuns();
  if (!running) {
    GameRunning = false;
    return;
  }
  ::Sleep(CurrentSeams().WaitMs(5000));
  GameRunning = true;
  HandlePendingMessages();
}

}  // namespace quorvel
