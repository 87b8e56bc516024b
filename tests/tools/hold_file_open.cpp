// Test helper (Windows only): holds a file open the way a virus scanner, the
// search indexer or a cloud-sync client does for a moment after a file was
// written: read and write sharing, but no delete sharing, so that replacing
// or deleting the file fails with a sharing violation while it is open.
//
//   hold_file_open FILE READY_MARKER MILLISECONDS [exclusive | read]
//
// Opens FILE, then creates the empty file READY_MARKER to say that the lock
// is in place, holds FILE open for MILLISECONDS and closes it. With
// "exclusive" it shares nothing, as a scanner that opens a file for itself
// alone does: then not even reading it works meanwhile. With "read" it
// shares only reading, as an editor or viewer that keeps the file open
// does: it can be read but neither written nor replaced. Exit status 0, or
// 2 when FILE cannot be opened or the marker cannot be created.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4 && argc != 5) return 2;
  const wchar_t* const mode = argc == 5 ? argv[4] : L"";
  const DWORD share = std::wcscmp(mode, L"exclusive") == 0 ? 0
                      : std::wcscmp(mode, L"read") == 0    ? FILE_SHARE_READ
                                                           : FILE_SHARE_READ | FILE_SHARE_WRITE;
  const HANDLE held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 2;
  const HANDLE ready =
      CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 2;
  CloseHandle(ready);
  Sleep(static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
  CloseHandle(held);
  return 0;
}
