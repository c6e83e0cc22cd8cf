#include <windows.h>
#include <icm.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/app_config.h"
#include "image/image_file_opener.h"
#include "support/image_fixtures.h"
#include "image/wic_factory.h"
#include "image/wic_image_loader.h"
#include "image/wic_pipeline.h"
#include "support/test_paths.h"

namespace {

using test_support::Fixture;
using test_support::Pixels;

bool SameObject(IUnknown* a, IUnknown* b) {
  ComPtr<IUnknown> identity_a = ComPtr<IUnknown>(a).As<IUnknown>();
  ComPtr<IUnknown> identity_b = ComPtr<IUnknown>(b).As<IUnknown>();
  return identity_a && identity_a.Get() == identity_b.Get();
}

// A metafile: the platform's imaging codecs do not read it, GDI+ does.
void WriteMetafile(const std::wstring& path) {
  HDC dc = CreateEnhMetaFileW(nullptr, path.c_str(), nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  RECT left = {0, 0, 40, 30};
  RECT right = {40, 0, 80, 30};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(dc, &left, red);
  FillRect(dc, &right, blue);
  DeleteObject(red);
  DeleteObject(blue);
  DeleteEnhMetaFile(CloseEnhMetaFile(dc));
}

TEST(GdiPlusFallback, MetafileOpensThroughGdiPlus) {
  test_support::ScratchFolder scratch(L"fallback_emf");
  const std::wstring path = scratch.File(L"drawing.emf");
  WriteMetafile(path);
  EXPECT_FALSE(CWICImageLoader(path).source());  // WIC cannot

  CWICImageLoaderPtr loader = OpenImageFile(path);
  ASSERT_TRUE(loader);
  EXPECT_EQ(loader->decoder(), nullptr);
  EXPECT_EQ(loader->colour_context(), nullptr);
  EXPECT_EQ(loader->exif().orientation, 0);
  EXPECT_EQ(loader->exif().dpi, 0);
  EXPECT_TRUE(loader->exif().make.empty());
  const SIZE size = loader->GetOrientedSize();
  ASSERT_GT(size.cx, 0);
  ASSERT_GT(size.cy, 0);

  // The in-memory 32bppBGRA bitmap comes back as it is: no copy, no transform.
  ComPtr<IWICBitmap> bitmap = loader->GetBitmap(true);
  ASSERT_TRUE(bitmap);
  EXPECT_TRUE(SameObject(bitmap.Get(), loader->source()));
  const Pixels pixels = test_support::ReadPixels(bitmap.Get());
  const UINT middle = pixels.height / 2;
  EXPECT_TRUE(test_support::ColourNear(pixels.At(pixels.width / 4, middle), {255, 0, 0}, 8));
  EXPECT_TRUE(test_support::ColourNear(pixels.At(pixels.width * 3 / 4, middle), {0, 0, 255}, 8));
  EXPECT_EQ(pixels.At(pixels.width / 4, middle)[3], 255);
}

TEST(GdiPlusFallback, DecodesWhatWicAlsoDecodes) {
  ComPtr<IWICBitmapSource> bitmap = DecodeWithGdiPlus(Fixture(L"orientation_1.jpg"));
  ASSERT_TRUE(bitmap);
  const Pixels pixels = test_support::ReadPixels(bitmap.Get());
  ASSERT_EQ(pixels.width, 16u);
  EXPECT_TRUE(test_support::ColourNear(pixels.At(12, 20), test_support::kBlocks[2][1], 24));
  EXPECT_FALSE(DecodeWithGdiPlus(Fixture(L"no_such_file.png")));
}

TEST(InMemoryLoader, RotationMakesANewBitmap) {
  // 2 x 1: red, blue.
  const uint8_t pixels[] = {0, 0, 255, 255, 255, 0, 0, 255};
  ComPtr<IWICBitmap> memory;
  ASSERT_HRESULT_SUCCEEDED(CWICFactory::Get()->CreateBitmapFromMemory(
      2, 1, GUID_WICPixelFormat32bppBGRA, 8, sizeof(pixels), const_cast<uint8_t*>(pixels),
      memory.Receive()));
  CWICImageLoader loader(memory.Get(), nullptr);
  EXPECT_EQ(loader.exif().orientation, 0);
  EXPECT_TRUE(SameObject(loader.GetBitmap(false).Get(), memory.Get()));
  loader.RotateOrientation(true);
  ComPtr<IWICBitmap> turned = loader.GetBitmap(false);
  ASSERT_TRUE(turned);
  EXPECT_FALSE(SameObject(turned.Get(), memory.Get()));
  const Pixels upright = test_support::ReadPixels(turned.Get());
  ASSERT_EQ(upright.width, 1u);
  ASSERT_EQ(upright.height, 2u);
  EXPECT_TRUE(test_support::ColourNear(upright.At(0, 0), {255, 0, 0}, 0));
  EXPECT_TRUE(test_support::ColourNear(upright.At(0, 1), {0, 0, 255}, 0));
}

// ---- Colour profiles ----

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0xFFFFFFFFu) {
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return crc;
}

void PutBig32(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

// zlib data in stored (uncompressed) deflate blocks.
std::string StoredZlib(const std::string& data) {
  std::string out = "\x78\x01";
  size_t at = 0;
  do {
    const size_t length = std::min<size_t>(65535, data.size() - at);
    const bool last = at + length == data.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<char>(length & 0xFF));
    out.push_back(static_cast<char>(length >> 8));
    out.push_back(static_cast<char>(~length & 0xFF));
    out.push_back(static_cast<char>((~length >> 8) & 0xFF));
    out.append(data, at, length);
    at += length;
  } while (at < data.size());
  uint32_t a = 1;
  uint32_t b = 0;
  for (unsigned char c : data) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(out, b << 16 | a);
  return out;
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
  PutBig32(png, static_cast<uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  png += body;
  PutBig32(png, Crc32(reinterpret_cast<const uint8_t*>(body.data()), body.size()) ^ 0xFFFFFFFFu);
}

// A 4 x 2 PNG of one colour carrying the system's sRGB profile.
std::string PngWithProfile(const std::string& profile, uint8_t r, uint8_t g, uint8_t b) {
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  PutBig32(header, 4);
  PutBig32(header, 2);
  header += std::string("\x08\x02\x00\x00\x00", 5);
  PutChunk(png, "IHDR", header);
  PutChunk(png, "iCCP", std::string("sRGB\0\0", 6) + StoredZlib(profile));
  std::string rows;
  for (int y = 0; y < 2; ++y) {
    rows.push_back('\0');
    for (int x = 0; x < 4; ++x) {
      rows.push_back(static_cast<char>(r));
      rows.push_back(static_cast<char>(g));
      rows.push_back(static_cast<char>(b));
    }
  }
  PutChunk(png, "IDAT", StoredZlib(rows));
  PutChunk(png, "IEND", "");
  return png;
}

std::string SystemSrgbProfile() {
  wchar_t folder[MAX_PATH] = {};
  DWORD size = sizeof(folder);
  if (!GetColorDirectoryW(nullptr, folder, &size)) {
    return std::string();
  }
  return test_support::ReadFileBytes(std::wstring(folder) + L"\\sRGB Color Space Profile.icm");
}

class ColourProfile : public ::testing::Test {
 protected:
  void TearDown() override { CAppConfig::GetInstance()->ignore_embedded_icc = 0; }
};

TEST_F(ColourProfile, EmbeddedProfileIsKeptAndApplied) {
  const std::string profile = SystemSrgbProfile();
  ASSERT_GT(profile.size(), 128u);
  test_support::ScratchFolder scratch(L"colour_profile");
  const std::wstring path = scratch.File(L"profiled.png");
  ASSERT_TRUE(test_support::WriteFileBytes(path, PngWithProfile(profile, 200, 100, 50)));

  CWICImageLoaderPtr loader = OpenImageFile(path);
  ASSERT_TRUE(loader);
  ASSERT_TRUE(loader->colour_context());
  // sRGB to sRGB: managed and unmanaged pictures agree.
  for (bool managed : {true, false}) {
    const Pixels pixels = test_support::ReadPixels(loader->GetBitmap(managed).Get());
    ASSERT_EQ(pixels.width, 4u);
    EXPECT_TRUE(test_support::ColourNear(pixels.At(3, 1), {200, 100, 50}, 3)) << managed;
  }
  ComPtr<IWICColorContext> handed_out;
  EXPECT_TRUE(loader->GetScaledBitmap(2, 1, &handed_out));
  EXPECT_EQ(handed_out.Get(), loader->colour_context());

  for (int ignore : {0, 1}) {
    CAppConfig::GetInstance()->ignore_embedded_icc = ignore;
    HBITMAP out = nullptr;
    ASSERT_TRUE(loader->RenderToBitmap(4, 2, out)) << ignore;
    const Pixels shown = test_support::ReadHBitmap(out);
    EXPECT_TRUE(test_support::ColourNear(shown.At(0, 0), {200, 100, 50}, 3)) << ignore;
    DeleteObject(out);
  }
}

// A wide-gamut (Adobe RGB primaries) profile: the file's numbers name more
// saturated colours than the same numbers on an sRGB screen, so the shown
// greyish green loses red. The reverse transform would add red instead.
TEST_F(ColourProfile, WideGamutPictureIsShownInTheScreensColours) {
  const std::string profile = test_support::ReadFileBytes(Fixture(L"wide_gamut.icc"));
  ASSERT_GT(profile.size(), 128u);
  test_support::ScratchFolder scratch(L"wide_gamut");
  const std::wstring path = scratch.File(L"wide.png");
  ASSERT_TRUE(test_support::WriteFileBytes(path, PngWithProfile(profile, 100, 150, 100)));
  CWICImageLoaderPtr loader = OpenImageFile(path);
  ASSERT_TRUE(loader);
  ASSERT_TRUE(loader->colour_context());

  const test_support::Rgb file_values = {100, 150, 100};
  const test_support::Rgb on_screen = {66, 151, 97};  // Adobe RGB to sRGB
  Pixels pixels = test_support::ReadPixels(loader->GetBitmap(true).Get());
  EXPECT_TRUE(test_support::ColourNear(pixels.At(1, 1), on_screen, 8));
  pixels = test_support::ReadPixels(loader->GetBitmap(false).Get());
  EXPECT_TRUE(test_support::ColourNear(pixels.At(1, 1), file_values, 3));

  // Shown: converted, unless embedded profiles are ignored.
  for (int ignore : {0, 1}) {
    SCOPED_TRACE(ignore);
    CAppConfig::GetInstance()->ignore_embedded_icc = ignore;
    HBITMAP out = nullptr;
    ASSERT_TRUE(loader->RenderToBitmap(4, 2, out));
    const Pixels shown = test_support::ReadHBitmap(out);
    DeleteObject(out);
    EXPECT_TRUE(
        test_support::ColourNear(shown.At(1, 1), ignore ? file_values : on_screen, ignore ? 3 : 8));
  }
}

TEST_F(ColourProfile, TransformWithoutUsableProfileKeepsTheSource) {
  ComPtr<IWICBitmap> bitmap;
  ASSERT_HRESULT_SUCCEEDED(CWICFactory::Get()->CreateBitmap(
      2, 2, GUID_WICPixelFormat32bppBGRA, WICBitmapCacheOnLoad, bitmap.Receive()));
  EXPECT_EQ(wic_pipeline::ApplyColourTransform(bitmap.Get(), nullptr, false).Get(), bitmap.Get());
  EXPECT_EQ(wic_pipeline::ApplyColourTransform(nullptr, nullptr, true).Get(), nullptr);
}

// ---- Files no decoder can open ----

TEST(BadFiles, NoLoaderAndNoFault) {
  test_support::ScratchFolder scratch(L"bad_files");
  const std::string jpeg = test_support::ReadFileBytes(Fixture(L"orientation_6.jpg"));
  ASSERT_GT(jpeg.size(), 400u);
  const struct {
    const wchar_t* name;
    std::string bytes;
  } files[] = {
      {L"empty.jpg", ""},
      {L"garbage.png", std::string(3000, 'g')},
      {L"garbage.jpg", std::string("\xFF\xD8\xFF\xE1\x00\x10") + std::string(500, '\x55')},
      {L"garbage.gif", "GIF89a" + std::string(100, '\x01')},
      {L"text.bmp", "BM this is not a bitmap"},
  };
  for (const auto& file : files) {
    const std::wstring path = scratch.File(file.name);
    ASSERT_TRUE(test_support::WriteFileBytes(path, file.bytes));
    EXPECT_FALSE(OpenImageFile(path)) << std::string(file.name, file.name + wcslen(file.name));
  }
  EXPECT_FALSE(OpenImageFile(scratch.File(L"missing.jpg")));

  // Cut JPEGs: in the EXIF segment, just after it, in the scan. Whatever the
  // platform's decoder makes of the rest, nothing faults, and the orientation
  // is read only when the EXIF segment is whole.
  const size_t exif_at = jpeg.find(std::string("Exif\0\0", 6));
  ASSERT_NE(exif_at, std::string::npos);
  const size_t exif_end =
      exif_at - 2 +
      (static_cast<uint8_t>(jpeg[exif_at - 2]) << 8 | static_cast<uint8_t>(jpeg[exif_at - 1]));
  for (size_t length :
       {size_t{30}, exif_end - 1, exif_end + 40, jpeg.size() / 2, jpeg.size() - 10}) {
    const std::wstring path = scratch.File(L"cut_" + std::to_wstring(length) + L".jpg");
    ASSERT_TRUE(test_support::WriteFileBytes(path, jpeg.substr(0, length)));
    CWICImageLoaderPtr loader = OpenImageFile(path);
    if (!loader) {
      continue;
    }
    EXPECT_EQ(loader->exif().orientation, length < exif_end ? 0 : 6) << length;
    HBITMAP out = nullptr;
    if (loader->RenderToBitmap(8, 8, out)) {
      DeleteObject(out);
    }
    loader->GetBitmap(true);
  }
}

}  // namespace
