#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/app_config.h"
#include "image/default_save_name.h"
#include "image/image_file_opener.h"
#include "image/jpeg_encoder.h"
#include "image/jpeg_exif_carrier.h"
#include "image/jpeg_metadata_carrier.h"
#include "image/orientation_writer.h"
#include "image/save_target.h"
#include "support/exif_builder.h"
#include "support/saving.h"
#include "image/wic_image_loader.h"
#include "basic_lib/windows_version.h"
#include "basic_lib/win_util.h"
#include "support/test_paths.h"
#include "support/windows_versions.h"

namespace {

using test_support::ExifOfFile;
using test_support::FilesIn;
using test_support::Fixture;
using test_support::ReadFileBytes;
using test_support::ScratchFolder;
using test_support::WriteFileBytes;
using win_util::PathExists;

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test_support::ImagingEnvironment);

class SavingTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CWindowsVersion::OverrideForTesting(0, 0);
    CAppConfig::GetInstance()->orientation_by_tag = 0;
  }
  ScratchFolder scratch_{L"saving"};
};

// ---- The encoder ----

TEST_F(SavingTest, JpegIsWrittenWithTheQualityAskedFor) {
  const std::wstring png = scratch_.File(L"blocks.png");
  ASSERT_TRUE(test_support::WriteBlocks(png, GUID_ContainerFormatPng));
  CWICImageLoaderPtr loader = OpenImageFile(png);
  ASSERT_TRUE(loader);
  for (int quality : {25, 50, 75, 95}) {
    const std::wstring jpeg = scratch_.File(L"q" + std::to_wstring(quality) + L".jpg");
    ASSERT_TRUE(loader->SaveTo(jpeg, quality));
    EXPECT_TRUE(IsEqualGUID(test_support::ContainerOfFile(jpeg), GUID_ContainerFormatJpeg));
    EXPECT_EQ(test_support::JpegQuality(ReadFileBytes(jpeg)), quality);
    EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(jpeg), 1,
                                                 quality >= 90 ? 40 : 96));
  }
}

TEST_F(SavingTest, EachEncodedFormatIsWrittenInItsContainer) {
  CWICImageLoaderPtr loader = OpenImageFile(Fixture(L"orientation_1.jpg"));
  ASSERT_TRUE(loader);
  const struct {
    const wchar_t* name;
    GUID container;
  } targets[] = {{L"out.bmp", GUID_ContainerFormatBmp},
                 {L"out.png", GUID_ContainerFormatPng},
                 {L"out.tif", GUID_ContainerFormatTiff},
                 {L"out.gif", GUID_ContainerFormatGif},
                 {L"out.JPEG", GUID_ContainerFormatJpeg}};
  for (const auto& target : targets) {
    const std::wstring path = scratch_.File(target.name);
    ASSERT_TRUE(loader->SaveTo(path, 80)) << std::string(target.name, target.name + 8);
    EXPECT_TRUE(IsEqualGUID(test_support::ContainerOfFile(path), target.container));
  }
}

TEST_F(SavingTest, FormatsWithoutAnEncoderFail) {
  CWICImageLoaderPtr loader = OpenImageFile(Fixture(L"orientation_1.jpg"));
  ASSERT_TRUE(loader);
  for (const wchar_t* name : {L"out.webp", L"out.psd", L"out.txt", L"no_extension"}) {
    EXPECT_FALSE(loader->SaveTo(scratch_.File(name), 80));
  }
  EXPECT_FALSE(loader->SaveTo(scratch_.File(L"missing\\out.jpg"), 80));
  CWICImageLoader empty(nullptr, nullptr);
  EXPECT_FALSE(empty.SaveTo(scratch_.File(L"empty.png"), 80));
}

TEST_F(SavingTest, ReadOnlyTargetIsOverwritten) {
  const std::wstring path = scratch_.File(L"locked.png");
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  CWICImageLoaderPtr loader = OpenImageFile(Fixture(L"orientation_1.jpg"));
  ASSERT_TRUE(loader && loader->SaveTo(path, 80));
  EXPECT_TRUE(IsEqualGUID(test_support::ContainerOfFile(path), GUID_ContainerFormatPng));
}

