// A JPEG opened from its header must behave exactly like one opened through
// the platform's decoder: size, metadata, colour profile, pixels, renders and
// saved files.
#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/app_config.h"
#include "effects/current_effect.h"
#include "image/image_file_opener.h"
#include "image/jpeg_light_source.h"
#include "image/jpeg_scaled_decoder.h"
#include "image/wic_image_loader.h"
#include "support/image_fixtures.h"
#include "support/test_paths.h"

namespace {

using test_support::Fixture;
using test_support::Pixels;

// Opens path with the header reader on, or through the platform decoder.
CWICImageLoaderPtr OpenWith(const std::wstring& path, bool light) {
  CJpegLightSource::SetEnabled(light);
  CWICImageLoaderPtr loader = OpenImageFile(path);
  CJpegLightSource::SetEnabled(true);
  return loader;
}

std::vector<uint8_t> ProfileOf(const CWICImageLoader& loader) {
  IWICColorContext* context = loader.colour_context();
  UINT size = 0;
  if (!context || FAILED(context->GetProfileBytes(0, nullptr, &size))) {
    return {};
  }
  std::vector<uint8_t> bytes(size);
  if (size > 0 && FAILED(context->GetProfileBytes(size, bytes.data(), &size))) {
    return {};
  }
  return bytes;
}

void ExpectSameExif(const CExifInfo& a, const CExifInfo& b) {
  EXPECT_EQ(a.date_taken, b.date_taken);
  EXPECT_EQ(a.orientation, b.orientation);
  EXPECT_EQ(a.gps, b.gps);
  EXPECT_EQ(a.dpi, b.dpi);
  EXPECT_EQ(a.make, b.make);
  EXPECT_EQ(a.model, b.model);
  EXPECT_EQ(a.lens_model, b.lens_model);
  EXPECT_EQ(a.f_number, b.f_number);
  EXPECT_EQ(a.exposure_time, b.exposure_time);
  EXPECT_EQ(a.iso, b.iso);
  EXPECT_EQ(a.focal_length, b.focal_length);
  EXPECT_EQ(a.flash, b.flash);
}

struct Difference {
  double mean = 256;        // over all channels
  int percentile_99 = 256;  // of the differences of one channel
};

// 256 for both when the sizes differ.
Difference Compare(const Pixels& a, const Pixels& b) {
  Difference result;
  if (a.width != b.width || a.height != b.height || a.bgra.size() != b.bgra.size() ||
      a.bgra.empty()) {
    return result;
  }
  std::vector<int> differences(a.bgra.size());
  double sum = 0;
  for (size_t i = 0; i < a.bgra.size(); ++i) {
    differences[i] = std::abs(static_cast<int>(a.bgra[i]) - b.bgra[i]);
    sum += differences[i];
  }
  result.mean = sum / static_cast<double>(a.bgra.size());
  const size_t at = differences.size() * 99 / 100;
  std::nth_element(differences.begin(), differences.begin() + static_cast<ptrdiff_t>(at),
                   differences.end());
  result.percentile_99 = differences[at];
  return result;
}

// Both decoders follow the standard's inverse DCT and chroma upsampling, but
// not bit for bit: they differ by about a level, more only along sharp colour
// edges.
::testing::AssertionResult DecodedAlike(const Pixels& a, const Pixels& b) {
  const Difference d = Compare(a, b);
  if (d.mean <= 1.0 && d.percentile_99 <= 8) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "mean difference " << d.mean << ", 99th percentile " << d.percentile_99;
}

// The APPn segments of a JPEG file, marker and contents, up to its pixels.
std::vector<std::string> AppSegments(const std::string& jpeg) {
  std::vector<std::string> segments;
  size_t at = 2;
  while (at + 4 <= jpeg.size() && static_cast<uint8_t>(jpeg[at]) == 0xFF) {
    const uint8_t marker = static_cast<uint8_t>(jpeg[at + 1]);
    const size_t length = (static_cast<size_t>(static_cast<uint8_t>(jpeg[at + 2])) << 8) |
                          static_cast<uint8_t>(jpeg[at + 3]);
    if (marker == 0xDA || length < 2) {
      break;
    }
    if (marker >= 0xE0 && marker <= 0xEF) {
      segments.push_back(jpeg.substr(at, 2 + length));
    }
    at += 2 + length;
  }
  return segments;
}

Pixels Rendered(const CWICImageLoader& loader, UINT width, UINT height,
                const CDisplayOptions& options) {
  HBITMAP out = nullptr;
  if (!loader.RenderToBitmap(width, height, options, out)) {
    ADD_FAILURE() << "render failed";
    return Pixels();
  }
  Pixels pixels = test_support::ReadHBitmap(out);
  DeleteObject(out);
  return pixels;
}

class LightOpenTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CJpegLightSource::SetEnabled(true);
    CAppConfig::GetInstance()->orientation_by_tag = 0;
  }
};

