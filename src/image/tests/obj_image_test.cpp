#include "image/obj_image.h"

#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(ObjImageAllocate, RejectsBadSizesAndLeavesBufferEmpty) {
  const struct {
    int width, height, bpp;
  } cases[] = {{0, 5, 32}, {5, 0, 32}, {5, 5, 16},          {-3, 5, 24},
               {5, 5, 1},  {5, 5, 0},  {0x7fffffff, 1, 32}, {70000, 70000, 32}};
  for (const auto& c : cases) {
    FCObjImage img;
    ASSERT_TRUE(img.Allocate(4, 4, 32));
    EXPECT_FALSE(img.Allocate(c.width, c.height, c.bpp)) << c.width << "x" << c.height;
    EXPECT_FALSE(img.IsValid());
    EXPECT_EQ(img.Width(), 0);
    EXPECT_EQ(img.Height(), 0);
    EXPECT_EQ(img.ColorBits(), 0);
    EXPECT_EQ(img.SignedHeight(), 0);
    EXPECT_EQ(img.GetHBITMAP(), nullptr);
  }
}

TEST(ObjImageAllocate, StridesAndRowTables) {
  const struct {
    int width, height, bpp, stride;
  } cases[] = {{3, 2, 24, 12}, {3, 2, 8, 4},  {10, 4, 32, 40}, {10, -4, 32, 40},
               {1, 1, 24, 4},  {5, -3, 8, 8}, {4, 3, 24, 12}};
  for (const auto& c : cases) {
    FCObjImage img;
    ASSERT_TRUE(img.Allocate(c.width, c.height, c.bpp));
    EXPECT_EQ(img.Stride(), c.stride);
    EXPECT_EQ(img.SignedHeight(), c.height);
    const int h = c.height < 0 ? -c.height : c.height;
    EXPECT_EQ(img.Height(), h);
    BYTE* top = c.height >= 0 ? img.GetMemStart() + (h - 1) * c.stride : img.GetMemStart();
    const int step = c.height >= 0 ? -c.stride : c.stride;
    for (int y = 0; y < h; ++y) {
      EXPECT_EQ(img.RowPointer(y), top + y * step);
    }
    EXPECT_EQ(img.PixelPointer(c.width - 1, h - 1),
              img.RowPointer(h - 1) + (c.width - 1) * c.bpp / 8);
    // The DIB section GDI sees has the same size and the same memory.
    DIBSECTION dib = {};
    ASSERT_EQ(GetObjectW(img.GetHBITMAP(), sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_EQ(dib.dsBm.bmWidth, c.width);
    EXPECT_EQ(dib.dsBm.bmHeight, h);
    EXPECT_EQ(dib.dsBm.bmBits, img.GetMemStart());
  }
}

TEST(ObjImageAllocate, BottomUpRowZeroIsTheTopRowGdiSees) {
  // A red top row drawn by GDI must land in rows[0] for both storage orders.
  for (int signed_height : {4, -4}) {
    FCObjImage img;
    ASSERT_TRUE(img.Allocate(10, signed_height, 32));
    {
      CMemoryBitmapDC dc(img.GetHBITMAP());
      RECT top = {0, 0, 10, 1};
      HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
      FillRect(dc, &top, red);
      DeleteObject(red);
    }
    GdiFlush();
    EXPECT_EQ(img.RowPointer(0)[2], 255) << signed_height;
    EXPECT_EQ(img.RowPointer(1)[2], 0) << signed_height;
  }
}

TEST(ObjImageAssign, CopiesPixelsPositionAndOrder) {
  FCObjImage source;
  ASSERT_TRUE(source.Allocate(3, 2, 24));
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 9; ++x) {
      source.RowPointer(y)[x] = static_cast<BYTE>(y * 16 + x);
    }
  }
  source.position_x = 7;
  source.position_y = -2;

  FCObjImage copy;
  copy = source;
  ASSERT_TRUE(copy.IsValid());
  EXPECT_NE(copy.GetMemStart(), source.GetMemStart());
  EXPECT_EQ(copy.SignedHeight(), 2);
  EXPECT_EQ(copy.ColorBits(), 24);
  EXPECT_EQ(copy.position_x, 7);
  EXPECT_EQ(copy.position_y, -2);
  EXPECT_EQ(std::memcmp(copy.RowPointer(1), source.RowPointer(1), 9), 0);
  EXPECT_EQ(std::memcmp(copy.GetMemStart(), source.GetMemStart(), 24), 0);

  FCObjImage constructed(source);
  EXPECT_EQ(std::memcmp(constructed.RowPointer(0), source.RowPointer(0), 9), 0);

  BYTE* before = copy.GetMemStart();
  copy = copy;
  EXPECT_EQ(copy.GetMemStart(), before);
  EXPECT_EQ(copy.RowPointer(0)[4], 4);

  FCObjImage empty;
  copy = empty;
  EXPECT_FALSE(copy.IsValid());
  EXPECT_EQ(copy.GetHBITMAP(), nullptr);
}