// A picture stored sideways (orientation 6) saved on both systems: where the
// tag cannot be written the JPEG is turned upright, and every other format
// always is. The EXIF data goes along, its orientation telling the truth.
TEST_F(SavingTest, OrientationIsAppliedOrWrittenOnEverySystem) {
  test_support::ForEachWindowsVersion([&](const test_support::WindowsVersionCase& system) {
    CAppConfig::GetInstance()->orientation_by_tag = 1;
    CWICImageLoaderPtr loader = OpenImageFile(Fixture(L"orientation_6.jpg"));
    ASSERT_TRUE(loader);
    ASSERT_EQ(loader->exif().orientation, 6);

    const std::wstring jpeg =
        scratch_.File(std::wstring(L"turned_") + (system.major == 6 ? L"7" : L"10") + L".jpg");
    ASSERT_TRUE(loader->SaveTo(jpeg, 90));
    const ExifOfFile exif(jpeg);
    ASSERT_TRUE(exif.found);
    const int written = exif.Orientation();
    // Stored pixels with the tag, or upright pixels with orientation 1.
    EXPECT_TRUE(written == 6 || written == 1) << written;
    const test_support::Pixels pixels = test_support::DecodedPixels(jpeg);
    EXPECT_TRUE(test_support::ShowsBlocksUpright(pixels, written == 6 ? 1 : 6));
    if (system.major == 6) {
      EXPECT_EQ(written, 1);
    }

    const std::wstring png = scratch_.File(L"turned.png");
    ASSERT_TRUE(loader->SaveTo(png, 90));
    EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(png), 6));
  });
}

TEST_F(SavingTest, AnUnappliedTagStaysWithTheStoredPixels) {
  // Windows 7 without orientation_by_tag shows the stored pixels; a copy
  // keeps them and the tag that describes them.
  CWindowsVersion::OverrideForTesting(6, 1);
  CWICImageLoaderPtr loader = OpenImageFile(Fixture(L"orientation_6.jpg"));
  ASSERT_TRUE(loader);
  ASSERT_EQ(loader->exif().orientation, 0);
  const std::wstring jpeg = scratch_.File(L"copy.jpg");
  ASSERT_TRUE(loader->SaveTo(jpeg, 90));
  EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(jpeg), 1));
  EXPECT_EQ(ExifOfFile(jpeg).Orientation(), 6);
}

TEST_F(SavingTest, ExifDataIsKeptWhenAJpegIsSavedAgain) {
  for (const wchar_t* fixture : {L"exif_II.jpg", L"exif_MM.jpg"}) {
    CAppConfig::GetInstance()->orientation_by_tag = 1;
    CWICImageLoaderPtr loader = OpenImageFile(Fixture(fixture));
    ASSERT_TRUE(loader);
    const std::wstring path = scratch_.File(std::wstring(L"saved_") + fixture);
    ASSERT_TRUE(loader->SaveTo(path, 80));
    const ExifOfFile exif(path);
    ASSERT_TRUE(exif.found);
    EXPECT_EQ(exif.Text(CExifParser::kPrimary, 271), "Maker Co");
    EXPECT_EQ(exif.Text(CExifParser::kExif, 36867), "2023:07:14 09:26:53");
    EXPECT_NE(exif.parser.Find(CExifParser::kGps, 2), nullptr);
    // Saved once, not twice.
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.find("Exif"), bytes.rfind("Exif"));

    // The same picture read back shows what was saved.
    CWICImageLoaderPtr reopened = OpenImageFile(path);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->exif().make, L"Maker Co");
    EXPECT_EQ(reopened->GetOrientedSize().cx, loader->GetOrientedSize().cx);
  }
}