bool HasProfile(const std::wstring& name) {
  return name == L"metadata_source.jpg" || name == L"scaled_photo.jpg";
}

TEST_F(LightOpenTest, EveryJpegMatchesThePlatformDecoder) {
  const std::string profile = test_support::ReadFileBytes(Fixture(L"wide_gamut.icc"));
  ASSERT_GT(profile.size(), 128u);
  const std::vector<uint8_t> kWideGamut(profile.begin(), profile.end());
  const wchar_t* const fixtures[] = {
      L"orientation_1.jpg",
      L"orientation_6.jpg",
      L"orientation_7.jpg",
      L"exif_II.jpg",
      L"exif_MM.jpg",
      L"metadata_source.jpg",
      L"scaled_photo.jpg",
      L"gray_photo.jpg",
      L"progressive_photo.jpg",
      L"subsampled_photo.jpg",
      L"large_orientation_6.jpg",
  };
  for (const wchar_t* name : fixtures) {
    SCOPED_TRACE(testing::Message() << name);
    const std::wstring path = Fixture(name);
    CWICImageLoaderPtr platform = OpenWith(path, false);
    CWICImageLoaderPtr light = OpenWith(path, true);
    ASSERT_TRUE(platform);
    ASSERT_TRUE(light);
    ASSERT_TRUE(platform->decoder());
    // Nothing decoded yet: the platform's decoder is left for later.
    EXPECT_FALSE(light->decoder());
    EXPECT_TRUE(light->opened_from_file());

    EXPECT_EQ(light->GetOrientedSize().cx, platform->GetOrientedSize().cx);
    EXPECT_EQ(light->GetOrientedSize().cy, platform->GetOrientedSize().cy);
    WICPixelFormatGUID light_format = {};
    WICPixelFormatGUID platform_format = {};
    ASSERT_HRESULT_SUCCEEDED(light->source()->GetPixelFormat(&light_format));
    ASSERT_HRESULT_SUCCEEDED(platform->source()->GetPixelFormat(&platform_format));
    EXPECT_TRUE(IsEqualGUID(light_format, platform_format));
    ExpectSameExif(light->exif(), platform->exif());
    // Where the platform's JPEG decoder hands out no profile, ours still
    // reads the one the file embeds.
    if (platform->colour_context()) {
      EXPECT_EQ(ProfileOf(*light), ProfileOf(*platform));
    } else if (HasProfile(name)) {
      EXPECT_EQ(ProfileOf(*light), kWideGamut);
    } else {
      EXPECT_FALSE(light->colour_context());
    }

    const bool same_profile =
        (light->colour_context() != nullptr) == (platform->colour_context() != nullptr);
    for (bool colour_managed : {true, false}) {
      if (colour_managed && !same_profile) {
        continue;
      }
      const Pixels a = test_support::ReadPixels(light->GetBitmap(colour_managed).Get());
      const Pixels b = test_support::ReadPixels(platform->GetBitmap(colour_managed).Get());
      ASSERT_GT(a.width, 0u);
      EXPECT_TRUE(DecodedAlike(a, b)) << "colour managed " << colour_managed;
    }
    // The stored pixels themselves, as the encoder reads them.
    EXPECT_TRUE(DecodedAlike(test_support::ReadPixels(light->source()),
                             test_support::ReadPixels(platform->source())));
  }
}

// Renders at the full size go through the full decode, at fit sizes through
// the scaled one; both agree with the platform's, enhancement and canvas
// included.
TEST_F(LightOpenTest, RendersMatchThePlatformDecoder) {
  const std::wstring path = Fixture(L"scaled_photo.jpg");
  CWICImageLoaderPtr platform = OpenWith(path, false);
  CWICImageLoaderPtr light = OpenWith(path, true);
  ASSERT_TRUE(platform && light);
  // The platform decoder here may not read the profile: compare with it
  // where both have one.
  const bool colour_managed = platform->colour_context() != nullptr;
  struct Case {
    UINT width, height;
    int effect;
    bool scaled;
  };
  const Case cases[] = {
      {1600, 2400, kEnhanceNone, false},  // full size: the same decode
      {1600, 2400, kEnhanceColorful, false},
      {1200, 1800, kEnhanceNone, false},  // not covered by a half: the full decode
      {400, 600, kEnhanceBrighter, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " effect " << c.effect);
    CDisplayOptions options;
    options.effect = c.effect;
    options.colour_managed = colour_managed;
    const Pixels a = Rendered(*light, c.width, c.height, options);
    const Pixels b = Rendered(*platform, c.width, c.height, options);
    if (c.scaled) {
      // A quarter scale averages fine noise a little differently.
      EXPECT_LE(Compare(a, b).mean, 4.0);
    } else {
      EXPECT_TRUE(DecodedAlike(a, b));
    }
  }
  EXPECT_FALSE(light->decoder()) << "rendering needs no platform decoder";
}