TEST(ObjImageWrap, AddressesExternalMemoryTopDown) {
  std::vector<BYTE> memory(4 * 3 * 2);
  FCObjImage img;
  img.WrapExternal(3, 2, memory.data());
  EXPECT_EQ(img.ColorBits(), 32);
  EXPECT_EQ(img.SignedHeight(), -2);
  EXPECT_EQ(img.RowPointer(1), memory.data() + 12);
  EXPECT_EQ(img.GetHBITMAP(), nullptr);
  img.PixelPointer(2, 1)[3] = 0x55;
  EXPECT_EQ(memory[12 + 8 + 3], 0x55);
  img.Unwrap();
  EXPECT_FALSE(img.IsValid());
  EXPECT_EQ(memory[12 + 8 + 3], 0x55);
}

// A 24-bit screen-compatible target bitmap to draw into.
class DrawTarget {
 public:
  DrawTarget(int w, int h, COLORREF fill) {
    target_.Allocate(w, -h, 24);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, target_.GetHBITMAP());
    RECT all = {0, 0, w, h};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  ~DrawTarget() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  const BYTE* Pixel(int x, int y) {
    GdiFlush();
    return target_.PixelPointer(x, y);
  }

 private:
  FCObjImage target_;
  HDC dc_;
  HGDIOBJ old_;
};

TEST(ObjImageDraw, TwentyFourBitStretchRestoresStretchMode) {
  FCObjImage img;
  ASSERT_TRUE(img.Allocate(2, 2, 24));
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) {
      BYTE* p = img.PixelPointer(x, y);
      p[0] = 10;
      p[1] = static_cast<BYTE>(100 + x);
      p[2] = static_cast<BYTE>(200 + y);
    }
  }
  DrawTarget target(8, 8, RGB(0, 0, 0));
  SetStretchBltMode(target.dc(), HALFTONE);
  img.DrawTo(target.dc(), {0, 0, 4, 4});
  EXPECT_EQ(GetStretchBltMode(target.dc()), HALFTONE);
  // Doubled: pixel (3,3) comes from picture pixel (1,1).
  const BYTE* p = target.Pixel(3, 3);
  EXPECT_EQ(p[0], 10);
  EXPECT_EQ(p[1], 101);
  EXPECT_EQ(p[2], 201);
  EXPECT_EQ(target.Pixel(5, 5)[2], 0);
}

TEST(ObjImageDraw, ThirtyTwoBitBlendsPremultipliedAlpha) {
  FCObjImage img;
  ASSERT_TRUE(img.Allocate(2, 1, 32));
  BYTE* opaque = img.PixelPointer(0, 0);
  opaque[0] = 0;
  opaque[1] = 0;
  opaque[2] = 255;
  opaque[3] = 255;
  BYTE* transparent = img.PixelPointer(1, 0);
  std::memset(transparent, 0, 4);

  DrawTarget target(4, 1, RGB(0, 200, 0));
  SetStretchBltMode(target.dc(), HALFTONE);
  img.DrawTo(target.dc(), {0, 0, 2, 1});
  EXPECT_EQ(GetStretchBltMode(target.dc()), HALFTONE);
  EXPECT_EQ(target.Pixel(0, 0)[2], 255);
  EXPECT_EQ(target.Pixel(0, 0)[1], 0);
  // Transparent black leaves the target as it was.
  EXPECT_EQ(target.Pixel(1, 0)[1], 200);
  EXPECT_EQ(target.Pixel(1, 0)[2], 0);
}