TEST_F(SavingTest, PicturesWithoutADecoderCarryNoMetadata) {
  CWICImageLoaderPtr loader = OpenImageFile(Fixture(L"exif_II.jpg"));
  ASSERT_TRUE(loader);
  CWICImageLoader wrapped(loader->GetBitmap(false).Get(), nullptr);
  const std::wstring path = scratch_.File(L"wrapped.jpg");
  ASSERT_TRUE(wrapped.SaveTo(path, 80));
  EXPECT_FALSE(ExifOfFile(path).found);
}

// ---- Our JPEG encoder ----

// A picture of gradients and sharp edges, whose size is not a multiple of
// the 16-pixel units the encoder works in.
ComPtr<IWICBitmap> TestPattern(UINT width, UINT height) {
  ComPtr<IWICBitmap> bitmap;
  EXPECT_HRESULT_SUCCEEDED(CWICFactory::Get()->CreateBitmap(
      width, height, GUID_WICPixelFormat32bppBGRA, WICBitmapCacheOnLoad, bitmap.Receive()));
  const WICRect all = {0, 0, static_cast<INT>(width), static_cast<INT>(height)};
  ComPtr<IWICBitmapLock> lock;
  EXPECT_HRESULT_SUCCEEDED(bitmap->Lock(&all, WICBitmapLockWrite, lock.Receive()));
  UINT size = 0;
  BYTE* pixels = nullptr;
  EXPECT_HRESULT_SUCCEEDED(lock->GetDataPointer(&size, &pixels));
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      BYTE* p = pixels + (size_t{y} * width + x) * 4;
      p[0] = static_cast<BYTE>(x * 255 / std::max(1u, width - 1));
      p[1] = static_cast<BYTE>(y * 255 / std::max(1u, height - 1));
      p[2] = x < width / 2 ? 230 : 20;
      p[3] = 255;
    }
  }
  return bitmap;
}

std::string EncodeOurselves(IWICBitmapSource* source, int quality,
                            const std::vector<uint8_t>& profile = {}) {
  ComPtr<IStream> stream;
  EXPECT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()));
  if (!CJpegEncoder::Encode(source, quality, profile, stream.Get())) {
    return std::string();
  }
  HGLOBAL memory = nullptr;
  STATSTG stat = {};
  EXPECT_HRESULT_SUCCEEDED(GetHGlobalFromStream(stream.Get(), &memory));
  EXPECT_HRESULT_SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME));
  const char* bytes = static_cast<const char*>(GlobalLock(memory));
  std::string jpeg(bytes, static_cast<size_t>(stat.cbSize.QuadPart));
  GlobalUnlock(memory);
  return jpeg;
}

TEST_F(SavingTest, OwnEncoderWritesWhatThePlatformDecodes) {
  EXPECT_TRUE(CJpegEncoder::HuffmanTablesAreComplete());
  const struct {
    UINT width, height;
    int quality;
    int tolerance;
  } cases[] = {{1, 1, 90, 12}, {17, 9, 90, 40}, {64, 48, 100, 24}, {33, 70, 50, 60}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    ComPtr<IWICBitmap> pattern = TestPattern(c.width, c.height);
    const std::string jpeg = EncodeOurselves(pattern.Get(), c.quality);
    ASSERT_FALSE(jpeg.empty());
    EXPECT_EQ(test_support::JpegQuality(jpeg), c.quality);
    const std::wstring path = scratch_.File(L"own.jpg");
    ASSERT_TRUE(WriteFileBytes(path, jpeg));
    const test_support::Pixels decoded = test_support::DecodedPixels(path);
    const test_support::Pixels expected = test_support::ReadPixels(pattern.Get());
    ASSERT_EQ(decoded.width, c.width);
    ASSERT_EQ(decoded.height, c.height);
    int worst = 0;
    for (size_t i = 0; i < decoded.bgra.size(); ++i) {
      if (i % 4 != 3) {
        worst = std::max(worst, std::abs(decoded.bgra[i] - expected.bgra[i]));
      }
    }
    EXPECT_LE(worst, c.tolerance);
  }
  // Lower quality, smaller file.
  ComPtr<IWICBitmap> pattern = TestPattern(128, 128);
  EXPECT_LT(EncodeOurselves(pattern.Get(), 30).size(), EncodeOurselves(pattern.Get(), 95).size());
}

