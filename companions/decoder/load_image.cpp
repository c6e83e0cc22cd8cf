// The external decoder module: decodes the formats the platform's codecs do
// not, into a bitmap made by the caller's WIC factory, so nothing it returns
// depends on this module staying loaded.
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "heif_decoder.h"
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

// What a file carries beside its pixels.
struct FileMetadata {
  std::vector<uint8_t> exif;
  std::vector<uint8_t> icc_profile;
};

IWICBitmap* DecodeFile(const wchar_t* path, IWICImagingFactory* factory, FileMetadata* metadata) {
  std::vector<uint8_t> data;
  if (!ReadWholeFile(path, &data)) {
    return nullptr;
  }
  std::unique_ptr<CImageDecoder> decoder =
      CreateImageDecoder(data.data(), data.size(), ExtensionOf(path), factory);
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
  if (metadata) {
    metadata->exif = decoder->exif();
    metadata->icc_profile = decoder->icc_profile();
  }
  return bitmap;
}

// A colour context of the factory's making; null when the profile is unusable.
IWICColorContext* MakeColourContext(IWICImagingFactory* factory,
                                    const std::vector<uint8_t>& profile) {
  IWICColorContext* context = nullptr;
  if (profile.empty() || profile.size() > 0xFFFFFFFFu ||
      FAILED(factory->CreateColorContext(&context))) {
    return nullptr;
  }
  if (FAILED(context->InitializeFromMemory(profile.data(), static_cast<UINT>(profile.size())))) {
    context->Release();
    return nullptr;
  }
  return context;
}

}  // namespace

// The viewer loads the module for each picture it decodes with it: what the
// codecs allocate as the module loads goes again as it unloads. Not at
// process exit (reserved set), when other threads may be gone mid-call.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    CHeifDecoder::AttachLibrary();
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    CHeifDecoder::DetachLibrary();
  }
  return TRUE;
}

// Called as load_image (path, factory) with the stdcall convention; returns
// an IWICBitmap (32bppBGRA, straight alpha) with one reference for the
// caller, or null when the file is not a picture this module decodes.
extern "C" __declspec(dllexport) IUnknown* __stdcall load_image(const wchar_t* path,
                                                                IWICImagingFactory* factory) {
  if (!path || !factory) {
    return nullptr;
  }
  try {
    return DecodeFile(path, factory, nullptr);
  } catch (...) {
    return nullptr;
  }
}

// load_image, handing out as well what the file carries beside its pixels
// (each out parameter may be null when not wanted):
// - exif: the EXIF block (the TIFF structure, from its byte order mark on),
//   allocated with CoTaskMemAlloc for the caller to free with CoTaskMemFree,
//   and exif_size its length; null and 0 when there is none.
// - colour_context: the embedded ICC profile as a colour context made by the
//   factory, with one reference for the caller; null when there is none.
// The pixels are already upright: an orientation in the EXIF block is not to
// be applied again. Out parameters are set on success only.
extern "C" __declspec(dllexport) IUnknown* __stdcall load_image_with_metadata(
    const wchar_t* path, IWICImagingFactory* factory, BYTE** exif, UINT* exif_size,
    IWICColorContext** colour_context) {
  if (exif) {
    *exif = nullptr;
  }
  if (exif_size) {
    *exif_size = 0;
  }
  if (colour_context) {
    *colour_context = nullptr;
  }
  if (!path || !factory) {
    return nullptr;
  }
  try {
    FileMetadata metadata;
    IWICBitmap* bitmap = DecodeFile(path, factory, &metadata);
    if (!bitmap) {
      return nullptr;
    }
    if (exif && exif_size && !metadata.exif.empty() && metadata.exif.size() <= 0xFFFFFFFFu) {
      if (void* block = CoTaskMemAlloc(metadata.exif.size())) {
        std::memcpy(block, metadata.exif.data(), metadata.exif.size());
        *exif = static_cast<BYTE*>(block);
        *exif_size = static_cast<UINT>(metadata.exif.size());
      }
    }
    if (colour_context) {
      *colour_context = MakeColourContext(factory, metadata.icc_profile);
    }
    return bitmap;
  } catch (...) {
    return nullptr;
  }
}
