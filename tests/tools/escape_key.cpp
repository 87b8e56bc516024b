// Test helper (Windows only) for running the tool with the Escape key held
// down through the window system (under Wine: X key events reaching a Wine
// desktop window).
//
//   escape_key wait down|up SECONDS
//     Polls the key every 10 ms with the tool's own poll until it is in the
//     wanted state, so that the test knows the key is seen before it starts
//     a run. Exit status 0 once it is, 1 when it is not within SECONDS.
//   escape_key hold READY_FILE STOP_FILE SECONDS
//     Creates the empty file READY_FILE, then runs until STOP_FILE exists,
//     at most SECONDS: keeps a Wine desktop, and with it the key state,
//     alive between runs (or Wine's session, started without the X server,
//     alive while the test uses it). Exit status 0, or 2 when READY_FILE
//     cannot be created.
//
// Exit status 2 for wrong arguments.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "cadxform/platform.h"

namespace {

// Polls `done` every `pause` ms until it returns true (true) or `seconds`
// have passed (false).
template <typename F>
bool PollUntil(F done, const char* seconds, DWORD pause) {
  const DWORD limit = static_cast<DWORD>(std::strtoul(seconds, nullptr, 10)) * 1000u;
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= limit) return false;
    Sleep(pause);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "wait") == 0) {
    if (std::strcmp(argv[2], "down") != 0 && std::strcmp(argv[2], "up") != 0) return 2;
    const bool wantDown = std::strcmp(argv[2], "down") == 0;
    return PollUntil([&] { return cadxform::platform::EscapeKeyDown() == wantDown; }, argv[3], 10) ? 0 : 1;
  }
  if (argc == 5 && std::strcmp(argv[1], "hold") == 0) {
    const HANDLE ready = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready == INVALID_HANDLE_VALUE) return 2;
    CloseHandle(ready);
    const char* stopFile = argv[3];
    PollUntil([&] { return GetFileAttributesA(stopFile) != INVALID_FILE_ATTRIBUTES; }, argv[4], 50);
    return 0;
  }
  return 2;
}