TEST_F(SavingTest, OwnEncoderEmbedsTheColourProfile) {
  std::vector<uint8_t> profile(70000);
  for (size_t i = 0; i < profile.size(); ++i) {
    profile[i] = static_cast<uint8_t>(i * 7);
  }
  ComPtr<IWICBitmap> pattern = TestPattern(8, 8);
  const std::string jpeg = EncodeOurselves(pattern.Get(), 80, profile);
  // Two numbered pieces that put the profile together again.
  std::string joined;
  size_t at = 0;
  int pieces = 0;
  while ((at = jpeg.find(std::string("\xFF\xE2", 2), at)) != std::string::npos) {
    const size_t length =
        static_cast<uint8_t>(jpeg[at + 2]) << 8 | static_cast<uint8_t>(jpeg[at + 3]);
    ASSERT_EQ(jpeg.compare(at + 4, 12, std::string("ICC_PROFILE\0", 12)), 0);
    EXPECT_EQ(jpeg[at + 16], static_cast<char>(++pieces));
    EXPECT_EQ(jpeg[at + 17], 2);
    joined += jpeg.substr(at + 18, length - 16);
    at += 2 + length;
  }
  EXPECT_EQ(pieces, 2);
  EXPECT_EQ(joined, std::string(profile.begin(), profile.end()));
}

TEST_F(SavingTest, OwnEncoderRefusesWhatItCannotWrite) {
  ComPtr<IStream> stream;
  ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()));
  EXPECT_FALSE(CJpegEncoder::Encode(nullptr, 80, {}, stream.Get()));
  ComPtr<IWICBitmap> pattern = TestPattern(4, 4);
  EXPECT_FALSE(CJpegEncoder::Encode(pattern.Get(), 80, {}, nullptr));
}

TEST_F(SavingTest, ThePlatformEncoderIsUsedWhereItHonoursTheQuality) {
  // Whatever the platform does with the quality, the file is a JPEG of the
  // picture; with our encoder the quality is the one asked for.
  CWICImageLoaderPtr loader = OpenImageFile(Fixture(L"orientation_1.jpg"));
  ASSERT_TRUE(loader);
  for (int honours : {1, 0}) {
    CJpegEncoder::OverridePlatformProbeForTesting(honours);
    const std::wstring path = scratch_.File(L"probe" + std::to_wstring(honours) + L".jpg");
    ASSERT_TRUE(loader->SaveTo(path, 92));
    EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(path), 1));
    if (!honours) {
      EXPECT_EQ(test_support::JpegQuality(ReadFileBytes(path)), 92);
    }
  }
  CJpegEncoder::OverridePlatformProbeForTesting(-1);
}

// ---- Carrying the EXIF segment ourselves ----

TEST(ExifCarrier, SegmentGoesAfterTheJfifHeaderOnce) {
  const test_support::Bytes tiff = test_support::TiffBuilder(false)
                                       .Shorts(test_support::TiffBuilder::kPrimary, 274, {6})
                                       .Build();
  std::vector<uint8_t> plain = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x02, 0xFF, 0xD9};
  std::vector<uint8_t> jfif = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 'J', 'F', 0xFF, 0xD9};
  ASSERT_TRUE(CJpegExifCarrier::InsertSegment(&plain, tiff));
  EXPECT_EQ(plain[2], 0xFF);
  EXPECT_EQ(plain[3], 0xE1);
  ASSERT_TRUE(CJpegExifCarrier::InsertSegment(&jfif, tiff));
  EXPECT_EQ(jfif[3], 0xE0);
  EXPECT_EQ(jfif[9], 0xE1);
  std::vector<uint8_t> found;
  ASSERT_TRUE(CJpegExifBlock::FindInMemory(jfif.data(), jfif.size(), &found));
  EXPECT_EQ(found, tiff);

  std::vector<uint8_t> not_jpeg = {'G', 'I', 'F', '8'};
  EXPECT_FALSE(CJpegExifCarrier::InsertSegment(&not_jpeg, tiff));
  std::vector<uint8_t> too_big(70000, 0);
  EXPECT_FALSE(CJpegExifCarrier::InsertSegment(&plain, too_big));
}

