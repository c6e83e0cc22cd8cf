#pragma once

#include <windows.h>
#include <gdiplus.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/com_ptr.h"
#include "image/wic_factory.h"

namespace test_support {

// COM, GDI+ and the imaging factory for the whole test program, started the
// way the application starts them.
class ImagingEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&gdiplus_token_, &input, nullptr), Gdiplus::Ok);
    ASSERT_HRESULT_SUCCEEDED(CWICFactory::Create());
  }
  void TearDown() override {
    CWICFactory::Release();
    Gdiplus::GdiplusShutdown(gdiplus_token_);
    CoUninitialize();
  }

 private:
  ULONG_PTR gdiplus_token_ = 0;
};

// B, G, R, A rows of a source converted to 32bppBGRA, stride 4 x width.
struct Pixels {
  UINT width = 0;
  UINT height = 0;
  std::vector<uint8_t> bgra;

  const uint8_t* At(UINT x, UINT y) const { return bgra.data() + (size_t{y} * width + x) * 4; }
};

inline Pixels ReadPixels(IWICBitmapSource* source) {
  Pixels pixels;
  ComPtr<IWICBitmapSource> converted;
  if (!source ||
      FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, source, converted.Receive())) ||
      FAILED(converted->GetSize(&pixels.width, &pixels.height))) {
    ADD_FAILURE() << "cannot read the pixels";
    return Pixels();
  }
  pixels.bgra.resize(size_t{pixels.width} * pixels.height * 4);
  const UINT stride = pixels.width * 4;
  if (FAILED(converted->CopyPixels(nullptr, stride, static_cast<UINT>(pixels.bgra.size()),
                                   pixels.bgra.data()))) {
    ADD_FAILURE() << "CopyPixels failed";
    return Pixels();
  }
  return pixels;
}

// Decodes a file with the platform's codec alone (frame 0).
inline ComPtr<IWICBitmapSource> DecodeWithPlatform(const std::wstring& path) {
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(CWICFactory::Get()->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                           WICDecodeMetadataCacheOnDemand,
                                                           decoder.Receive())) ||
      FAILED(decoder->GetFrame(0, frame.Receive()))) {
    return nullptr;
  }
  return frame;
}

// The Windows path in an environment variable the build gives the tests.
inline std::wstring EnvironmentPath(const wchar_t* name) {
  wchar_t value[MAX_PATH * 2] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
  return length > 0 && length < MAX_PATH * 2 ? std::wstring(value) : std::wstring();
}

}  // namespace test_support
