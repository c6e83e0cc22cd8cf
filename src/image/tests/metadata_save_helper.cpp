// Helper of jpeg_metadata_test.sh, which reads its results with exiftool:
//   metadata_save_helper <source.jpg> <folder>
// writes, once with the platform's JPEG encoder and once with the program's
// own, the source rotated a quarter turn and saved back ("rotated_*.jpg"),
// and the source saved under another name ("saved_*.jpg").
#include <windows.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>

#include "config/app_config.h"
#include "image/image_document.h"
#include "image/jpeg_encoder.h"
#include "image/wic_factory.h"
#include "basic_lib/windows_version.h"

namespace {

bool SaveBoth(const std::wstring& source, const std::wstring& folder, const wchar_t* encoder) {
  const std::wstring rotated = folder + L"\\rotated_" + encoder + L".jpg";
  const std::wstring saved = folder + L"\\saved_" + encoder + L".jpg";
  if (!CopyFileW(source.c_str(), rotated.c_str(), FALSE)) {
    return false;
  }
  CAppConfig* config = CAppConfig::GetInstance();
  config->rotate_auto_save = 1;
  config->orientation_by_tag = 1;
  // Before Windows 8 a rotation is saved by encoding the picture again.
  CWindowsVersion::OverrideForTesting(6, 1);
  CImageDocument document;
  document.Open(rotated);
  if (!document.GetLoader()) {
    return false;
  }
  document.Rotate(true);

  CWindowsVersion::OverrideForTesting(10, 0);
  document.Open(source);
  return document.GetLoader() && document.SaveAs(saved, 90);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: metadata_save_helper <source.jpg> <folder>\n");
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  if (FAILED(CWICFactory::Create())) {
    return 3;
  }
  int result = 0;
  for (int honours : {1, 0}) {
    CJpegEncoder::OverridePlatformProbeForTesting(honours);
    if (!SaveBoth(argv[1], argv[2], honours ? L"platform" : L"own")) {
      std::fprintf(stderr, "saving with the %s encoder failed\n", honours ? "platform" : "own");
      result = 4;
    }
  }
  CWICFactory::Release();
  Gdiplus::GdiplusShutdown(token);
  CoUninitialize();
  return result;
}
