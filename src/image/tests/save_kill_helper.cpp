// Helper for the saving tests, started as a separate process:
//   save_kill_helper loop <picture> <event>  saves the picture over itself
//     again and again (signalling the event once it has begun) until killed;
//   save_kill_helper hold <file> <event>  keeps the file open, sharing it
//     for reading only, until killed.
#include <windows.h>
#include <gdiplus.h>

#include <string>

#include "image/image_document.h"
#include "image/wic_factory.h"

namespace {

int Loop(const std::wstring& path, HANDLE ready) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  if (FAILED(CWICFactory::Create())) {
    return 2;
  }
  CImageDocument document;
  document.Open(path);
  if (!document.GetLoader()) {
    return 3;
  }
  for (int round = 0;; ++round) {
    if (!document.SaveAs(path, round % 2 ? 60 : 90)) {
      return 4;
    }
    if (round == 0) {
      SetEvent(ready);
    }
  }
}

int Hold(const std::wstring& path, HANDLE ready) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return 5;
  }
  SetEvent(ready);
  Sleep(INFINITE);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    return 1;
  }
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
  if (!ready) {
    return 1;
  }
  const std::wstring mode = argv[1];
  if (mode == L"loop") {
    return Loop(argv[2], ready);
  }
  if (mode == L"hold") {
    return Hold(argv[2], ready);
  }
  return 1;
}
