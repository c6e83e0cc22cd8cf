#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "support/decoder_fixtures.h"
#include "basic_lib/win_util.h"
#include "image/image_file_opener.h"
#include "image_decoder.h"
#include "support/test_paths.h"

namespace {

using test_support::Bytes;
using test_support::Pixels;

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test_support::ImagingEnvironment);

std::wstring ModuleInDist() { return test_support::DistFolder() + L"\\FreeImage.dll"; }

std::wstring Fixture(const std::wstring& name) {
  return test_support::FixtureFolder() + L"\\" + name;
}

using test_support::MaxDifference;

TEST(DecoderModule, DecodesEachFormatLikeThePlatformDecodesItsPng) {
  ASSERT_FALSE(test_support::FixtureFolder().empty());
  const struct {
    const wchar_t* file;
    const wchar_t* reference;
    int tolerance;
  } cases[] = {
      {L"tga_24.tga", L"pattern.png", 0},         {L"tga_24_rle.tga", L"pattern.png", 0},
      {L"tga_32.tga", L"pattern_alpha.png", 0},   {L"tga_32_rle.tga", L"pattern_alpha.png", 0},
      {L"tga_8_mapped.tga", L"pattern.png", 0},   {L"tga_8_mapped_rle.tga", L"pattern.png", 0},
      {L"tga_8_grey.tga", L"grey.png", 0},        {L"tga_8_grey_rle.tga", L"grey.png", 0},
      {L"pcx_24.pcx", L"pattern.png", 0},         {L"pcx_8.pcx", L"pattern.png", 0},
      {L"pcx_32.pcx", L"pattern_alpha.png", 0},   {L"pnm_plain.ppm", L"pattern.png", 0},
      {L"pnm_raw.ppm", L"pattern.png", 0},        {L"pnm_raw16.ppm", L"pattern.png", 0},
      {L"pnm_plain.pgm", L"grey.png", 0},         {L"pnm_raw.pgm", L"grey.png", 0},
      {L"pnm_plain.pbm", L"mono.png", 0},         {L"pnm_raw.pbm", L"mono.png", 0},
      {L"webp_lossless.webp", L"pattern.png", 0}, {L"webp_alpha.webp", L"pattern_alpha.png", 0},
      {L"webp_lossy.webp", L"pattern.png", 40},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "file " << std::string(c.file, c.file + wcslen(c.file)));
    // The module is unloaded again before the bitmap is read: the bitmap must
    // live in the factory's code, not the module's.
    ComPtr<IWICBitmapSource> decoded = DecodeWithModule(Fixture(c.file), ModuleInDist());
    ASSERT_TRUE(decoded);
    WICPixelFormatGUID format = {};
    ASSERT_HRESULT_SUCCEEDED(decoded->GetPixelFormat(&format));
    EXPECT_TRUE(IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA));
    const Pixels actual = test_support::ReadPixels(decoded.Get());
    const Pixels expected =
        test_support::ReadPixels(test_support::DecodeWithPlatform(Fixture(c.reference)).Get());
    ASSERT_EQ(actual.width, 7u);
    ASSERT_EQ(actual.height, 5u);
    ASSERT_EQ(expected.bgra.size(), actual.bgra.size());
    EXPECT_LE(MaxDifference(actual, expected), c.tolerance);
  }
}

TEST(DecoderModule, ExportContract) {
  HMODULE module = LoadLibraryW(ModuleInDist().c_str());
  ASSERT_NE(module, nullptr);
  using LoadImageFn = IUnknown*(__stdcall*)(const wchar_t*, IWICImagingFactory*);
  auto load_image = win_util::GetProcAddressAs<LoadImageFn>(module, "load_image");
  ASSERT_NE(load_image, nullptr);
  EXPECT_EQ(load_image(nullptr, CWICFactory::Get()), nullptr);
  EXPECT_EQ(load_image(Fixture(L"tga_24.tga").c_str(), nullptr), nullptr);
  EXPECT_EQ(load_image(Fixture(L"no_such_file.tga").c_str(), CWICFactory::Get()), nullptr);
  IUnknown* object = load_image(Fixture(L"pnm_raw.ppm").c_str(), CWICFactory::Get());
  ASSERT_NE(object, nullptr);
  ComPtr<IWICBitmap> bitmap;
  EXPECT_HRESULT_SUCCEEDED(
      object->QueryInterface(IID_IWICBitmap, reinterpret_cast<void**>(bitmap.Receive())));
  // One reference for the caller: ours and the query's.
  EXPECT_EQ(object->Release(), 1u);
  FreeLibrary(module);

  EXPECT_FALSE(DecodeWithModule(Fixture(L"tga_24.tga"), Fixture(L"missing\\FreeImage.dll")));
  // A library without the export.
  EXPECT_FALSE(DecodeWithModule(Fixture(L"tga_24.tga"), L"C:\\windows\\system32\\version.dll"));
}