TEST(ExifCarrier, TurningUprightRewritesTheTagsInEitherByteOrder) {
  for (bool big_endian : {false, true}) {
    SCOPED_TRACE(big_endian ? "MM" : "II");
    test_support::TiffBuilder builder(big_endian);
    builder.Shorts(test_support::TiffBuilder::kPrimary, 274, {8})
        .Ascii(test_support::TiffBuilder::kPrimary, 271, "Maker")
        .Longs(test_support::TiffBuilder::kExif, 40962, {4000})
        .Longs(test_support::TiffBuilder::kExif, 40963, {3000});
    test_support::Bytes tiff = builder.Build();
    // Link IFD0 to a next directory, as a thumbnail would.
    const size_t link = 8 + 2 + 12 * 3;
    tiff[link + (big_endian ? 3 : 0)] = 8;

    CJpegExifCarrier carrier;
    ASSERT_TRUE(carrier.SetBlock(tiff));
    carrier.MarkPixelsTurnedUpright(true);
    CExifParser parser;
    ASSERT_TRUE(parser.Parse(carrier.block().data(), carrier.block().size()));
    auto number = [&](CExifParser::Directory directory, uint16_t tag) {
      const CExifParser::Field* field = parser.Find(directory, tag);
      PROPVARIANT value;
      PropVariantInit(&value);
      uint32_t result = 0;
      if (field && parser.ToPropVariant(*field, &value)) {
        result = value.vt == VT_UI2 ? value.uiVal : value.ulVal;
      }
      PropVariantClear(&value);
      return result;
    };
    EXPECT_EQ(number(CExifParser::kPrimary, 274), 1u);
    EXPECT_EQ(number(CExifParser::kExif, 40962), 3000u);
    EXPECT_EQ(number(CExifParser::kExif, 40963), 4000u);
    EXPECT_EQ(
        std::vector<uint8_t>(carrier.block().begin() + link, carrier.block().begin() + link + 4),
        std::vector<uint8_t>(4, 0));
    EXPECT_NE(parser.Find(CExifParser::kPrimary, 271), nullptr);

    carrier.SetOrientation(3);
    ASSERT_TRUE(parser.Parse(carrier.block().data(), carrier.block().size()));
    EXPECT_EQ(number(CExifParser::kPrimary, 274), 3u);
  }
}

TEST(ExifCarrier, OrientationPointingIntoTheStructureIsLeftAlone) {
  // Three orientation values kept "elsewhere": at the header, at IFD0's
  // entry count, and in free space after the table, where it may be written.
  struct Case {
    uint32_t value_offset;
    bool rewritten;
  };
  const Case cases[] = {{1, false}, {8, false}, {40, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value_offset);
    test_support::Bytes tiff = {'M',  'M',  0, 42, 0, 0, 0, 8, 0,   2,            // two entries
                                0x01, 0x12, 0, 3,  0, 0, 0, 3, 0,   0,   0,   0,  // orientation
                                0x01, 0x0F, 0, 2,  0, 0, 0, 4, 'A', 'B', 'C', 0,  // make
                                0,    0,    0, 0,                                 // no next IFD
                                0,    6,    0, 0,  0, 0, 0, 0};
    tiff[21] = static_cast<uint8_t>(c.value_offset);
    CJpegExifCarrier carrier;
    ASSERT_TRUE(carrier.SetBlock(tiff));
    carrier.MarkPixelsTurnedUpright(false);
    const test_support::Bytes& block = carrier.block();
    test_support::Bytes expected = tiff;
    if (c.rewritten) {
      expected[c.value_offset] = 0;
      expected[c.value_offset + 1] = 1;
    }
    EXPECT_EQ(block, expected);
  }
}

