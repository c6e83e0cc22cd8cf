// The external decoder module: decodes the formats the platform's codecs do
// not, into a bitmap made by the caller's WIC factory, so nothing it returns
// depends on this module staying loaded.
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "image_decoder.h"

namespace {

// Files beyond this are not pictures of the formats decoded here.
constexpr ULONGLONG kMaxFileSize = 1ull << 30;

bool ReadWholeFile(const wchar_t* path, std::vector<uint8_t>* data) {
  HANDLE file =
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  LARGE_INTEGER size = {};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
            static_cast<ULONGLONG>(size.QuadPart) <= kMaxFileSize;
  if (ok) {
    try {
      data->resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  size_t done = 0;
  while (ok && done < data->size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data->size() - done, 1u << 24));
    DWORD read = 0;
    ok = ReadFile(file, data->data() + done, chunk, &read, nullptr) && read == chunk;
    done += read;
  }
  CloseHandle(file);
  return ok;
}

std::wstring ExtensionOf(const wchar_t* path) {
  const wchar_t* dot = std::wcsrchr(path, L'.');
  const wchar_t* slash = std::wcsrchr(path, L'\\');
  if (!dot || (slash && dot < slash)) {
    return std::wstring();
  }
  return dot + 1;
}

IWICBitmap* DecodeFile(const wchar_t* path, IWICImagingFactory* factory) {
  std::vector<uint8_t> data;
  if (!ReadWholeFile(path, &data)) {
    return nullptr;
  }
  std::unique_ptr<CImageDecoder> decoder =
      CreateImageDecoder(data.data(), data.size(), ExtensionOf(path));
  if (!decoder) {
    return nullptr;
  }
  // Decoded straight into the bitmap's memory: no second copy of the picture.
  IWICBitmap* bitmap = nullptr;
  if (FAILED(factory->CreateBitmap(decoder->width(), decoder->height(),
                                   GUID_WICPixelFormat32bppBGRA, WICBitmapCacheOnLoad, &bitmap))) {
    return nullptr;
  }
  const WICRect all = {0, 0, static_cast<INT>(decoder->width()),
                       static_cast<INT>(decoder->height())};
  IWICBitmapLock* lock = nullptr;
  bool ok = SUCCEEDED(bitmap->Lock(&all, WICBitmapLockWrite, &lock));
  if (ok) {
    UINT stride = 0;
    UINT size = 0;
    BYTE* pixels = nullptr;
    ok = SUCCEEDED(lock->GetStride(&stride)) && SUCCEEDED(lock->GetDataPointer(&size, &pixels)) &&
         pixels && stride >= decoder->width() * 4ull &&
         size >= static_cast<UINT64>(stride) * decoder->height() && decoder->Decode(pixels, stride);
    lock->Release();
  }
  if (!ok) {
    bitmap->Release();
    return nullptr;
  }
  return bitmap;
}

}  // namespace

// Called as load_image (path, factory) with the stdcall convention; returns
// an IWICBitmap (32bppBGRA, straight alpha) with one reference for the
// caller, or null when the file is not a picture this module decodes.
extern "C" __declspec(dllexport) IUnknown* __stdcall load_image(const wchar_t* path,
                                                                IWICImagingFactory* factory) {
  if (!path || !factory) {
    return nullptr;
  }
  try {
    return DecodeFile(path, factory);
  } catch (...) {
    return nullptr;
  }
}