TEST(OpenImageFile, FallsBackToTheModuleBesideTheProgram) {
  for (const wchar_t* name : {L"pcx_24.pcx", L"pnm_raw.ppm", L"webp_alpha.webp"}) {
    CWICImageLoaderPtr loader = OpenImageFile(Fixture(name));
    ASSERT_TRUE(loader) << name;
    EXPECT_EQ(loader->decoder(), nullptr);
    EXPECT_EQ(loader->GetOrientedSize().cx, 7);
    EXPECT_EQ(loader->GetOrientedSize().cy, 5);
    EXPECT_EQ(loader->exif().orientation, 0);
    EXPECT_TRUE(loader->exif().make.empty());
    EXPECT_TRUE(loader->GetBitmap(true));
  }
  test_support::ScratchFolder scratch(L"decoder_open");
  ASSERT_TRUE(test_support::WriteFileBytes(scratch.File(L"garbage.pcx"), "not a picture at all"));
  EXPECT_FALSE(OpenImageFile(scratch.File(L"garbage.pcx")));
  EXPECT_FALSE(OpenImageFile(scratch.File(L"missing.webp")));
}

// ---- Variants ImageMagick does not write, built byte by byte ----

Bytes TgaHeader(int type, int width, int height, int bits, int descriptor, int map_length = 0,
                int map_bits = 0) {
  Bytes header(18, 0);
  header[1] = map_length ? 1 : 0;
  header[2] = static_cast<uint8_t>(type);
  header[5] = static_cast<uint8_t>(map_length & 0xFF);
  header[6] = static_cast<uint8_t>(map_length >> 8);
  header[7] = static_cast<uint8_t>(map_bits);
  header[12] = static_cast<uint8_t>(width & 0xFF);
  header[13] = static_cast<uint8_t>(width >> 8);
  header[14] = static_cast<uint8_t>(height & 0xFF);
  header[15] = static_cast<uint8_t>(height >> 8);
  header[16] = static_cast<uint8_t>(bits);
  header[17] = static_cast<uint8_t>(descriptor);
  return header;
}

Bytes PcxHeader(int bits, int planes, int width, int height, int bytes_per_line) {
  Bytes header(128, 0);
  header[0] = 0x0A;
  header[1] = 5;
  header[2] = 1;
  header[3] = static_cast<uint8_t>(bits);
  header[8] = static_cast<uint8_t>((width - 1) & 0xFF);
  header[9] = static_cast<uint8_t>((width - 1) >> 8);
  header[10] = static_cast<uint8_t>((height - 1) & 0xFF);
  header[11] = static_cast<uint8_t>((height - 1) >> 8);
  header[65] = static_cast<uint8_t>(planes);
  header[66] = static_cast<uint8_t>(bytes_per_line);
  for (int i = 0; i < 16; ++i) {  // EGA palette: entry i is (i * 16, 255 - i * 16, i)
    header[16 + i * 3] = static_cast<uint8_t>(i * 16);
    header[17 + i * 3] = static_cast<uint8_t>(255 - i * 16);
    header[18 + i * 3] = static_cast<uint8_t>(i);
  }
  return header;
}

Bytes Join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Decodes in process and returns the pixels as 0xAARRGGBB values.
std::vector<uint32_t> Decode(const Bytes& data, const std::wstring& extension) {
  CDecodedPixels decoded;
  if (!DecodeImageBytes(data.data(), data.size(), extension, &decoded)) {
    return {};
  }
  std::vector<uint32_t> argb(size_t{decoded.width} * decoded.height);
  std::memcpy(argb.data(), decoded.bgra.get(), argb.size() * 4);
  return argb;
}

