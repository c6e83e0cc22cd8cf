#include <windows.h>
#include <propvarutil.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "image/exif_parser.h"
#include "image/exif_query_reader.h"
#include "image/jpeg_exif_block.h"
#include "image/metadata_reader.h"
#include "support/exif_builder.h"

namespace {

using test_support::Bytes;
using test_support::TiffBuilder;

constexpr auto kPrimary = TiffBuilder::kPrimary;
constexpr auto kExif = TiffBuilder::kExif;
constexpr auto kGps = TiffBuilder::kGps;

Bytes Segment(uint8_t marker, const Bytes& payload) {
  Bytes out = {0xFF, marker, static_cast<uint8_t>((payload.size() + 2) >> 8),
               static_cast<uint8_t>((payload.size() + 2) & 0xFF)};
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

TEST(JpegExifBlock, FindsTheExifSegmentAmongOthers) {
  const Bytes tiff = TiffBuilder(false).Shorts(kPrimary, 274, {3}).Build();
  const Bytes soi = {0xFF, 0xD8};
  const Bytes jfif = Segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 2});
  const Bytes xmp = Segment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', 0});
  const Bytes exif = Segment(0xE1, test_support::ExifPayload(tiff));
  const Bytes scan = {0xFF, 0xDA, 0x00, 0x02};
  const struct {
    const char* what;
    Bytes data;
    bool found;
  } cases[] = {
      {"first segment", Concat({soi, exif, scan}), true},
      {"after JFIF and XMP", Concat({soi, jfif, xmp, exif, scan}), true},
      {"fill bytes before a marker", Concat({soi, {0xFF, 0xFF}, jfif, exif}), true},
      {"after the scan starts", Concat({soi, jfif, scan, exif}), false},
      {"not a JPEG", Concat({{0xFF, 0xD9}, exif}), false},
      {"no EXIF", Concat({soi, jfif, xmp, scan}), false},
      {"segment cut short", Concat({soi, Bytes(exif.begin(), exif.end() - 3)}), false},
      {"length below two", Concat({soi, {0xFF, 0xE0, 0x00, 0x01}, exif}), false},
      {"garbage between segments", Concat({soi, jfif, {0x12, 0x34}, exif}), false},
      {"empty", {}, false},
  };
  for (const auto& c : cases) {
    Bytes block;
    EXPECT_EQ(CJpegExifBlock::FindInMemory(c.data.data(), c.data.size(), &block), c.found)
        << c.what;
    if (c.found) {
      EXPECT_EQ(block, tiff) << c.what;
    }
  }
}

// The same fields written in both byte orders read as the same variants.
TEST(ExifParser, EveryFieldTypeInBothByteOrders) {
  auto build = [](bool big_endian) {
    TiffBuilder tiff(big_endian);
    Bytes undefined = {'0', '2', '3', '2'};
    tiff.Raw(kPrimary, 1, 1, 1, {7})
        .Raw(kPrimary, 2, 1, 5, {1, 2, 3, 4, 5})
        .Ascii(kPrimary, 3, "text")
        .Shorts(kPrimary, 4, {65535})
        .Shorts(kPrimary, 5, {1, 2, 3})
        .Longs(kPrimary, 6, {0x89ABCDEF})
        .Longs(kPrimary, 7, {1, 0xFFFFFFFF})
        .Rationals(kPrimary, 8, {{7, 3}})
        .Rationals(kPrimary, 9, {{1, 2}, {3, 4}, {5, 6}})
        .Raw(kPrimary, 10, 6, 1, {0xFE})
        .Raw(kPrimary, 11, 7, 4, undefined)
        .Rationals(kPrimary, 12, {{static_cast<uint32_t>(-5), 2}}, 10)
        .Longs(kPrimary, 13, {static_cast<uint32_t>(-9)}, 9)
        .Longs(kPrimary, 14, {0x3FC00000}, 11);  // 1.5f
    Bytes shorts;
    tiff.Put(shorts, static_cast<uint16_t>(-2), 2);
    tiff.Raw(kPrimary, 15, 8, 1, shorts);
    Bytes twelve;
    tiff.Put(twelve, big_endian ? 0x40040000 : 0, 4);  // 2.5 as a double
    tiff.Put(twelve, big_endian ? 0 : 0x40040000, 4);
    tiff.Raw(kPrimary, 16, 12, 1, twelve);
    return tiff.Build();
  };
  const Bytes little = build(false);
  const Bytes big = build(true);
  CExifParser parsers[2];
  ASSERT_TRUE(parsers[0].Parse(little.data(), little.size()));
  ASSERT_TRUE(parsers[1].Parse(big.data(), big.size()));
  EXPECT_TRUE(parsers[1].big_endian());

  const VARTYPE types[] = {VT_UI1,
                           VT_VECTOR | VT_UI1,
                           VT_LPSTR,
                           VT_UI2,
                           VT_VECTOR | VT_UI2,
                           VT_UI4,
                           VT_VECTOR | VT_UI4,
                           VT_UI8,
                           VT_VECTOR | VT_UI8,
                           VT_I1,
                           VT_BLOB,
                           VT_I8,
                           VT_I4,
                           VT_R4,
                           VT_I2,
                           VT_R8};
  for (uint16_t tag = 1; tag <= 16; ++tag) {
    PROPVARIANT values[2];
    for (int i = 0; i < 2; ++i) {
      const CExifParser::Field* field = parsers[i].Find(CExifParser::kPrimary, tag);
      ASSERT_NE(field, nullptr) << tag;
      ASSERT_TRUE(parsers[i].ToPropVariant(*field, &values[i])) << tag;
      EXPECT_EQ(values[i].vt, types[tag - 1]) << tag;
    }
    EXPECT_TRUE(test_support::SameVariant(values[0], values[1])) << tag;
    switch (tag) {
      case 3:
        EXPECT_STREQ(values[1].pszVal, "text");
        break;
      case 4:
        EXPECT_EQ(values[1].uiVal, 65535);
        break;
      case 6:
        EXPECT_EQ(values[1].ulVal, 0x89ABCDEFu);
        break;
      case 8:
        EXPECT_EQ(values[1].uhVal.QuadPart, 3ull << 32 | 7);
        break;
      case 9:
        EXPECT_EQ(values[1].cauh.pElems[2].QuadPart, 6ull << 32 | 5);
        break;
      case 12:
        EXPECT_EQ(values[1].hVal.QuadPart, 2ll << 32 | 0xFFFFFFFBll);
        break;
      case 13:
        EXPECT_EQ(values[1].lVal, -9);
        break;
      case 14:
        EXPECT_EQ(values[1].fltVal, 1.5f);
        break;
      case 15:
        EXPECT_EQ(values[1].iVal, -2);
        break;
      case 16:
        EXPECT_EQ(values[1].dblVal, 2.5);
        break;
      default:
        break;
    }
    PropVariantClear(&values[0]);
    PropVariantClear(&values[1]);
  }
}

