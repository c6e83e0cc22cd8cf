#include <windows.h>
#include <propvarutil.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "image/exif_query_reader.h"
#include "image/image_file_opener.h"
#include "image/metadata_reader.h"
#include "support/exif_builder.h"
#include "support/image_fixtures.h"
#include "support/exiftool_reading.h"
#include "support/test_paths.h"

namespace {

using test_support::Bytes;
using test_support::Fixture;
using test_support::TiffBuilder;

constexpr auto kPrimary = TiffBuilder::kPrimary;
constexpr auto kExif = TiffBuilder::kExif;
constexpr auto kGps = TiffBuilder::kGps;

CExifInfo ReadRecord(const TiffBuilder& tiff) {
  const Bytes block = tiff.Build();
  ComPtr<IWICMetadataQueryReader> reader =
      CExifQueryReader::CreateFromBlock(block.data(), block.size());
  EXPECT_TRUE(reader);
  CExifInfo info;
  ReadExifFields(info, reader.Get());
  return info;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(ExifText, FullRecordInBothByteOrders) {
  for (bool big_endian : {false, true}) {
    TiffBuilder tiff(big_endian);
    tiff.Ascii(kPrimary, 271, "Canon")
        .Ascii(kPrimary, 272, "EOS 5D")
        .Shorts(kPrimary, 274, {6})
        .Ascii(kExif, 36867, "2021:01:02 03:04:05")
        .Ascii(kExif, 42036, "EF 50mm")
        .Rationals(kExif, 33437, {{28, 10}})
        .Rationals(kExif, 37381, {{297, 100}})
        .Rationals(kExif, 33434, {{10, 2500}})
        .Shorts(kExif, 34855, {200})
        .Rationals(kExif, 37386, {{0, 0}})
        .Shorts(kExif, 37383, {5})
        .Shorts(kExif, 37385, {16})
        .Shorts(kExif, 41987, {1})
        .Shorts(kExif, 34850, {2})
        .Ascii(kGps, 1, "N")
        .Rationals(kGps, 2, {{30, 1}, {30, 1}, {0, 1}})
        .Ascii(kGps, 3, "w")
        .Rationals(kGps, 4, {{120, 1}, {15, 1}, {0, 1}});
    const CExifInfo info = ReadRecord(tiff);
    SCOPED_TRACE(big_endian ? "MM" : "II");
    EXPECT_EQ(info.make, L"Canon");
    EXPECT_EQ(info.model, L"EOS 5D");
    EXPECT_EQ(info.orientation, 6);
    EXPECT_EQ(info.date_taken, L"2021:01:02 03:04:05");
    EXPECT_EQ(info.lens_model, L"EF 50mm");
    EXPECT_EQ(info.f_number, L"2.8");
    EXPECT_EQ(info.max_aperture, L"3.0");
    EXPECT_EQ(info.exposure_time, L"10/2500");
    EXPECT_EQ(info.iso, L"200");
    EXPECT_EQ(info.focal_length, L"0.0");
    EXPECT_EQ(info.metering_mode, L"5");
    EXPECT_EQ(info.flash, L"16");
    EXPECT_EQ(info.white_balance, L"1");
    EXPECT_EQ(info.exposure_program, L"2");
    EXPECT_EQ(info.gps, L"30.500000,-120.250000");
    EXPECT_EQ(info.dpi, 0);  // not a tag: the frame's resolution
  }
}

TEST(ExifText, AbsentAndUnexpectedValues) {
  const CExifInfo nothing = ReadRecord(TiffBuilder(false));
  EXPECT_EQ(nothing.orientation, 0);
  EXPECT_TRUE(nothing.make.empty());
  EXPECT_TRUE(nothing.f_number.empty());
  EXPECT_TRUE(nothing.exposure_time.empty());
  EXPECT_TRUE(nothing.gps.empty());

  TiffBuilder odd(false);
  odd.Shorts(kPrimary, 271, {7})                           // text as a number: empty
      .Longs(kPrimary, 274, {0x10006})                     // low 16 bits: 6
      .Shorts(kExif, 33437, {3})                           // rational as a number: 0.0
      .Rationals(kExif, 33434, {{1, 250}}, 10)             // signed: not read
      .Longs(kExif, 34855, {400})                          // only SHORT is an integer here
      .Rationals(kExif, 37386, {{35, 1}, {50, 1}})         // a vector: 0.0
      .Rationals(kGps, 2, {{10, 1}, {0, 1}, {36, 1}}, 10)  // signed rationals: 0
      .Ascii(kGps, 3, "E")
      .Rationals(kGps, 4, {{1, 1}, {30, 1}, {0, 1}});
  const CExifInfo info = ReadRecord(odd);
  EXPECT_EQ(info.make, L"");
  EXPECT_EQ(info.orientation, 6);
  EXPECT_EQ(info.f_number, L"0.0");
  EXPECT_EQ(info.exposure_time, L"");
  EXPECT_EQ(info.iso, L"");
  EXPECT_EQ(info.focal_length, L"0.0");
  EXPECT_EQ(info.gps, L"0.000000,1.500000");

  TiffBuilder text_orientation(true);
  text_orientation.Ascii(kPrimary, 274, "6");
  EXPECT_EQ(ReadRecord(text_orientation).orientation, 0);
}

TEST(ExifText, GpsRules) {
  const struct {
    const char* lat_ref;
    std::vector<std::pair<uint32_t, uint32_t>> latitude;
    const char* lon_ref;
    std::vector<std::pair<uint32_t, uint32_t>> longitude;
    const wchar_t* gps;
  } cases[] = {
      {"S", {{10, 1}, {0, 1}, {36, 1}}, "E", {{1, 1}, {30, 1}, {0, 1}}, L"-10.010000,1.500000"},
      {"s", {{10, 1}, {0, 1}, {0, 1}}, "W", {{20, 1}, {0, 1}, {0, 1}}, L"-10.000000,-20.000000"},
      {nullptr, {{5, 1}, {0, 1}, {0, 1}}, nullptr, {{6, 1}, {0, 1}, {0, 1}}, L"5.000000,6.000000"},
      {"N", {{30, 1}, {0, 0}, {0, 1}}, "E", {{1, 1}, {0, 1}, {0, 1}}, L"0.000000,1.000000"},
      {"N", {{30, 1}, {30, 1}}, "E", {{1, 1}, {0, 1}, {0, 1}}, L"0.000000,1.000000"},
      {"N", {{30, 1}, {30, 1}, {0, 1}}, "E", {}, L""},  // latitude without longitude
      {"N", {}, "E", {{1, 1}, {0, 1}, {0, 1}}, L""},
  };
  for (const auto& c : cases) {
    TiffBuilder tiff(false);
    tiff.Shorts(kPrimary, 274, {1});
    if (c.lat_ref) tiff.Ascii(kGps, 1, c.lat_ref);
    if (!c.latitude.empty()) tiff.Rationals(kGps, 2, c.latitude);
    if (c.lon_ref) tiff.Ascii(kGps, 3, c.lon_ref);
    if (!c.longitude.empty()) tiff.Rationals(kGps, 4, c.longitude);
    EXPECT_EQ(ReadRecord(tiff).gps, c.gps) << Narrow(c.gps);
  }
}

// Answers one name with a fixed variant: the typed readers also take text
// types no EXIF field produces but other metadata formats do.
class CannedReader : public IWICMetadataQueryReader {
 public:
  explicit CannedReader(const PROPVARIANT& value) { PropVariantCopy(&value_, &value); }
  ~CannedReader() { PropVariantClear(&value_); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetLocation(UINT, WCHAR*, UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMetadataByName(LPCWSTR name, PROPVARIANT* value) override {
    if (wcscmp(name, L"/known") != 0) return WINCODEC_ERR_PROPERTYNOTFOUND;
    return PropVariantCopy(value, &value_);
  }
  HRESULT STDMETHODCALLTYPE GetEnumerator(IEnumString**) override { return E_NOTIMPL; }

 private:
  PROPVARIANT value_ = {};
};

TEST(TypedReaders, TextTypesAndFailedQueries) {
  PROPVARIANT wide;
  InitPropVariantFromString(L"wide text", &wide);
  CannedReader wide_reader(wide);
  PropVariantClear(&wide);
  std::wstring out = L"old";
  ReadTextValue(&wide_reader, L"/known", out);
  EXPECT_EQ(out, L"wide text");

  char first[] = "first";
  char second[] = "second";
  char* strings[] = {first, second};
  PROPVARIANT list = {};
  list.vt = VT_VECTOR | VT_LPSTR;
  list.calpstr.cElems = 2;
  list.calpstr.pElems = strings;
  CannedReader list_reader(list);
  ReadTextValue(&list_reader, L"/known", out);
  EXPECT_EQ(out, L"first");

  list.calpstr.cElems = 0;
  CannedReader empty_list_reader(list);
  ReadTextValue(&empty_list_reader, L"/known", out);
  EXPECT_EQ(out, L"");

  // A query that fails leaves every reader's output alone.
  std::wstring text = L"t", integer = L"i", rational = L"r", exposure = L"e";
  ReadTextValue(&wide_reader, L"/missing", text);
  ReadIntegerValue(&wide_reader, L"/missing", integer);
  ReadRationalValue(&wide_reader, L"/missing", rational);
  ReadExposureTimeValue(&wide_reader, L"/missing", exposure);
  EXPECT_EQ(text + integer + rational + exposure, L"tire");
  // A present value of the wrong type: the rational is written, the integer not.
  ReadIntegerValue(&wide_reader, L"/known", integer);
  ReadRationalValue(&wide_reader, L"/known", rational);
  EXPECT_EQ(integer, L"i");
  EXPECT_EQ(rational, L"0.0");
  EXPECT_EQ(ReadGpsCoordinate(&wide_reader, 2, 1, L"S"), L"");
}

// ---- Whole files ----

TEST(FrameMetadata, JpegExifBehindOtherSegments) {
  test_support::ScratchFolder scratch(L"metadata_jpeg");
  TiffBuilder tiff(true);
  tiff.Ascii(kPrimary, 271, "Maker").Shorts(kPrimary, 274, {8}).Rationals(kExif, 33437, {{56, 10}});
  // An XMP segment and an ICC segment before the EXIF one.
  Bytes jpeg = test_support::WithExif(test_support::EncodeJpeg(8, 8, 90, 90, 90), tiff.Build());
  const std::string xmp = "http://ns.adobe.com/xap/1.0/";
  Bytes xmp_payload(xmp.begin(), xmp.end());
  xmp_payload.push_back(0);
  jpeg = test_support::WithSegment(jpeg, 0xE1, xmp_payload);
  jpeg = test_support::WithSegment(jpeg, 0xE2, Bytes(300, 0x11));
  const std::wstring path = scratch.File(L"segments.jpg");
  ASSERT_TRUE(test_support::WriteFileBytes(path, test_support::AsString(jpeg)));
  CWICImageLoader loader(path);
  ASSERT_TRUE(loader.source());
  EXPECT_EQ(loader.exif().make, L"Maker");
  EXPECT_EQ(loader.exif().orientation, 8);
  EXPECT_EQ(loader.exif().f_number, L"5.6");
  EXPECT_GT(loader.exif().dpi, 0);
}

TEST(FrameMetadata, FormatsWithoutExifPaths) {
  test_support::ScratchFolder scratch(L"metadata_formats");
  // A bitmap states 96 dpi, yet without a metadata reader the record stays empty.
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof(info);
  info.biWidth = 2;
  info.biHeight = 2;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biXPelsPerMeter = info.biYPelsPerMeter = 3780;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + 16;
  std::string bmp(reinterpret_cast<const char*>(&file), sizeof(file));
  bmp.append(reinterpret_cast<const char*>(&info), sizeof(info));
  bmp.append(16, '\x7F');
  ASSERT_TRUE(test_support::WriteFileBytes(scratch.File(L"plain.bmp"), bmp));
  CWICImageLoader bitmap(scratch.File(L"plain.bmp"));
  ASSERT_TRUE(bitmap.source());
  EXPECT_EQ(bitmap.exif().dpi, 0);
  EXPECT_EQ(bitmap.exif().orientation, 0);

  // A TIFF answers "/ifd/..." but not the JPEG paths the record is read from.
  CWICImageLoader tiff(Fixture(L"tags_II.tif"));
  ASSERT_TRUE(tiff.source());
  EXPECT_EQ(tiff.exif().dpi, 300);
  EXPECT_TRUE(tiff.exif().make.empty());
  EXPECT_EQ(tiff.exif().orientation, 0);

  // A JPEG without EXIF still reports its resolution.
  const std::wstring plain = scratch.File(L"plain.jpg");
  ASSERT_TRUE(test_support::WriteFileBytes(
      plain, test_support::AsString(test_support::EncodeJpeg(4, 4, 1, 2, 3))));
  CWICImageLoader jpeg(plain);
  EXPECT_GT(jpeg.exif().dpi, 0);
  EXPECT_TRUE(jpeg.exif().make.empty());
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring OneDecimal(const std::string& number) {
  wchar_t text[32];
  swprintf(text, 32, L"%.1f", std::stod(number));
  return text;
}

TEST(FrameMetadata, AgreesWithExiftool) {
  for (const wchar_t* order : {L"II", L"MM"}) {
    SCOPED_TRACE(Narrow(order));
    auto expected =
        test_support::ExiftoolReading(Fixture(std::wstring(L"exif_") + order + L".txt"));
    ASSERT_EQ(expected["Make"], "Maker Co");
    CWICImageLoaderPtr loader = OpenImageFile(Fixture(std::wstring(L"exif_") + order + L".jpg"));
    ASSERT_TRUE(loader);
    const CExifInfo& info = loader->exif();
    EXPECT_EQ(info.make, Widen(expected["Make"]));
    EXPECT_EQ(info.model, Widen(expected["Model"]));
    EXPECT_EQ(info.lens_model, Widen(expected["LensModel"]));
    EXPECT_EQ(info.date_taken, Widen(expected["DateTimeOriginal"]));
    EXPECT_EQ(info.f_number, OneDecimal(expected["FNumber"]));
    // exiftool shows the aperture as an f-number; the tag holds its APEX value.
    const double apex = 2 * std::log2(std::stod(expected["MaxApertureValue"]));
    EXPECT_EQ(info.max_aperture, OneDecimal(std::to_string(apex)));
    EXPECT_EQ(info.focal_length, OneDecimal(expected["FocalLength"]));
    EXPECT_EQ(info.iso, Widen(expected["ISO"]));
    EXPECT_EQ(info.metering_mode, Widen(expected["MeteringMode"]));
    EXPECT_EQ(info.flash, Widen(expected["Flash"]));
    EXPECT_EQ(info.white_balance, Widen(expected["WhiteBalance"]));
    EXPECT_EQ(info.exposure_program, Widen(expected["ExposureProgram"]));
    EXPECT_EQ(info.orientation, std::stoi(expected["Orientation"]));
    int numerator = 0;
    int denominator = 0;
    ASSERT_EQ(swscanf(info.exposure_time.c_str(), L"%d/%d", &numerator, &denominator), 2);
    EXPECT_NEAR(static_cast<double>(numerator) / denominator, std::stod(expected["ExposureTime"]),
                1e-9);
    double latitude = 0;
    double longitude = 0;
    ASSERT_EQ(swscanf(info.gps.c_str(), L"%lf,%lf", &latitude, &longitude), 2);
    const double latitude_sign = expected["GPSLatitudeRef"] == "S" ? -1 : 1;
    const double longitude_sign = expected["GPSLongitudeRef"] == "W" ? -1 : 1;
    EXPECT_NEAR(latitude, latitude_sign * std::fabs(std::stod(expected["GPSLatitude"])), 1e-4);
    EXPECT_NEAR(longitude, longitude_sign * std::fabs(std::stod(expected["GPSLongitude"])), 1e-4);
  }
}

// ---- Our reader against the platform's, on the same TIFF structure ----

TEST(ExifQueryReader, AnswersLikeThePlatformReaderOfATiff) {
  for (const wchar_t* name : {L"tags_II.tif", L"tags_MM.tif"}) {
    SCOPED_TRACE(Narrow(name));
    const std::string file = test_support::ReadFileBytes(Fixture(name));
    ComPtr<IWICMetadataQueryReader> ours = CExifQueryReader::CreateFromBlock(
        reinterpret_cast<const uint8_t*>(file.data()), file.size());
    ASSERT_TRUE(ours);
    ComPtr<IWICBitmapSource> frame = test_support::DecodeWithPlatform(Fixture(name));
    ComPtr<IWICMetadataQueryReader> platform;
    ASSERT_HRESULT_SUCCEEDED(
        frame.As<IWICBitmapFrameDecode>()->GetMetadataQueryReader(platform.Receive()));
    // The pointer tags (Exif and GPS IFDs) are nested readers on the
    // platform's side and not compared.
    int compared = 0;
    for (int tag : {256, 257, 258, 259, 262, 266, 271, 272, 273, 274, 277, 278,
                    279, 282, 283, 284, 296, 297, 305, 306, 318, 319, 700}) {
      PROPVARIANT theirs;
      PROPVARIANT mine;
      PropVariantInit(&theirs);
      PropVariantInit(&mine);
      const HRESULT platform_hr = platform->GetMetadataByName(
          (L"/ifd/{ushort=" + std::to_wstring(tag) + L"}").c_str(), &theirs);
      const HRESULT our_hr = ours->GetMetadataByName(PrimaryTagQuery(tag).c_str(), &mine);
      EXPECT_EQ(SUCCEEDED(platform_hr), SUCCEEDED(our_hr)) << "tag " << tag;
      if (SUCCEEDED(platform_hr) && SUCCEEDED(our_hr)) {
        EXPECT_TRUE(test_support::SameVariant(theirs, mine)) << "tag " << tag;
        ++compared;
      }
      PropVariantClear(&theirs);
      PropVariantClear(&mine);
    }
    EXPECT_GE(compared, 15);
  }
}

}  // namespace