// Saving creates the platform decoder for the metadata it copies: the files
// written from either opening carry the same metadata and pixels.
TEST_F(LightOpenTest, SavedFilesAreTheSame) {
  test_support::ScratchFolder scratch(L"light_open_save");
  struct Case {
    const wchar_t* fixture;
    const wchar_t* target;
  };
  const Case cases[] = {
      {L"metadata_source.jpg", L"copy.jpg"}, {L"exif_MM.jpg", L"copy.jpg"},
      {L"orientation_6.jpg", L"copy.png"},   {L"scaled_photo.jpg", L"copy.tif"},
      {L"gray_photo.jpg", L"copy.bmp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fixture << " to " << c.target);
    CWICImageLoaderPtr platform = OpenWith(Fixture(c.fixture), false);
    CWICImageLoaderPtr light = OpenWith(Fixture(c.fixture), true);
    ASSERT_TRUE(platform && light);
    const std::wstring from_platform = scratch.File(std::wstring(L"platform_") + c.target);
    const std::wstring from_light = scratch.File(std::wstring(L"light_") + c.target);
    ASSERT_TRUE(platform->SaveTo(from_platform, 90));
    ASSERT_TRUE(light->SaveTo(from_light, 90));

    CWICImageLoaderPtr saved_platform = OpenWith(from_platform, false);
    CWICImageLoaderPtr saved_light = OpenWith(from_light, false);
    ASSERT_TRUE(saved_platform && saved_light);
    EXPECT_EQ(saved_light->GetOrientedSize().cx, saved_platform->GetOrientedSize().cx);
    EXPECT_EQ(saved_light->GetOrientedSize().cy, saved_platform->GetOrientedSize().cy);
    ExpectSameExif(saved_light->exif(), saved_platform->exif());
    EXPECT_TRUE(DecodedAlike(test_support::ReadPixels(saved_light->GetBitmap(false).Get()),
                             test_support::ReadPixels(saved_platform->GetBitmap(false).Get())));
    if (std::wstring(c.target) == L"copy.jpg") {
      // EXIF, XMP, IPTC and the profile, segment for segment (where the
      // platform decoder gives no profile, it is carried over last).
      std::vector<std::string> a = AppSegments(test_support::ReadFileBytes(from_light));
      std::vector<std::string> b = AppSegments(test_support::ReadFileBytes(from_platform));
      std::sort(a.begin(), a.end());
      std::sort(b.begin(), b.end());
      EXPECT_EQ(a, b);
    }
  }
}

TEST_F(LightOpenTest, OtherFilesGoToThePlatformDecoder) {
  // CMYK pixels do not decode here; a PNG is no JPEG.
  for (const wchar_t* name : {L"cmyk_photo.jpg", L"still.gif"}) {
    CWICImageLoaderPtr loader = OpenWith(Fixture(name), true);
    ASSERT_TRUE(loader) << name;
    EXPECT_TRUE(loader->decoder()) << name;
  }
  // A JPEG whose header ends early is not opened at all, as the platform
  // decoder does not open it.
  test_support::ScratchFolder scratch(L"light_open_broken");
  const std::string whole = test_support::ReadFileBytes(Fixture(L"orientation_1.jpg"));
  const std::wstring broken = scratch.File(L"broken.jpg");
  ASSERT_TRUE(test_support::WriteFileBytes(broken, whole.substr(0, 40)));
  jpeg_scaled::CJpegHeader header;
  EXPECT_FALSE(jpeg_scaled::ReadHeader(broken, &header));
  EXPECT_EQ(OpenWith(broken, true) != nullptr, OpenWith(broken, false) != nullptr);
}

// The file is read when the pixels are needed: one replaced by a picture of
// another size meanwhile is not shown as the picture that was opened.
TEST_F(LightOpenTest, AFileReplacedAfterOpeningGivesNoPixels) {
  test_support::ScratchFolder scratch(L"light_open_replaced");
  const std::wstring path = scratch.File(L"photo.jpg");
  ASSERT_TRUE(CopyFileW(Fixture(L"orientation_1.jpg").c_str(), path.c_str(), FALSE));
  CWICImageLoaderPtr light = OpenWith(path, true);
  ASSERT_TRUE(light);
  ASSERT_TRUE(CopyFileW(Fixture(L"gray_photo.jpg").c_str(), path.c_str(), FALSE));
  EXPECT_FALSE(light->GetBitmap(false));
  HBITMAP out = nullptr;
  EXPECT_FALSE(light->RenderToBitmap(16, 24, CDisplayOptions(), out));
  EXPECT_EQ(out, nullptr);
}

}  // namespace