TEST(ExifCarrier, RefusesBlocksThatAreNotTiff) {
  CJpegExifCarrier carrier;
  EXPECT_FALSE(carrier.SetBlock({'n', 'o', 't', ' ', 't', 'i', 'f', 'f'}));
  CJpegMetadataCarrier metadata;
  EXPECT_FALSE(metadata.ReadFrom(L"Z:\\no\\such\\file.jpg"));
  EXPECT_FALSE(metadata.WriteInto(L"Z:\\no\\such\\file.jpg"));
}

// ---- Carrying every metadata segment ----

// A segment as it stands in a file.
std::vector<uint8_t> SegmentBytes(uint8_t marker, const std::string& payload) {
  const size_t length = payload.size() + 2;
  std::string bytes = {'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                       static_cast<char>(length & 0xFF)};
  bytes += payload;
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::vector<uint8_t> JpegOf(const std::vector<std::vector<uint8_t>>& segments) {
  std::vector<uint8_t> jpeg = {0xFF, 0xD8};
  for (const auto& segment : segments) {
    jpeg.insert(jpeg.end(), segment.begin(), segment.end());
  }
  const std::vector<uint8_t> tables = SegmentBytes(0xDB, std::string(65, '\1'));
  jpeg.insert(jpeg.end(), tables.begin(), tables.end());
  const std::vector<uint8_t> end = {0xFF, 0xDA, 0x00, 0x02, 0x12, 0x34, 0xFF, 0xD9};
  jpeg.insert(jpeg.end(), end.begin(), end.end());
  return jpeg;
}

TEST(MetadataCarrier, CarriesWhatTheCopyLacksAndNothingOfTheOldEncoding) {
  const test_support::Bytes tiff = test_support::TiffBuilder(false)
                                       .Shorts(test_support::TiffBuilder::kPrimary, 274, {6})
                                       .Build();
  const std::string exif = std::string("Exif\0\0", 6) + std::string(tiff.begin(), tiff.end());
  const std::string xmp = std::string("http://ns.adobe.com/xap/1.0/\0", 29) +
                          "<x:xmpmeta><rdf:Description tiff:Orientation=\"6\"/>"
                          "<tiff:Orientation>6</tiff:Orientation></x:xmpmeta>";
  const std::string icc = std::string("ICC_PROFILE\0\1\1", 14) + "profile bytes";
  const std::string iptc = std::string("Photoshop 3.0\0", 14) + "8BIM keywords";
  const std::vector<uint8_t> source = JpegOf({
      SegmentBytes(0xE0, std::string("JFIF\0\1\1", 7)),
      SegmentBytes(0xE1, exif),
      SegmentBytes(0xE1, xmp),
      SegmentBytes(0xE2, icc),
      SegmentBytes(0xE2, std::string("MPF\0", 4) + "picture offsets"),
      SegmentBytes(0xED, iptc),
      SegmentBytes(0xEE, std::string("Adobe\0\x64\0\0\0\0\1", 12)),
      SegmentBytes(0xFE, "a comment"),
  });
  CJpegMetadataCarrier carrier;
  ASSERT_TRUE(carrier.ReadFromMemory(source));
  carrier.MarkPixelsTurnedUpright(true);

  // The copy as our encoder writes it: JFIF, its own profile, the tables.
  const std::string own_icc = std::string("ICC_PROFILE\0\1\1", 14) + "the same profile";
  std::vector<uint8_t> copy =
      JpegOf({SegmentBytes(0xE0, std::string("JFIF\0\1\2", 7)), SegmentBytes(0xE2, own_icc)});
  ASSERT_TRUE(carrier.MergeInto(&copy));
  std::vector<CJpegMetadataCarrier::Segment> merged;
  size_t header_end = 0;
  ASSERT_TRUE(CJpegMetadataCarrier::ReadSegments(copy, &merged, &header_end));
  std::vector<std::string> found;
  for (const auto& segment : merged) {
    found.push_back(std::to_string(segment.marker) + " " +
                    std::string(segment.payload.begin(), segment.payload.end()).substr(0, 12));
  }
  const std::vector<std::string> expected = {
      "224 " + std::string("JFIF\0\1\2", 7), "225 " + exif.substr(0, 12),
      "226 " + own_icc.substr(0, 12),        "225 " + xmp.substr(0, 12),
      "237 " + iptc.substr(0, 12),           "254 a comment",
  };
  EXPECT_EQ(expected, found) << "EXIF after JFIF; the rest after the copy's own metadata";
  // The orientation everywhere says the pixels are upright now.
  std::vector<uint8_t> block;
  ASSERT_TRUE(CJpegExifBlock::FindInMemory(copy.data(), copy.size(), &block));
  CExifParser parser;
  ASSERT_TRUE(parser.Parse(block.data(), block.size()));
  const CExifParser::Field* orientation = parser.Find(CExifParser::kPrimary, 274);
  ASSERT_NE(orientation, nullptr);
  EXPECT_EQ(block[orientation->value_offset], 1);
  const std::string merged_xmp(merged[3].payload.begin(), merged[3].payload.end());
  EXPECT_NE(merged_xmp.find("tiff:Orientation=\"1\""), std::string::npos) << merged_xmp;
  EXPECT_NE(merged_xmp.find("<tiff:Orientation>1</tiff:Orientation>"), std::string::npos);
  EXPECT_EQ(merged_xmp.find('6'), std::string::npos);

  // Merging again adds nothing: every kind is there.
  const std::vector<uint8_t> once = copy;
  ASSERT_TRUE(carrier.MergeInto(&copy));
  EXPECT_EQ(once, copy);

  std::vector<uint8_t> not_jpeg = {'G', 'I', 'F', '8'};
  EXPECT_FALSE(carrier.MergeInto(&not_jpeg));
  EXPECT_FALSE(
      CJpegMetadataCarrier().ReadFromMemory(JpegOf({SegmentBytes(0xE0, std::string("JFIF\0", 5))})))
      << "nothing to carry";
}

// ---- Orientation rewritten in place ----

TEST_F(SavingTest, InPlaceOrientationRewriteChangesOnlyTheTag) {
  // Both byte orders: the platform here has no fast metadata encoder, so the
  // program rewrites the tag's two bytes itself.
  for (const wchar_t* fixture : {L"orientation_1.jpg", L"orientation_2.jpg"}) {
    SCOPED_TRACE(std::string(fixture, fixture + wcslen(fixture)));
    const std::wstring path = scratch_.File(L"in_place.jpg");
    const std::string original = ReadFileBytes(Fixture(fixture));
    ASSERT_TRUE(WriteFileBytes(path, original));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(WriteOrientationInPlace(path, 6));
    EXPECT_EQ(ExifOfFile(path).Orientation(), 6);
    const std::string rewritten = ReadFileBytes(path);
    ASSERT_EQ(rewritten.size(), original.size());
    size_t changed = 0;
    for (size_t i = 0; i < original.size(); ++i) {
      changed += original[i] != rewritten[i] ? 1 : 0;
    }
    EXPECT_EQ(changed, 1u) << "one byte of the tag's value";
    EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(path), 1))
        << "the stored pixels are untouched";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST_F(SavingTest, InPlaceOrientationRewriteWithoutRoomForTheTagLeavesTheFileAlone) {
  // No EXIF segment at all, and one without an orientation tag.
  const std::string plain = ReadFileBytes(Fixture(L"blocks.jpg"));
  std::vector<uint8_t> tagless(plain.begin(), plain.end());
  ASSERT_TRUE(CJpegExifCarrier::InsertSegment(
      &tagless, test_support::TiffBuilder(false)
                    .Ascii(test_support::TiffBuilder::kPrimary, 271, "Maker")
                    .Build()));
  for (const std::string& bytes : {plain, std::string(tagless.begin(), tagless.end())}) {
    const std::wstring path = scratch_.File(L"no_room.jpg");
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    EXPECT_FALSE(WriteOrientationInPlace(path, 6));
    EXPECT_EQ(ReadFileBytes(path), bytes);
  }
  EXPECT_FALSE(WriteOrientationInPlace(scratch_.File(L"missing.jpg"), 6));
  EXPECT_FALSE(PathExists(scratch_.File(L"missing.jpg")));
}

// ---- Where the bytes go ----

TEST_F(SavingTest, NewTargetIsWrittenDirectly) {
  CSaveTarget target(scratch_.File(L"new.jpg"));
  EXPECT_EQ(target.working(), target.target());
  ASSERT_TRUE(WriteFileBytes(target.working(), "new"));
  EXPECT_TRUE(target.Commit(false));
  EXPECT_EQ(ReadFileBytes(target.target()), "new");
}

TEST_F(SavingTest, ExistingTargetIsReplacedFromATemporaryFileInOneStep) {
  for (bool copy_back : {false, true}) {
    const std::wstring path = scratch_.File(L"picture.png");
    ASSERT_TRUE(WriteFileBytes(path, "old"));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    CSaveTarget target(path);
    ASSERT_NE(target.working(), path);
    EXPECT_EQ(target.working().substr(0, scratch_.path().size() + 4), scratch_.path() + L"\\tmp");
    EXPECT_EQ(target.working().substr(target.working().size() - 4), L".png");
    EXPECT_FALSE(PathExists(target.working()));
    EXPECT_FALSE(target.Commit(copy_back)) << "nothing written yet";
    EXPECT_EQ(ReadFileBytes(path), "old");

    ASSERT_TRUE(WriteFileBytes(target.working(), "new"));
    EXPECT_TRUE(target.Commit(copy_back));
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(FilesIn(scratch_.path()), std::set<std::wstring>{L"picture.png"});
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
  }
}

TEST_F(SavingTest, TargetHeldByAnotherOpenerIsLeftAlone) {
  const std::wstring path = scratch_.File(L"held.jpg");
  ASSERT_TRUE(WriteFileBytes(path, "original"));
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  for (bool copy_back : {false, true}) {
    CSaveTarget target(path);
    ASSERT_TRUE(WriteFileBytes(target.working(), "replacement"));
    EXPECT_FALSE(target.Commit(copy_back));
    EXPECT_EQ(FilesIn(scratch_.path()), std::set<std::wstring>{L"held.jpg"});
  }
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(path), "original");
}

TEST_F(SavingTest, DiscardRemovesOnlyTheWorkingFile) {
  const std::wstring path = scratch_.File(L"kept.jpg");
  ASSERT_TRUE(WriteFileBytes(path, "kept"));
  CSaveTarget target(path);
  ASSERT_TRUE(WriteFileBytes(target.working(), "half"));
  target.Discard();
  EXPECT_EQ(FilesIn(scratch_.path()), std::set<std::wstring>{L"kept.jpg"});
}

TEST_F(SavingTest, DefaultSaveNamesCountUpToNinetyNine) {
  const std::wstring stem = scratch_.File(L"b");
  EXPECT_EQ(MakeDefaultSaveName(stem + L".png"), stem + L"(1).jpg");
  ASSERT_TRUE(WriteFileBytes(stem + L"(1).jpg", "x"));
  EXPECT_EQ(MakeDefaultSaveName(stem + L".png"), stem + L"(2).jpg");
  for (int n = 2; n <= 99; ++n) {
    ASSERT_TRUE(WriteFileBytes(stem + L"(" + std::to_wstring(n) + L").jpg", "x"));
  }
  EXPECT_EQ(MakeDefaultSaveName(stem + L".png"), stem + L"(99).jpg");
  EXPECT_EQ(MakeDefaultSaveName(scratch_.File(L"no_extension")),
            scratch_.File(L"no_extension(1).jpg"));
  EXPECT_EQ(MakeDefaultSaveName(scratch_.File(L"two.dots.tif")), scratch_.File(L"two.dots(1).jpg"));
}

}  // namespace
