#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "effects/current_effect.h"
#include "image/image_file_opener.h"
#include "image/jpeg_scaled_decoder.h"
#include "support/image_fixtures.h"
#include "image/wic_image_loader.h"

namespace {

using test_support::Fixture;
using test_support::Pixels;

class ScaledDecodeTest : public ::testing::Test {
 protected:
  void TearDown() override { jpeg_scaled::SetEnabled(true); }
};

TEST(ChooseDenominatorTest, LargestScaleThatStillCoversTheFitSize) {
  struct Case {
    UINT width, height, min_width, min_height, expected;
  };
  const Case cases[] = {
      {6000, 4000, 1280, 853, 4},  // a 24-megapixel photo in a 1280 x 720 view
      {6000, 4000, 750, 500, 8},   {6000, 4000, 3000, 2000, 2},
      {6000, 4000, 3001, 2000, 1},  // just too large for a half
      {6000, 4000, 1280, 1001, 2},  // the height decides
      {1001, 1001, 126, 126, 8},    // the decoder rounds up: 1001 / 8 gives 126
      {1001, 1001, 127, 127, 4},   {100, 100, 100, 100, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(jpeg_scaled::ChooseDenominator(c.width, c.height, c.min_width, c.min_height),
              c.expected)
        << c.width << "x" << c.height << " to " << c.min_width << "x" << c.min_height;
  }
}

struct Difference {
  double mean = 0;        // over all channels
  int percentile_99 = 0;  // of the per-channel differences
};

Difference Compare(const Pixels& a, const Pixels& b) {
  std::vector<int> differences;
  differences.reserve(a.bgra.size());
  double sum = 0;
  for (size_t i = 0; i < a.bgra.size() && i < b.bgra.size(); ++i) {
    if (i % 4 == 3) {
      continue;
    }
    const int d = std::abs(static_cast<int>(a.bgra[i]) - static_cast<int>(b.bgra[i]));
    differences.push_back(d);
    sum += d;
  }
  Difference result;
  if (differences.empty()) {
    return result;
  }
  result.mean = sum / static_cast<double>(differences.size());
  const size_t at = differences.size() * 99 / 100;
  std::nth_element(differences.begin(), differences.begin() + static_cast<ptrdiff_t>(at),
                   differences.end());
  result.percentile_99 = differences[at];
  return result;
}

Pixels Render(const std::wstring& path, UINT width, UINT height, const CDisplayOptions& options) {
  CWICImageLoaderPtr loader = OpenImageFile(path);
  if (!loader) {
    ADD_FAILURE() << "cannot open the fixture";
    return Pixels();
  }
  HBITMAP out = nullptr;
  if (!loader->RenderToBitmap(width, height, options, out)) {
    ADD_FAILURE() << "render failed";
    return Pixels();
  }
  Pixels pixels = test_support::ReadHBitmap(out);
  DeleteObject(out);
  return pixels;
}

// The fit view decoded at a DCT scale agrees with the full decode's within a
// small tolerance, with the orientation, the colour profile and the display
// enhancement applied alike.
TEST_F(ScaledDecodeTest, FitViewMatchesTheFullDecode) {
  const std::wstring photo = Fixture(L"scaled_photo.jpg");
  {
    CWICImageLoaderPtr loader = OpenImageFile(photo);
    ASSERT_TRUE(loader);
    // The fixture carries a profile; where the platform decoder reads it,
    // both paths apply it.
    ASSERT_EQ(loader->GetOrientedSize().cx, 1600);
    ASSERT_EQ(loader->GetOrientedSize().cy, 2400);
  }
  struct Case {
    UINT width, height;
    int effect;
    bool colour_managed;
  };
  const Case cases[] = {
      {400, 600, kEnhanceNone, true},      // exactly 1/4: no resample after the decode
      {533, 800, kEnhanceNone, true},      // 1/2, then resampled
      {300, 450, kEnhanceNone, false},     // 1/4 then resampled, profile ignored
      {533, 800, kEnhanceColorful, true},  // the enhancement on the scaled pixels
      {533, 800, kEnhanceSharp, true},    {533, 800, kEnhanceBrighter, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " effect " << c.effect
                                    << " colour managed " << c.colour_managed);
    CDisplayOptions options;
    options.effect = c.effect;
    options.colour_managed = c.colour_managed;
    jpeg_scaled::SetEnabled(false);
    const Pixels full = Render(photo, c.width, c.height, options);
    jpeg_scaled::SetEnabled(true);
    const long before = jpeg_scaled::SuccessfulDecodes();
    const Pixels scaled = Render(photo, c.width, c.height, options);
    EXPECT_EQ(jpeg_scaled::SuccessfulDecodes(), before + 1) << "the scaled path was not taken";
    ASSERT_EQ(scaled.width, c.width);
    ASSERT_EQ(scaled.height, c.height);
    ASSERT_EQ(full.width, c.width);
    ASSERT_EQ(full.height, c.height);
    // The DCT averages the fine noise a little differently from the
    // resampler: a few levels on average, never a visible shift.
    const Difference difference = Compare(full, scaled);
    EXPECT_LE(difference.mean, c.effect == kEnhanceSharp ? 6.0 : 4.0);
    // The wide-gamut profile stretches differences by up to a third.
    EXPECT_LE(difference.percentile_99, c.effect == kEnhanceSharp ? 24
                                        : c.colour_managed        ? 16
                                                                  : 12);
  }
}

// A turned fit view really is turned: a scaled render of a picture turned the
// wrong way would differ far beyond the tolerance above.
TEST_F(ScaledDecodeTest, ToleranceSeparatesAWrongOrientation) {
  const std::wstring photo = Fixture(L"scaled_photo.jpg");
  CDisplayOptions options;
  const Pixels upright = Render(photo, 400, 600, options);
  CWICImageLoaderPtr loader = OpenImageFile(photo);
  ASSERT_TRUE(loader);
  loader->exif().orientation = 8;  // the opposite quarter turn
  HBITMAP out = nullptr;
  ASSERT_TRUE(loader->RenderToBitmap(400, 600, options, out));
  const Pixels opposite = test_support::ReadHBitmap(out);
  DeleteObject(out);
  EXPECT_GT(Compare(upright, opposite).mean, 12.0);
}

TEST_F(ScaledDecodeTest, FallsBackToTheFullDecode) {
  // CMYK has no direct BGRA output from the scaled decoder.
  const long before = jpeg_scaled::SuccessfulDecodes();
  const long platform_before = jpeg_scaled::PlatformDecodes();
  const Pixels cmyk = Render(Fixture(L"cmyk_photo.jpg"), 160, 120, CDisplayOptions());
  EXPECT_EQ(cmyk.width, 160u);
  if (jpeg_scaled::PlatformDecodes() == platform_before) {
    EXPECT_EQ(jpeg_scaled::SuccessfulDecodes(), before);
  }
  // A file of another size than the one opened (replaced meanwhile), and no
  // JPEG at all, give nothing.
  EXPECT_FALSE(jpeg_scaled::DecodeWithLibjpeg(Fixture(L"scaled_photo.jpg"), 4, 601, 400));
  EXPECT_TRUE(jpeg_scaled::DecodeWithLibjpeg(Fixture(L"scaled_photo.jpg"), 4, 600, 400));
  EXPECT_FALSE(jpeg_scaled::DecodeWithLibjpeg(Fixture(L"still.gif"), 2, 3, 2));
  EXPECT_FALSE(jpeg_scaled::DecodeWithLibjpeg(Fixture(L"missing.jpg"), 2, 3, 2));
}

}  // namespace
