#include "support/drop_files.h"

#include <shlobj.h>

#include <vector>

namespace test_support {

bool DropFileOnWindow(HWND target, const std::wstring& path, POINT at) {
  DWORD pid = 0;
  GetWindowThreadProcessId(target, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) {
    return false;
  }
  // DROPFILES, then the name list ending in two zeros.
  std::vector<BYTE> block(sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t), 0);
  auto* header = reinterpret_cast<DROPFILES*>(block.data());
  header->pFiles = sizeof(DROPFILES);
  header->pt = at;
  header->fNC = FALSE;
  header->fWide = TRUE;
  memcpy(block.data() + sizeof(DROPFILES), path.c_str(), path.size() * sizeof(wchar_t));
  // Page-aligned memory reads as a fixed global block in the receiver.
  void* remote =
      VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  SIZE_T written = 0;
  const bool ok = remote &&
                  WriteProcessMemory(process, remote, block.data(), block.size(), &written) &&
                  written == block.size() &&
                  PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
  CloseHandle(process);
  return ok;
}

}  // namespace test_support
