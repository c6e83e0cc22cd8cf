#include "support/app_driver.h"

#include <psapi.h>

#include <algorithm>

#include "app/app_names.h"
#include "framework/gdi_objects.h"
#include "support/test_paths.h"
#include "support/test_pictures.h"

namespace test_support {

namespace {

struct FindData {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindMainWindowProc(HWND hwnd, LPARAM lparam) {
  auto* data = reinterpret_cast<FindData*>(lparam);
  wchar_t class_name[128] = {};
  GetClassNameW(hwnd, class_name, 128);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (wcscmp(class_name, kMainFrameClassName) == 0 && IsWindowVisible(hwnd) &&
      (data->pid == 0 || pid == data->pid)) {
    data->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

LumoraProcess::~LumoraProcess() { Close(); }

void TurnOffDefaultViewerPrompt() {
  CreateDirectoryW(DataFolder().c_str(), nullptr);
  WritePrivateProfileStringW(L"app", L"default_viewer_start_tip", L"0",
                             (DataFolder() + L"config.ini").c_str());
}

bool LumoraProcess::Start(const std::wstring& arguments, const std::wstring& exe_path,
                          const std::wstring& working_folder) {
  trays_before_ = ProcessesOf(DistFolder() + L"\\LumoraTray.exe");
  keep_tray_ = false;
  if (!allow_prompt_) {
    TurnOffDefaultViewerPrompt();
  }
  const std::wstring exe = exe_path.empty() ? DistFolder() + L"\\Lumora.exe" : exe_path;
  std::wstring command = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  return CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        working_folder.empty() ? nullptr : working_folder.c_str(), &startup,
                        &info_) != FALSE;
}

HWND LumoraProcess::WaitForMainWindow(DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeout_ms) {
    main_window_ = FindMainWindowOf(info_.dwProcessId);
    if (main_window_) {
      return main_window_;
    }
    if (WaitForSingleObject(info_.hProcess, 50) == WAIT_OBJECT_0) {
      return nullptr;
    }
  }
  return nullptr;
}

std::wstring LumoraProcess::WaitForCaption(const std::wstring& text, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  std::wstring caption;
  do {
    caption = WindowCaption(main_window_);
    if (caption == text) {
      break;
    }
    Sleep(50);
  } while (GetTickCount() - start < timeout_ms);
  return caption;
}

bool LumoraProcess::WaitForExit(DWORD timeout_ms, DWORD* exit_code) {
  if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0) {
    return false;
  }
  if (exit_code) {
    GetExitCodeProcess(info_.hProcess, exit_code);
  }
  return true;
}

void LumoraProcess::Close() {
  if (!info_.hProcess) {
    return;
  }
  if (main_window_ && IsWindow(main_window_)) {
    PostMessageW(main_window_, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(info_.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hProcess);
  CloseHandle(info_.hThread);
  info_ = {};
  main_window_ = nullptr;
  if (!keep_tray_) {
    EndTrayProgramsExcept(trays_before_);
  }
  keep_tray_ = true;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= timeout_ms) {
      return false;
    }
    PumpFor(20);
  }
  return true;
}

namespace {

bool MutexOpens(const wchar_t* name) {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name);
  if (mutex) {
    CloseHandle(mutex);
    return true;
  }
  return GetLastError() == ERROR_ACCESS_DENIED;
}

std::wstring Upper(std::wstring text) {
  CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2] = {};
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
  return length > 0 && length < MAX_PATH * 2 ? std::wstring(full, length) : path;
}

}  // namespace

bool TrayProgramRuns() {
  return MutexOpens(L"Global\\LmTray-95745a12eeaa410d") ||
         MutexOpens(L"LmTrayUpgradePrivilegeName-d7a77ee6517af62d");
}

std::vector<DWORD> ProcessesOf(const std::wstring& path) {
  std::vector<DWORD> found;
  DWORD ids[1024] = {};
  DWORD bytes = 0;
  if (!EnumProcesses(ids, sizeof(ids), &bytes)) {
    return found;
  }
  const std::wstring wanted = Upper(FullPath(path));
  for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ids[i]);
    if (!process) {
      continue;
    }
    wchar_t image[MAX_PATH * 2] = {};
    DWORD length = MAX_PATH * 2;
    if (QueryFullProcessImageNameW(process, 0, image, &length) &&
        Upper(std::wstring(image, length)) == wanted) {
      found.push_back(ids[i]);
    }
    CloseHandle(process);
  }
  return found;
}

void EndTrayPrograms() { EndTrayProgramsExcept({}); }

void EndTrayProgramsExcept(const std::vector<DWORD>& kept) {
  for (DWORD id : ProcessesOf(DistFolder() + L"\\LumoraTray.exe")) {
    if (std::find(kept.begin(), kept.end(), id) != kept.end()) {
      continue;
    }
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }
}

HWND FindMessageWindow(const wchar_t* name) {
  return FindWindowExW(HWND_MESSAGE, nullptr, nullptr, name);
}

std::wstring WindowCaption(HWND hwnd) {
  wchar_t text[1024] = {};
  // Through the message, not the cached text, so a hung window shows as such.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           5000, &length)) {
    return std::wstring();
  }
  return std::wstring(text, length);
}

namespace {

struct ClassSearch {
  DWORD pid;
  const wchar_t* class_name;
  HWND skip;
  HWND found;
};

BOOL CALLBACK FindClassProc(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<ClassSearch*>(lparam);
  wchar_t class_name[128] = {};
  GetClassNameW(hwnd, class_name, 128);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == search->pid && hwnd != search->skip && IsWindowVisible(hwnd) &&
      wcscmp(class_name, search->class_name) == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND WaitForWindowOfClass(DWORD pid, const wchar_t* class_name, DWORD timeout_ms, HWND skip) {
  ClassSearch search = {pid, class_name, skip, nullptr};
  WaitUntil(
      [&] {
        EnumWindows(FindClassProc, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeout_ms);
  return search.found;
}

void PostClick(HWND hwnd, POINT point) {
  const LPARAM at = MAKELPARAM(point.x, point.y);
  PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
  PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

HWND FindMainWindowOf(DWORD pid) {
  FindData data = {pid, nullptr};
  EnumWindows(FindMainWindowProc, reinterpret_cast<LPARAM>(&data));
  return data.found;
}

COLORREF ScreenPixel(int x, int y) { return GetPixel(CClientDC(nullptr), x, y); }

std::vector<uint32_t> ScreenPixels(const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) {
    return {};
  }
  const BITMAPINFO info = TopDownBitmapInfo(width, height);
  void* bits = nullptr;
  const CClientDC screen(nullptr);
  const CMemoryDC memory(screen);
  const CBitmap copy(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  std::vector<uint32_t> pixels;
  if (copy) {
    {
      const CSelectObject select(memory, copy);
      BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    }
    const auto* first = static_cast<const uint32_t*>(bits);
    pixels.assign(first, first + static_cast<size_t>(width) * height);
    for (uint32_t& pixel : pixels) {
      pixel &= 0xFFFFFF;
    }
  }
  return pixels;
}

}  // namespace test_support