TEST(DecoderVariants, TgaOrdersSixteenBitMapsAndAlpha) {
  // 16-bit 5-5-5 pixels red, green / blue, white stored right to left, top down.
  const Bytes sixteen =
      Join(TgaHeader(2, 2, 2, 16, 0x30), {0xE0, 0x03, 0x00, 0x7C, 0xFF, 0x7F, 0x1F, 0x00});
  EXPECT_EQ(Decode(sixteen, L"tga"),
            (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));

  // 32-bit with every alpha byte 0 is opaque; bottom-up by default.
  const Bytes no_alpha = Join(TgaHeader(2, 1, 2, 32, 0), {1, 2, 3, 0, 4, 5, 6, 0});
  EXPECT_EQ(Decode(no_alpha, L"tga"), (std::vector<uint32_t>{0xFF060504, 0xFF030201}));

  // A run crossing the row end, and a colour-map index outside the map.
  const Bytes mapped =
      Join(TgaHeader(9, 3, 2, 8, 0x20, 2, 24), {10, 20, 30, 40, 50, 60, 0x83, 1, 0x01, 0, 7});
  EXPECT_EQ(Decode(mapped, L"tga"), (std::vector<uint32_t>{0xFF3C3228, 0xFF3C3228, 0xFF3C3228,
                                                           0xFF3C3228, 0xFF1E140A, 0xFF000000}));

  // Without a footer a TGA is only recognised by its extension.
  EXPECT_TRUE(Decode(sixteen, L"jpg").empty());
  const Bytes footer = {0,   0,   0,   0,   0,   0,   0,   0,   'T', 'R', 'U', 'E', 'V',
                        'I', 'S', 'I', 'O', 'N', '-', 'X', 'F', 'I', 'L', 'E', '.', 0};
  EXPECT_EQ(Decode(Join(sixteen, footer), L"").size(), 4u);
}

TEST(DecoderVariants, PcxPlanesAndPackedPixels) {
  // 1 bit, one plane: 1 is white. Ten pixels need two bytes a row.
  const Bytes mono = Join(PcxHeader(1, 1, 10, 1, 2), {0xC1, 0xA0, 0xC1, 0x80});
  EXPECT_EQ(Decode(mono, L"pcx"),
            (std::vector<uint32_t>{0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFF000000,
                                   0xFF000000, 0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFF000000}));

  // 16 colours as four bit planes: pixel 0 has planes 0 and 2 (index 5),
  // pixel 1 plane 3 (index 8).
  const Bytes planar =
      Join(PcxHeader(1, 4, 2, 1, 1), {0xC1, 0x80, 0xC1, 0x00, 0xC1, 0x80, 0xC1, 0x40});
  EXPECT_EQ(Decode(planar, L"pcx"), (std::vector<uint32_t>{0xFF50AF05, 0xFF807F08}));

  // 4 bit packed, 2 bit packed.
  const Bytes nibbles = Join(PcxHeader(4, 1, 3, 1, 2), {0xC1, 0x1F, 0xC1, 0x20});
  EXPECT_EQ(Decode(nibbles, L"pcx"), (std::vector<uint32_t>{0xFF10EF01, 0xFFF00F0F, 0xFF20DF02}));
  const Bytes crumbs = Join(PcxHeader(2, 1, 4, 1, 2), {0xC1, 0x1B, 0xC1, 0x00});
  EXPECT_EQ(Decode(crumbs, L"pcx"),
            (std::vector<uint32_t>{0xFF00FF00, 0xFF10EF01, 0xFF20DF02, 0xFF30CF03}));

  // Before version 5, 8 bit without the palette at the end reads as grey; a
  // byte below 0xC0 stands for itself. Version 5 promises the palette, so a
  // file without it is cut short.
  Bytes grey = Join(PcxHeader(8, 1, 2, 1, 2), {0x40, 0xC1, 0x80});
  EXPECT_TRUE(Decode(grey, L"pcx").empty());
  grey[1] = 3;
  EXPECT_EQ(Decode(grey, L"pcx"), (std::vector<uint32_t>{0xFF404040, 0xFF808080}));
}

