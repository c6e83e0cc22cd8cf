#include "image/jpeg_scaled_decoder.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/wic_factory.h"

extern "C" {
#include <jpeglib.h>
}

namespace jpeg_scaled {
namespace {

std::atomic<bool> g_enabled{true};
std::atomic<long> g_decodes{0};
std::atomic<long> g_platform_decodes{0};

// The platform decoder's scaling interface; MinGW's headers lack it.
const IID kIidBitmapSourceTransform = {
    0x3b16811b, 0x6a43, 0x4ec9, {0xb7, 0x13, 0x3d, 0x5a, 0x0c, 0x13, 0xb9, 0x40}};

struct IBitmapSourceTransform : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height,
                                               WICPixelFormatGUID* format,
                                               WICBitmapTransformOptions transform, UINT stride,
                                               UINT buffer_size, BYTE* buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) = 0;
  virtual HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform,
                                                         BOOL* supported) = 0;
};

// What DCT scaling makes of one side: the decoder rounds up.
UINT ScaledSide(UINT side, UINT denominator) { return (side + denominator - 1) / denominator; }

// Reads the file, or its first limit bytes; empty on failure. Others may go
// on writing it.
std::vector<unsigned char> ReadWholeFile(const std::wstring& path, size_t limit = SIZE_MAX) {
  std::vector<unsigned char> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return bytes;
  }
  LARGE_INTEGER size = {};
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 31)) {
    bytes.resize(std::min(static_cast<size_t>(size.QuadPart), limit));
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD read = 0;
      const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
      if (!ReadFile(file, bytes.data() + done, want, &read, nullptr) || read == 0) {
        break;
      }
      done += read;
    }
    bytes.resize(done);
  }
  CloseHandle(file);
  return bytes;
}

struct CErrorManager {
  jpeg_error_mgr base;
  jmp_buf escape;
};

void ExitOnError(j_common_ptr info) {
  longjmp(reinterpret_cast<CErrorManager*>(info->err)->escape, 1);
}

void IgnoreMessage(j_common_ptr, int) {}

J_COLOR_SPACE OutputSpace(Layout layout) {
  switch (layout) {
    case Layout::kBgr:
      return JCS_EXT_BGR;
    case Layout::kGray:
      return JCS_GRAYSCALE;
    default:
      return JCS_EXT_BGRA;
  }
}