TEST(ExifParser, OffsetsAndCountsStayInsideTheBlock) {
  TiffBuilder good(false);
  good.Shorts(kPrimary, 274, {6})
      .Ascii(kPrimary, 271, "A long maker name")
      .Shorts(kExif, 34855, {100});
  const Bytes block = good.Build();

  auto field_count = [](const Bytes& data) {
    CExifParser parser;
    if (!parser.Parse(data.data(), data.size())) return -1;
    int found = 0;
    for (uint16_t tag : {271, 274}) found += parser.Find(CExifParser::kPrimary, tag) ? 1 : 0;
    found += parser.Find(CExifParser::kExif, 34855) ? 1 : 0;
    return found;
  };
  EXPECT_EQ(field_count(block), 3);

  auto patched = [&block](size_t at, std::initializer_list<uint8_t> bytes) {
    Bytes copy = block;
    std::copy(bytes.begin(), bytes.end(), copy.begin() + static_cast<long>(at));
    return copy;
  };
  // IFD0 starts at 8: count, then entries of 12 bytes (tag, type, count, value).
  const size_t ifd0 = 8;
  auto entry_of = [&block, ifd0](uint16_t tag) {
    for (size_t at = ifd0 + 2; at + 12 <= block.size(); at += 12) {
      if ((block[at] | block[at + 1] << 8) == tag) return at;
    }
    return size_t{0};
  };
  const size_t maker = entry_of(271);
  const size_t exif_pointer = entry_of(34665);
  ASSERT_NE(maker, 0u);
  ASSERT_NE(exif_pointer, 0u);
  const struct {
    const char* what;
    Bytes data;
    int fields;
  } cases[] = {
      {"IFD0 beyond the end", patched(4, {0xFF, 0xFF, 0, 0}), -1},
      {"IFD0 inside the header", patched(4, {2, 0, 0, 0}), -1},
      {"not TIFF", patched(2, {43, 0}), -1},
      {"entry count beyond the block", patched(ifd0, {0xFF, 0xFF}), 3},
      {"text offset beyond the end", patched(maker + 8, {0xF0, 0xFF, 0, 0}), 2},
      {"huge text count", patched(maker + 4, {0xFF, 0xFF, 0xFF, 0xFF}), 2},
      {"huge rational count", patched(maker + 2, {5, 0}), 2},
      {"unknown type", patched(maker + 2, {99, 0}), 2},
      {"Exif IFD beyond the end", patched(exif_pointer + 8, {0, 0, 0, 0x10}), 2},
      {"Exif IFD is IFD0", patched(exif_pointer + 8, {8, 0, 0, 0}), 2},
      {"cut after IFD0", Bytes(block.begin(), block.begin() + 14), 0},
      {"header only", Bytes(block.begin(), block.begin() + 8), -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(field_count(c.data), c.fields) << c.what;
  }
}

TEST(ExifQueryReader, QueryNames) {
  const struct {
    const wchar_t* name;
    bool valid;
    CExifParser::Directory directory;
    uint16_t tag;
  } cases[] = {
      {L"/app1/ifd/{ushort=274}", true, CExifParser::kPrimary, 274},
      {L"/app1/ifd/exif/{ushort=33437}", true, CExifParser::kExif, 33437},
      {L"/app1/ifd/gps/{ushort=2}", true, CExifParser::kGps, 2},
      {L"/APP1/IFD/EXIF/{USHORT=65535}", true, CExifParser::kExif, 65535},
      {L"/app1/ifd/{ushort=65536}", false, CExifParser::kPrimary, 0},
      {L"/app1/ifd/{ushort=}", false, CExifParser::kPrimary, 0},
      {L"/app1/ifd/{ushort=12}/x", false, CExifParser::kPrimary, 0},
      {L"/app1/ifd/{ushort=12", false, CExifParser::kPrimary, 0},
      {L"/ifd/{ushort=274}", false, CExifParser::kPrimary, 0},
      {L"/app1/ifd/exif", false, CExifParser::kPrimary, 0},
      {L"", false, CExifParser::kPrimary, 0},
  };
  for (const auto& c : cases) {
    CExifParser::Directory directory = CExifParser::kPrimary;
    uint16_t tag = 0;
    EXPECT_EQ(CExifQueryReader::ParseQueryName(c.name, &directory, &tag), c.valid);
    if (c.valid) {
      EXPECT_EQ(directory, c.directory);
      EXPECT_EQ(tag, c.tag);
    }
  }
  EXPECT_FALSE(CExifQueryReader::ParseQueryName(nullptr, nullptr, nullptr));

  const Bytes block = TiffBuilder(false).Shorts(kPrimary, 274, {6}).Build();
  ComPtr<IWICMetadataQueryReader> reader =
      CExifQueryReader::CreateFromBlock(block.data(), block.size());
  ASSERT_TRUE(reader);
  PROPVARIANT value;
  PropVariantInit(&value);
  EXPECT_EQ(reader->GetMetadataByName(L"/app1/ifd/{ushort=275}", &value),
            WINCODEC_ERR_PROPERTYNOTFOUND);
  EXPECT_EQ(reader->GetMetadataByName(L"/xmp/dc:title", &value), WINCODEC_ERR_PROPERTYNOTFOUND);
  EXPECT_EQ(reader->GetMetadataByName(L"/app1/ifd/{ushort=274}", nullptr), S_OK);
  GUID format = {};
  EXPECT_HRESULT_SUCCEEDED(reader->GetContainerFormat(&format));
  EXPECT_TRUE(IsEqualGUID(format, GUID_ContainerFormatJpeg));
  EXPECT_FALSE(CExifQueryReader::CreateFromBlock(block.data(), 7));
  EXPECT_FALSE(CExifQueryReader::CreateFromBlock(nullptr, 0));
}

// Thousands of damaged EXIF segments: each is found, parsed and read
// without a fault, whatever the damage.
TEST(ExifMutation, DamagedSegmentsAreReadSafely) {
  Bytes tiffs[2];
  for (int order = 0; order < 2; ++order) {
    TiffBuilder tiff(order == 1);
    tiff.Ascii(kPrimary, 271, "Maker")
        .Ascii(kPrimary, 272, "Model")
        .Shorts(kPrimary, 274, {6})
        .Ascii(kExif, 36867, "2020:02:02 02:02:02")
        .Rationals(kExif, 33437, {{28, 10}})
        .Rationals(kExif, 33434, {{1, 60}})
        .Shorts(kExif, 34855, {800})
        .Ascii(kGps, 1, "N")
        .Rationals(kGps, 2, {{1, 1}, {2, 1}, {3, 1}})
        .Ascii(kGps, 3, "E")
        .Rationals(kGps, 4, {{4, 1}, {5, 1}, {6, 1}});
    tiffs[order] = tiff.Build();
  }
  const Bytes soi = {0xFF, 0xD8};
  const Bytes scan = {0xFF, 0xDA, 0x00, 0x02, 0x00};
  std::mt19937 random(0xE11F);
  auto pick = [&random](size_t bound) {
    return std::uniform_int_distribution<size_t>(0, bound - 1)(random);
  };
  int parsed = 0;
  int oriented = 0;
  for (int i = 0; i < 5000; ++i) {
    Bytes jpeg = Concat({soi, Segment(0xE1, test_support::ExifPayload(tiffs[i % 2])), scan});
    for (size_t n = 1 + pick(6); n > 0; --n) {
      const size_t at = pick(jpeg.size());
      switch (pick(3)) {
        case 0:
          jpeg[at] = static_cast<uint8_t>(pick(256));
          break;
        case 1:
          jpeg[at] = pick(2) ? 0xFF : 0x00;
          break;
        default:
          jpeg.resize(std::max<size_t>(at, 4));
          break;
      }
    }
    Bytes block;
    if (!CJpegExifBlock::FindInMemory(jpeg.data(), jpeg.size(), &block)) {
      continue;
    }
    ComPtr<IWICMetadataQueryReader> reader =
        CExifQueryReader::CreateFromBlock(block.data(), block.size());
    if (!reader) {
      continue;
    }
    ++parsed;
    CExifInfo info;
    ReadExifFields(info, reader.Get());
    oriented += info.orientation == 6 ? 1 : 0;
  }
  EXPECT_GT(parsed, 1000);
  EXPECT_GT(oriented, 500);
}

}  // namespace