TEST(ObjImageDraw, SourceRectangleAndEmptyBuffer) {
  FCObjImage img;
  ASSERT_TRUE(img.Allocate(2, 1, 24));
  img.PixelPointer(0, 0)[2] = 50;
  img.PixelPointer(1, 0)[2] = 150;
  DrawTarget target(2, 1, RGB(0, 0, 0));
  RECT src = {1, 0, 2, 1};
  img.DrawTo(target.dc(), {0, 0, 1, 1}, &src);
  EXPECT_EQ(target.Pixel(0, 0)[2], 150);

  FCObjImage empty;
  empty.DrawTo(target.dc(), {0, 0, 2, 1});
  EXPECT_EQ(target.Pixel(1, 0)[2], 0);
}

class ObjImageWic : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr,
                                              CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory_)));
  }
  void TearDown() override {
    if (factory_) {
      factory_->Release();
    }
    CoUninitialize();
  }

  // A 3x2 32bppBGRA bitmap whose pixels are (x, y, 7, alpha).
  IWICBitmap* MakeBitmap(BYTE alpha) {
    BYTE pixels[3 * 2 * 4];
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 3; ++x) {
        BYTE* p = pixels + (y * 3 + x) * 4;
        p[0] = static_cast<BYTE>(x * 40);
        p[1] = static_cast<BYTE>(y * 80);
        p[2] = 200;
        p[3] = alpha;
      }
    }
    IWICBitmap* bitmap = nullptr;
    EXPECT_HRESULT_SUCCEEDED(factory_->CreateBitmapFromMemory(3, 2, GUID_WICPixelFormat32bppBGRA,
                                                              12, sizeof(pixels), pixels, &bitmap));
    return bitmap;
  }

  IWICImagingFactory* factory_ = nullptr;
};

TEST_F(ObjImageWic, LoadsSupportedFormatsTopDown) {
  IWICBitmap* bitmap = MakeBitmap(255);
  ASSERT_NE(bitmap, nullptr);
  const struct {
    const GUID* format;
    int bpp;
  } cases[] = {{&GUID_WICPixelFormat24bppBGR, 24},
               {&GUID_WICPixelFormat32bppBGR, 32},
               {&GUID_WICPixelFormat32bppBGRA, 32},
               {&GUID_WICPixelFormat32bppPBGRA, 32}};
  for (const auto& c : cases) {
    FCObjImage img;
    ASSERT_TRUE(img.LoadFromWicSource(bitmap, *c.format));
    EXPECT_EQ(img.ColorBits(), c.bpp);
    EXPECT_EQ(img.Width(), 3);
    EXPECT_EQ(img.SignedHeight(), -2);
    EXPECT_EQ(img.RowPointer(0), img.GetMemStart());
    const BYTE* p = img.PixelPointer(2, 1);
    EXPECT_EQ(p[0], 80);
    EXPECT_EQ(p[1], 80);
    EXPECT_EQ(p[2], 200);
  }
  bitmap->Release();
}

TEST_F(ObjImageWic, PremultipliesForDisplay) {
  IWICBitmap* bitmap = MakeBitmap(128);
  ASSERT_NE(bitmap, nullptr);
  FCObjImage img;
  ASSERT_TRUE(img.LoadFromWicSource(bitmap, GUID_WICPixelFormat32bppPBGRA));
  const BYTE* p = img.PixelPointer(0, 0);
  EXPECT_NEAR(p[2], 100, 1);
  EXPECT_EQ(p[3], 128);
  bitmap->Release();
}

TEST_F(ObjImageWic, RefusesOtherFormats) {
  IWICBitmap* bitmap = MakeBitmap(255);
  ASSERT_NE(bitmap, nullptr);
  FCObjImage img;
  ASSERT_TRUE(img.Allocate(2, 2, 24));
  EXPECT_FALSE(img.LoadFromWicSource(bitmap, GUID_WICPixelFormat8bppIndexed));
  EXPECT_FALSE(img.IsValid());
  EXPECT_FALSE(img.LoadFromWicSource(bitmap, GUID_WICPixelFormat32bppRGBA));
  EXPECT_FALSE(img.LoadFromWicSource(nullptr, GUID_WICPixelFormat32bppBGRA));
  bitmap->Release();
}

}  // namespace