TEST(DecoderVariants, NetpbmHeadersAndScaling) {
  const struct {
    const char* text;
    std::vector<uint32_t> pixels;
  } cases[] = {
      {"P1\n# comment\n3 1\n101", {0xFF000000, 0xFFFFFFFF, 0xFF000000}},
      {"P2 2 1 1000 0 500", {0xFF000000, 0xFF808080}},
      {"P3\n1 1\n# maximum\n15\n15 0 7\n", {0xFFFF0077}},
      {"P2 1 1 10 99", {0xFFFFFFFF}},  // above the maximum: full
  };
  for (const auto& c : cases) {
    const Bytes data(c.text, c.text + strlen(c.text));
    EXPECT_EQ(Decode(data, L"pnm"), c.pixels) << c.text;
  }
}

// The first frame of an animation, wrapped around the lossless fixture.
Bytes AnimatedWebp() {
  const Bytes still = test_support::ReadFixture(L"webp_lossless.webp");
  if (still.size() < 20) {
    return {};
  }
  const Bytes frame(still.begin() + 12, still.end());  // the VP8L chunk
  auto le = [](Bytes& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  Bytes body = {'W', 'E', 'B', 'P', 'V', 'P', '8', 'X'};
  le(body, 10, 4);
  body.insert(body.end(), {0x02, 0, 0, 0});
  le(body, 6, 3);
  le(body, 4, 3);
  body.insert(body.end(), {'A', 'N', 'I', 'M'});
  le(body, 6, 4);
  le(body, 0, 4);
  le(body, 0, 2);
  for (int i = 0; i < 2; ++i) {
    body.insert(body.end(), {'A', 'N', 'M', 'F'});
    le(body, static_cast<uint32_t>(16 + frame.size()), 4);
    le(body, 0, 3);
    le(body, 0, 3);
    le(body, 6, 3);
    le(body, 4, 3);
    le(body, 100, 3);
    body.push_back(0x02);  // no blending
    body.insert(body.end(), frame.begin(), frame.end());
  }
  Bytes riff = {'R', 'I', 'F', 'F'};
  le(riff, static_cast<uint32_t>(body.size()), 4);
  return Join(riff, body);
}

TEST(DecoderVariants, AnimatedWebpShowsItsFirstFrame) {
  const Bytes animated = AnimatedWebp();
  const std::vector<uint32_t> frame = Decode(animated, L"webp");
  const std::vector<uint32_t> still =
      Decode(test_support::ReadFixture(L"webp_lossless.webp"), L"webp");
  ASSERT_EQ(still.size(), 35u);
  EXPECT_EQ(frame, still);
}

TEST(DecoderModule, RefusesBadInput) {
  test_support::ScratchFolder scratch(L"decoder_bad");
  std::vector<std::pair<std::wstring, Bytes>> inputs = {
      {L"empty.tga", {}},
      {L"garbage.tga", Bytes(40, 'x')},
      {L"garbage.pcx", Bytes(200, 0x0A)},
      {L"garbage.ppm", {'P', '6', ' ', 'x'}},
      {L"garbage.webp", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8'}},
      // Headers claiming huge pictures with almost no data behind them.
      {L"huge.tga", Join(TgaHeader(10, 65535, 65535, 32, 0), Bytes(64, 0xFF))},
      {L"huge.pcx", Join(PcxHeader(8, 3, 65535, 65535, 65535), Bytes(64, 0xC1))},
      {L"huge.ppm", {'P', '6', ' ', '9', '9', '9', '9', '9',  ' ', '9', '9',
                     '9', '9', '9', ' ', '2', '5', '5', '\n', 1,   2,   3}},
      {L"zero.pgm", {'P', '5', ' ', '1', ' ', '1', ' ', '0', '\n', 1}},
      {L"wide.pgm", {'P', '2', ' ', '9', '9', '9', '9', '9', '9', '9', '9',
                     '9', '9', '9', ' ', '1', ' ', '2', '5', '5', ' ', '1'}},
  };
  for (const std::wstring& name : test_support::FixtureNames()) {
    const Bytes whole = test_support::ReadFixture(name);
    ASSERT_FALSE(whole.empty());
    inputs.push_back({L"cut_" + name, Bytes(whole.begin(), whole.begin() + whole.size() / 2)});
  }
  for (const auto& [name, bytes] : inputs) {
    const std::wstring path = scratch.File(name);
    ASSERT_TRUE(test_support::WriteFileBytes(path, std::string(bytes.begin(), bytes.end())));
    EXPECT_FALSE(DecodeWithModule(path, ModuleInDist())) << std::string(name.begin(), name.end());
  }
}

}  // namespace
