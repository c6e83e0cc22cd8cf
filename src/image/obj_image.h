#pragma once

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <memory>

#include "framework/gdi_objects.h"

// Base of drawable objects: a position nothing in the image model interprets.
class FCObjGraph {
 public:
  virtual ~FCObjGraph() = default;

  int32_t position_x = 0;
  int32_t position_y = 0;
};

// The pixel buffer of the whole program: a DIB section (8, 24 or 32 bpp,
// B,G,R(,A) byte order, rows padded to 4 bytes) with a row table whose entry 0
// is always the top row, whatever the storage order.
class FCObjImage : public FCObjGraph {
 public:
  FCObjImage() = default;
  FCObjImage(const FCObjImage& other) { *this = other; }
  FCObjImage& operator=(const FCObjImage& other);
  ~FCObjImage() override { Release(); }

  // height is signed: negative stores the rows top-down, positive bottom-up.
  bool Allocate(int new_width, int new_height, int new_bpp);
  void Release();

  // Converts source to pixel_format (24bppBGR, 32bppBGR, 32bppBGRA or
  // 32bppPBGRA) and copies it straight into a top-down buffer.
  bool LoadFromWicSource(IWICBitmapSource* source, REFWICPixelFormatGUID pixel_format);

  // Draws with per-pixel premultiplied alpha above 24 bpp, else by StretchBlt.
  // src_rect null means the whole bitmap.
  void DrawTo(HDC hdc, RECT dest_rect, const RECT* src_rect = nullptr) const;

  // Addresses locked 32 bpp memory of stride 4 * width without owning it;
  // Unwrap must be called before the buffer is destroyed.
  void WrapExternal(int new_width, int new_height, BYTE* memory);
  void Unwrap();

  bool IsValid() const { return pixels != nullptr; }
  int Width() const { return width; }
  int Height() const { return height; }
  int ColorBits() const { return bpp; }
  int SignedHeight() const { return signed_height; }
  int Stride() const { return StrideOf(width, bpp); }
  BYTE* GetMemStart() const { return pixels; }
  BYTE* RowPointer(int y) const { return rows[y]; }
  BYTE* PixelPointer(int x, int y) const { return rows[y] + x * bpp / 8; }
  HBITMAP GetHBITMAP() const { return dib; }

  static int StrideOf(int w, int b) { return ((b * w + 31) / 32) * 4; }

 private:
  bool CreateDibSection(int new_width, int new_signed_height, int new_bpp);
  bool BuildRowTable();
  void ZeroFields();

  int32_t width = 0;
  int32_t height = 0;
  int32_t bpp = 0;
  int32_t signed_height = 0;
  BYTE* pixels = nullptr;
  BYTE** rows = nullptr;
  HBITMAP dib = nullptr;
};

// Buffers that cross threads or are shared between a renderer and a cache.
using FCObjImagePtr = std::shared_ptr<FCObjImage>;

// A memory DC with a bitmap selected for painting; restores the previous
// bitmap and font and deletes the DC on destruction, never the bitmap.
class CMemoryBitmapDC {
 public:
  explicit CMemoryBitmapDC(HBITMAP bitmap, HBRUSH fill = nullptr);
  CMemoryBitmapDC(const CMemoryBitmapDC&) = delete;
  CMemoryBitmapDC& operator=(const CMemoryBitmapDC&) = delete;

  operator HDC() const { return dc_; }

 private:
  // Destroyed in reverse order: the selections are undone before the DC goes.
  CMemoryDC dc_;
  CSelectObject bitmap_;
  CSelectObject font_;
};