// The decode proper, in plain C style: libjpeg reports errors by longjmp, so
// nothing here has a destructor to skip. Writes rows of stride bytes into
// buffer, which holds expected_height of them; false, with the buffer
// untouched, when the picture at this scale has another size.
bool DecodeRows(const unsigned char* data, size_t size, UINT denominator, Layout layout,
                UINT expected_width, UINT expected_height, BYTE* buffer, UINT stride) {
  jpeg_decompress_struct info;
  CErrorManager error;
  std::memset(&info, 0, sizeof(info));
  info.err = jpeg_std_error(&error.base);
  error.base.error_exit = ExitOnError;
  error.base.emit_message = IgnoreMessage;
  if (setjmp(error.escape)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  // CMYK and YCCK have no direct output here; the platform decoder takes them.
  const bool gray = info.jpeg_color_space == JCS_GRAYSCALE;
  if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK ||
      info.num_components == 4 || (layout == Layout::kGray && !gray)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = OutputSpace(layout);
  info.scale_num = 1;
  info.scale_denom = denominator;
  info.dct_method = JDCT_ISLOW;
  info.do_fancy_upsampling = TRUE;
  jpeg_calc_output_dimensions(&info);
  const UINT pixel_bytes = layout == Layout::kBgra ? 4 : layout == Layout::kBgr ? 3 : 1;
  if (info.output_width != expected_width || info.output_height != expected_height ||
      uint64_t{stride} < uint64_t{expected_width} * pixel_bytes) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_start_decompress(&info);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[4];
    const JDIMENSION left = info.output_height - info.output_scanline;
    const JDIMENSION count = left < 4 ? left : 4;
    for (JDIMENSION i = 0; i < count; ++i) {
      rows[i] = buffer + static_cast<size_t>(stride) * (info.output_scanline + i);
    }
    jpeg_read_scanlines(&info, rows, count);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

// The header of data: false when it is no JPEG this decoder reads.
bool ReadHeaderOf(const unsigned char* data, size_t size, CJpegHeader* header) {
  jpeg_decompress_struct info;
  CErrorManager error;
  std::memset(&info, 0, sizeof(info));
  info.err = jpeg_std_error(&error.base);
  error.base.error_exit = ExitOnError;
  error.base.emit_message = IgnoreMessage;
  JOCTET* volatile profile = nullptr;
  if (setjmp(error.escape)) {
    jpeg_destroy_decompress(&info);
    std::free(profile);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(&info, TRUE);
  header->width = info.image_width;
  header->height = info.image_height;
  header->gray = info.jpeg_color_space == JCS_GRAYSCALE;
  header->readable = info.num_components == (header->gray ? 1 : 3) &&
                     info.jpeg_color_space != JCS_CMYK && info.jpeg_color_space != JCS_YCCK;
  // As the platform's decoder reads the JFIF density: pixels per centimetre
  // in inches, and 96 where the unit is unknown (a bare aspect ratio).
  if (info.density_unit == 0) {
    header->dpi_x = 96.0;
    header->dpi_y = 96.0;
  } else {
    const double factor = info.density_unit == 2 ? 2.54 : 1.0;
    header->dpi_x = info.X_density * factor;
    header->dpi_y = info.Y_density * factor;
  }
  JOCTET* bytes = nullptr;
  unsigned int length = 0;
  if (jpeg_read_icc_profile(&info, &bytes, &length)) {
    profile = bytes;
    header->icc_profile.assign(bytes, bytes + length);
  }
  jpeg_destroy_decompress(&info);
  std::free(profile);
  return true;
}

ComPtr<IWICBitmap> WrapPixels(UINT width, UINT height, const unsigned char* pixels) {
  IWICImagingFactory* factory = CWICFactory::Get();
  ComPtr<IWICBitmap> bitmap;
  if (!factory || FAILED(factory->CreateBitmapFromMemory(
                      width, height, GUID_WICPixelFormat32bppBGRA, width * 4, width * 4 * height,
                      const_cast<BYTE*>(pixels), bitmap.Receive()))) {
    return nullptr;
  }
  return bitmap;
}

ComPtr<IWICBitmap> DecodeWithPlatform(IWICBitmapSource* frame, UINT width, UINT height) {
  ComPtr<IBitmapSourceTransform> transform;
  if (!frame || FAILED(frame->QueryInterface(kIidBitmapSourceTransform,
                                             reinterpret_cast<void**>(transform.Receive())))) {
    return nullptr;
  }
  UINT closest_width = width;
  UINT closest_height = height;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  BOOL can_transform = FALSE;
  if (FAILED(transform->GetClosestSize(&closest_width, &closest_height)) ||
      closest_width != width || closest_height != height ||
      FAILED(transform->GetClosestPixelFormat(&format)) ||
      !IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA) ||
      FAILED(transform->DoesSupportTransform(WICBitmapTransformRotate0, &can_transform)) ||
      !can_transform) {
    return nullptr;
  }
  std::vector<BYTE> pixels(static_cast<size_t>(width) * 4 * height);
  WICPixelFormatGUID wanted = GUID_WICPixelFormat32bppBGRA;
  if (FAILED(transform->CopyPixels(nullptr, width, height, &wanted, WICBitmapTransformRotate0,
                                   width * 4, static_cast<UINT>(pixels.size()), pixels.data()))) {
    return nullptr;
  }
  return WrapPixels(width, height, pixels.data());
}

}  // namespace

void SetEnabled(bool enabled) { g_enabled = enabled; }
bool Enabled() { return g_enabled; }
long SuccessfulDecodes() { return g_decodes; }
long PlatformDecodes() { return g_platform_decodes; }

UINT ChooseDenominator(UINT width, UINT height, UINT min_width, UINT min_height) {
  for (UINT denominator : {8u, 4u, 2u}) {
    if (ScaledSide(width, denominator) >= min_width &&
        ScaledSide(height, denominator) >= min_height) {
      return denominator;
    }
  }
  return 1;
}

ComPtr<IWICBitmap> DecodeWithLibjpeg(const std::wstring& path, UINT denominator,
                                     UINT expected_width, UINT expected_height) {
  if (denominator != 1 && denominator != 2 && denominator != 4 && denominator != 8) {
    return nullptr;
  }
  const std::vector<unsigned char> file = ReadWholeFile(path);
  if (file.empty()) {
    return nullptr;
  }
  return DecodeToBitmap(file, denominator, expected_width, expected_height);
}

ComPtr<IWICBitmap> DecodeToBitmap(const std::vector<unsigned char>& file, UINT denominator,
                                  UINT expected_width, UINT expected_height) {
  IWICImagingFactory* factory = CWICFactory::Get();
  ComPtr<IWICBitmap> bitmap;
  if (!factory || expected_width == 0 || expected_height == 0 ||
      FAILED(factory->CreateBitmap(expected_width, expected_height, GUID_WICPixelFormat32bppBGRA,
                                   WICBitmapCacheOnLoad, bitmap.Receive()))) {
    return nullptr;
  }
  bool decoded = false;
  {
    const WICRect whole = {0, 0, static_cast<INT>(expected_width),
                           static_cast<INT>(expected_height)};
    ComPtr<IWICBitmapLock> lock;
    UINT stride = 0;
    UINT size = 0;
    BYTE* pixels = nullptr;
    if (SUCCEEDED(bitmap->Lock(&whole, WICBitmapLockWrite, lock.Receive())) &&
        SUCCEEDED(lock->GetStride(&stride)) && SUCCEEDED(lock->GetDataPointer(&size, &pixels)) &&
        uint64_t{size} >= uint64_t{stride} * expected_height) {
      // A file replaced since it was opened is not the picture asked for.
      decoded = DecodeRows(file.data(), file.size(), denominator, Layout::kBgra, expected_width,
                           expected_height, pixels, stride);
    }
  }
  return decoded ? bitmap : nullptr;
}

bool DecodeInto(const std::vector<unsigned char>& file, Layout layout, UINT width, UINT height,
                BYTE* buffer, UINT stride) {
  return DecodeRows(file.data(), file.size(), 1, layout, width, height, buffer, stride);
}

bool ReadHeader(const std::wstring& path, CJpegHeader* header) {
  // Every segment before the pixels is usually in the first few hundred
  // kilobytes; the whole file is read only when they are not.
  constexpr size_t kHead = 256 * 1024;
  std::vector<unsigned char> head = ReadWholeFile(path, kHead);
  if (head.size() < 4 || head[0] != 0xFF || head[1] != 0xD8) {
    return false;
  }
  if (ReadHeaderOf(head.data(), head.size(), header)) {
    return true;
  }
  if (head.size() < kHead) {
    return false;
  }
  const std::vector<unsigned char> file = ReadWholeFile(path);
  return file.size() > head.size() && ReadHeaderOf(file.data(), file.size(), header);
}

std::vector<unsigned char> ReadFileData(const std::wstring& path) { return ReadWholeFile(path); }

ComPtr<IWICBitmap> Decode(IWICBitmapSource* frame, const std::wstring& path, UINT denominator) {
  UINT width = 0;
  UINT height = 0;
  if (!g_enabled || !frame || FAILED(frame->GetSize(&width, &height)) || width == 0 ||
      height == 0) {
    return nullptr;
  }
  const UINT scaled_width = ScaledSide(width, denominator);
  const UINT scaled_height = ScaledSide(height, denominator);
  if (ComPtr<IWICBitmap> bitmap = DecodeWithPlatform(frame, scaled_width, scaled_height)) {
    ++g_platform_decodes;
    ++g_decodes;
    return bitmap;
  }
  ComPtr<IWICBitmap> bitmap = DecodeWithLibjpeg(path, denominator, scaled_width, scaled_height);
  if (bitmap) {
    ++g_decodes;
  }
  return bitmap;
}

}  // namespace jpeg_scaled
