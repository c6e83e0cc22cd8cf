#include "image/obj_image.h"

#include <wincodec.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "framework/com_ptr.h"

namespace {

// Bytes of a buffer of the given stride and height, or 0 when the product does
// not fit in a 32-bit process.
size_t CheckedImageBytes(int stride, int height) {
  const uint64_t bytes = static_cast<uint64_t>(stride) * static_cast<uint64_t>(height);
  if (stride <= 0 || height <= 0 || bytes > std::numeric_limits<DWORD>::max() ||
      bytes > std::numeric_limits<size_t>::max()) {
    return 0;
  }
  return static_cast<size_t>(bytes);
}

}  // namespace

FCObjImage& FCObjImage::operator=(const FCObjImage& other) {
  if (!other.IsValid()) {
    Release();
    return *this;
  }
  if (&other == this) {
    return *this;
  }
  if (Allocate(other.width, other.signed_height, other.bpp)) {
    std::memcpy(pixels, other.pixels, static_cast<size_t>(Stride()) * height);
    position_x = other.position_x;
    position_y = other.position_y;
  }
  return *this;
}

void FCObjImage::ZeroFields() {
  width = 0;
  height = 0;
  bpp = 0;
  signed_height = 0;
  pixels = nullptr;
  rows = nullptr;
  dib = nullptr;
}

void FCObjImage::Release() {
  delete[] rows;
  if (dib) {
    DeleteObject(dib);
  }
  ZeroFields();
}

bool FCObjImage::CreateDibSection(int new_width, int new_signed_height, int new_bpp) {
  const int new_height = new_signed_height < 0 ? -new_signed_height : new_signed_height;
  if (new_signed_height == 0 || new_width <= 0 || new_height <= 0 ||
      (new_bpp != 8 && new_bpp != 24 && new_bpp != 32)) {
    return false;
  }
  // Wide pictures overflow the stride before GDI sees them.
  if (new_width > (std::numeric_limits<int>::max() - 31) / new_bpp ||
      CheckedImageBytes(StrideOf(new_width, new_bpp), new_height) == 0) {
    return false;
  }
  width = new_width;
  bpp = new_bpp;
  signed_height = new_signed_height;
  height = new_height;

  // BITMAPINFOHEADER followed by a 256-entry colour table, all zero; the
  // table matters only for 8 bpp and stays black there.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info = {};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = signed_height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bpp);
  info.header.biCompression = BI_RGB;

  void* bits = nullptr;
  dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                         nullptr, 0);
  pixels = static_cast<BYTE*>(bits);
  if (!pixels) {
    Release();
    return false;
  }
  return BuildRowTable();
}

bool FCObjImage::BuildRowTable() {
  rows = new (std::nothrow) BYTE*[height];
  if (!rows) {
    Release();
    return false;
  }
  const int stride = Stride();
  if (signed_height >= 0) {
    rows[0] = pixels + static_cast<size_t>(height - 1) * stride;
    for (int i = 1; i < height; ++i) {
      rows[i] = rows[i - 1] - stride;
    }
  } else {
    for (int i = 0; i < height; ++i) {
      rows[i] = pixels + static_cast<size_t>(i) * stride;
    }
  }
  return true;
}

bool FCObjImage::Allocate(int new_width, int new_height, int new_bpp) {
  Release();
  return CreateDibSection(new_width, new_height, new_bpp);
}

bool FCObjImage::LoadFromWicSource(IWICBitmapSource* source, REFWICPixelFormatGUID pixel_format) {
  if (!source) {
    Release();
    return false;
  }
  ComPtr<IWICBitmapSource> converted;
  if (FAILED(WICConvertBitmapSource(pixel_format, source, converted.Receive())) || !converted) {
    return false;
  }
  UINT w = 0;
  UINT h = 0;
  const HRESULT size_hr = converted->GetSize(&w, &h);

  int new_bpp = 0;
  if (IsEqualGUID(pixel_format, GUID_WICPixelFormat24bppBGR)) {
    new_bpp = 24;
  } else if (IsEqualGUID(pixel_format, GUID_WICPixelFormat32bppBGR) ||
             IsEqualGUID(pixel_format, GUID_WICPixelFormat32bppBGRA) ||
             IsEqualGUID(pixel_format, GUID_WICPixelFormat32bppPBGRA)) {
    new_bpp = 32;
  }

  Release();
  bool ok = false;
  if (SUCCEEDED(size_hr) && h != 0 && w >= 1 && new_bpp != 0 &&
      w <= static_cast<UINT>(std::numeric_limits<int>::max()) &&
      h <= static_cast<UINT>(std::numeric_limits<int>::max()) &&
      CreateDibSection(static_cast<int>(w), -static_cast<int>(h), new_bpp)) {
    const UINT stride = static_cast<UINT>(Stride());
    ok = SUCCEEDED(converted->CopyPixels(nullptr, stride, stride * h, pixels));
  }
  return ok;
}

void FCObjImage::DrawTo(HDC hdc, RECT dest_rect, const RECT* src_rect) const {
  if (!IsValid() || !dib) {
    return;
  }
  RECT src = {};
  if (src_rect) {
    src = *src_rect;
  } else {
    BITMAP info = {};
    GetObjectW(dib, sizeof(info), &info);
    src = {0, 0, info.bmWidth, info.bmHeight};
  }
  const int dest_w = dest_rect.right - dest_rect.left;
  const int dest_h = dest_rect.bottom - dest_rect.top;
  const int src_w = src.right - src.left;
  const int src_h = src.bottom - src.top;

  CMemoryBitmapDC memory_dc(dib);
  if (bpp > 24) {
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(hdc, dest_rect.left, dest_rect.top, dest_w, dest_h, memory_dc, src.left, src.top,
                  src_w, src_h, blend);
  } else {
    const int old_mode = SetStretchBltMode(hdc, COLORONCOLOR);
    StretchBlt(hdc, dest_rect.left, dest_rect.top, dest_w, dest_h, memory_dc, src.left, src.top,
               src_w, src_h, SRCCOPY);
    SetStretchBltMode(hdc, old_mode);
  }
}

void FCObjImage::WrapExternal(int new_width, int new_height, BYTE* memory) {
  Release();
  if (new_width <= 0 || new_height <= 0 || !memory) {
    return;
  }
  width = new_width;
  bpp = 32;
  signed_height = -new_height;
  height = new_height;
  pixels = memory;
  BuildRowTable();
}

void FCObjImage::Unwrap() {
  if (dib) {
    return;
  }
  delete[] rows;
  ZeroFields();
}

CMemoryBitmapDC::CMemoryBitmapDC(HBITMAP bitmap, HBRUSH fill)
    : dc_(nullptr), bitmap_(dc_, bitmap), font_(dc_, GetCurrentObject(dc_, OBJ_FONT)) {
  if (!dc_) {
    return;
  }
  SetBkMode(dc_, TRANSPARENT);
  SetStretchBltMode(dc_, COLORONCOLOR);
  if (fill) {
    BITMAP info = {};
    GetObjectW(bitmap, sizeof(info), &info);
    RECT all = {0, 0, info.bmWidth, info.bmHeight};
    FillRect(dc_, &all, fill);
  }
}
