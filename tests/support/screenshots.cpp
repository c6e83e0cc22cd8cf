#include "support/screenshots.h"

#include <cstdint>
#include <vector>

#include "support/app_driver.h"
#include "support/test_pictures.h"

namespace test_support {

std::wstring OutputFolder() {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"LUMORA_TEST_OUTPUT", buffer, MAX_PATH);
  std::wstring folder;
  if (length > 0 && length < MAX_PATH) {
    folder.assign(buffer, length);
  } else {
    GetCurrentDirectoryW(MAX_PATH, buffer);
    folder = std::wstring(buffer) + L"\\output";
  }
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

bool SaveScreenPng(const RECT& rect, const std::wstring& name) {
  const int width = rect.right - rect.left;
  const std::vector<uint32_t> pixels = ScreenPixels(rect);
  if (pixels.empty()) {
    return false;
  }
  return WriteTestPicture(OutputFolder() + L"\\" + name + L".png", width, rect.bottom - rect.top,
                          [&](int x, int y) {
                            const uint32_t pixel = pixels[static_cast<size_t>(y) * width + x];
                            return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
                          });
}

}  // namespace test_support
