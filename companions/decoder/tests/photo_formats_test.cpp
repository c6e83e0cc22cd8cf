// HEIF, AVIF and camera RAW pictures through the decoder module, and what
// the viewer makes of them: upright pixels, alpha over the canvas, the EXIF
// rows and the colour profile.
#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/decoder_fixtures.h"
#include "image/image_file_opener.h"
#include "support/image_fixtures.h"
#include "image/wic_factory.h"
#include "image/wic_image_loader.h"
#include "image_decoder.h"
#include "pixel_transform.h"
#include "support/test_paths.h"

namespace {

using test_support::ColourNear;
using test_support::FixturePath;
using test_support::MaxDifference;
using test_support::Pixels;

std::wstring Module() { return test_support::DistFolder() + L"\\FreeImage.dll"; }

Pixels Reference(const std::wstring& png) {
  return test_support::ReadPixels(test_support::DecodeWithPlatform(FixturePath(png)).Get());
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(PhotoFormats, HeifPicturesComeOutUpright) {
  const struct {
    const wchar_t* file;
    const wchar_t* reference;
    int tolerance;
  } cases[] = {
      // Stored on its side, rotated back by the container (a phone's portrait).
      {L"heic_irot.heic", L"upright.png", 16},
      {L"heic_imir.heic", L"upright.png", 16},
      {L"heic_irot_imir.heic", L"upright.png", 16},
      {L"avif_irot.avif", L"upright.png", 16},
      // 10 bits a sample, turned as well.
      {L"heic_10bit.heic", L"upright.png", 16},
      // A clean aperture applied before the rotation.
      {L"heic_clap_irot.heic", L"upright_top_left.png", 16},
      // An odd size; chroma at half resolution blurs the one-pixel pattern.
      {L"heic_odd.heic", L"pattern.png", 40},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.file));
    ComPtr<IWICBitmapSource> decoded = DecodeWithModule(FixturePath(c.file), Module());
    ASSERT_TRUE(decoded);
    const Pixels actual = test_support::ReadPixels(decoded.Get());
    const Pixels expected = Reference(c.reference);
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    EXPECT_LE(MaxDifference(actual, expected), c.tolerance);
  }
}

TEST(PhotoFormats, HeicExifReachesTheMetadataRecord) {
  CWICImageLoaderPtr loader = OpenImageFile(FixturePath(L"heic_irot.heic"));
  ASSERT_TRUE(loader);
  EXPECT_EQ(loader->decoder(), nullptr);
  EXPECT_EQ(loader->GetOrientedSize().cx, 32);
  EXPECT_EQ(loader->GetOrientedSize().cy, 48);
  const CExifInfo& exif = loader->exif();
  EXPECT_EQ(exif.make, L"Lumora");
  EXPECT_EQ(exif.model, L"Test Phone");
  EXPECT_EQ(exif.date_taken, L"2023:04:05 06:07:08");
  EXPECT_EQ(exif.f_number, L"2.8");
  EXPECT_EQ(exif.exposure_time, L"1/250");
  EXPECT_EQ(exif.iso, L"200");
  EXPECT_EQ(exif.focal_length, L"4.2");
  EXPECT_EQ(exif.gps, L"30.500000,-120.250000");
  // The EXIF block says 6, as phones write it; the pixels are upright already.
  EXPECT_EQ(exif.orientation, 0);
  ComPtr<IWICBitmap> bitmap = loader->GetBitmap(true);
  ASSERT_TRUE(bitmap);
  const Pixels pixels = test_support::ReadPixels(bitmap.Get());
  EXPECT_TRUE(ColourNear(pixels.At(2, 2), {0, 0, 0}, 24));  // the mark, top left
  EXPECT_TRUE(ColourNear(pixels.At(24, 40), {255, 255, 255}, 24));

  // The block comes through the module's second export; no profile here.
  CModuleMetadata metadata;
  ASSERT_TRUE(DecodeWithModule(FixturePath(L"heic_irot.heic"), Module(), &metadata));
  EXPECT_FALSE(metadata.exif.empty());
  EXPECT_FALSE(metadata.colour_context);
}

TEST(PhotoFormats, EmbeddedProfileBecomesTheColourContext) {
  CWICImageLoaderPtr loader = OpenImageFile(FixturePath(L"heic_profile.heic"));
  ASSERT_TRUE(loader);
  IWICColorContext* context = loader->colour_context();
  ASSERT_NE(context, nullptr);
  WICColorContextType type = WICColorContextUninitialized;
  ASSERT_HRESULT_SUCCEEDED(context->GetType(&type));
  EXPECT_EQ(type, WICColorContextProfile);
  UINT size = 0;
  ASSERT_HRESULT_SUCCEEDED(context->GetProfileBytes(0, nullptr, &size));
  std::vector<uint8_t> profile(size);
  ASSERT_HRESULT_SUCCEEDED(context->GetProfileBytes(size, profile.data(), &size));
  EXPECT_EQ(profile, test_support::ReadFixture(L"test_profile.icc"));

  CWICImageLoaderPtr plain = OpenImageFile(FixturePath(L"heic_irot.heic"));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->colour_context(), nullptr);
}

TEST(PhotoFormats, AvifAlphaIsKeptAndBlendsOverTheCanvas) {
  ComPtr<IWICBitmapSource> decoded = DecodeWithModule(FixturePath(L"avif_alpha.avif"), Module());
  ASSERT_TRUE(decoded);
  const Pixels actual = test_support::ReadPixels(decoded.Get());
  const Pixels expected = Reference(L"pattern_alpha.png");
  ASSERT_EQ(actual.width, 7u);
  ASSERT_EQ(actual.height, 5u);
  EXPECT_LE(MaxDifference(actual, expected), 2);

  CWICImageLoaderPtr loader = OpenImageFile(FixturePath(L"avif_alpha.avif"));
  ASSERT_TRUE(loader);
  HBITMAP out = nullptr;
  ASSERT_TRUE(loader->RenderToBitmap(7, 5, out));
  const Pixels shown = test_support::ReadHBitmap(out);
  DeleteObject(out);
  ASSERT_EQ(shown.width, 7u);
  // Alpha 0, 128 and 255 in turn along each row: the canvas colour, half
  // way to the picture's colour, the picture's colour.
  int checked = 0;
  for (UINT y = 0; y < 5; ++y) {
    for (UINT x = 0; x < 7; ++x) {
      const uint8_t* source = expected.At(x, y);
      const uint8_t* screen = shown.At(x, y);
      const int alpha = source[3];
      for (int c = 0; c < 3; ++c) {
        const int blended = (source[c] * alpha + 39 * (255 - alpha) + 127) / 255;
        EXPECT_NEAR(screen[c], blended, 3) << x << "," << y << " channel " << c;
      }
      ++checked;
    }
  }
  EXPECT_EQ(checked, 35);
}

TEST(PhotoFormats, RawShowsItsPreviewUprightWithItsExif) {
  ComPtr<IWICBitmapSource> decoded = DecodeWithModule(FixturePath(L"raw_preview.dng"), Module());
  ASSERT_TRUE(decoded);
  const Pixels actual = test_support::ReadPixels(decoded.Get());
  const Pixels expected = Reference(L"upright.png");
  ASSERT_EQ(actual.width, 32u);
  ASSERT_EQ(actual.height, 48u);
  EXPECT_LE(MaxDifference(actual, expected), 24);

  // The first directory holds a 12 x 8 thumbnail the platform's TIFF codec
  // reads; the viewer shows the full preview instead.
  CWICImageLoaderPtr loader = OpenImageFile(FixturePath(L"raw_preview.dng"));
  ASSERT_TRUE(loader);
  EXPECT_EQ(loader->GetOrientedSize().cx, 32);
  EXPECT_EQ(loader->GetOrientedSize().cy, 48);
  const CExifInfo& exif = loader->exif();
  EXPECT_EQ(exif.make, L"Lumora");
  EXPECT_EQ(exif.model, L"Test Camera");
  EXPECT_EQ(exif.date_taken, L"2021:09:18 17:45:03");
  EXPECT_EQ(exif.f_number, L"2.8");
  EXPECT_EQ(exif.exposure_time, L"1/250");
  EXPECT_EQ(exif.iso, L"400");
  EXPECT_EQ(exif.focal_length, L"50.0");
  EXPECT_EQ(exif.lens_model, L"Test Lens 50mm");
  EXPECT_EQ(exif.gps, L"30.500000,-120.250000");
  EXPECT_EQ(exif.orientation, 0);
}

TEST(PhotoFormats, RawWithoutALargePreviewIsDevelopedAtHalfSize) {
  const struct {
    const wchar_t* file;
    bool with_factory;
    UINT width;
    UINT height;
  } cases[] = {
      // Only a 12 x 8 thumbnail: developed, turned by orientation 6.
      {L"raw_thumbnail.dng", true, 16, 24},
      // Sensor data alone, upside down (orientation 3).
      {L"raw_sensor.dng", true, 16, 24},
      // Without a JPEG decoder the preview is passed over.
      {L"raw_preview.dng", false, 16, 24},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.file));
    const test_support::Bytes data = test_support::ReadFixture(c.file);
    CDecodedPixels decoded;
    ASSERT_TRUE(DecodeImageBytes(data.data(), data.size(), L"dng", &decoded,
                                 c.with_factory ? CWICFactory::Get() : nullptr));
    ASSERT_EQ(decoded.width, c.width);
    ASSERT_EQ(decoded.height, c.height);
    // The quarters of the upright picture: red, blue / lime, white; the
    // development's colours are only roughly the stored ones.
    auto at = [&decoded](UINT x, UINT y) {
      return decoded.bgra.get() + (y * decoded.width + x) * 4;
    };
    const uint8_t* red = at(c.width / 4, c.height * 3 / 8);
    const uint8_t* blue = at(c.width * 3 / 4, c.height / 4);
    const uint8_t* lime = at(c.width / 4, c.height * 3 / 4);
    const uint8_t* white = at(c.width * 3 / 4, c.height * 3 / 4);
    EXPECT_GT(red[2], red[1] + 60);
    EXPECT_GT(red[2], red[0] + 60);
    EXPECT_GT(blue[0], blue[2] + 60);
    EXPECT_GT(blue[0], blue[1] + 60);
    EXPECT_GT(lime[1], lime[2] + 60);
    EXPECT_GT(lime[1], lime[0] + 60);
    EXPECT_GT(white[0], 150);
    EXPECT_GT(white[1], 150);
    EXPECT_GT(white[2], 150);
    EXPECT_FALSE(decoded.exif.empty());
  }
}

TEST(PhotoFormats, DamagedFilesAreRefused) {
  test_support::ScratchFolder scratch(L"photo_formats_bad");
  const test_support::Bytes heic = test_support::ReadFixture(L"heic_irot.heic");
  const test_support::Bytes avif = test_support::ReadFixture(L"avif_alpha.avif");
  const test_support::Bytes dng = test_support::ReadFixture(L"raw_preview.dng");
  const test_support::Bytes sensor = test_support::ReadFixture(L"raw_sensor.dng");
  ASSERT_FALSE(heic.empty() || avif.empty() || dng.empty() || sensor.empty());
  auto cut = [](const test_support::Bytes& whole, size_t keep) {
    return test_support::Bytes(whole.begin(), whole.begin() + std::min(keep, whole.size()));
  };
  auto with_junk = [](test_support::Bytes head, size_t keep) {
    head.resize(keep);
    for (size_t i = 0; i < 3000; ++i) {
      head.push_back(static_cast<uint8_t>(i * 7919 >> 3));
    }
    return head;
  };
  const std::vector<std::pair<std::wstring, test_support::Bytes>> inputs = {
      // Cut inside the coded picture, inside the boxes, after the file type.
      {L"cut_data.heic", cut(heic, heic.size() - 40)},
      {L"cut_boxes.heic", cut(heic, 300)},
      {L"cut_type.avif", cut(avif, 32)},
      {L"cut_data.avif", cut(avif, avif.size() - 20)},
      // The container's first boxes, then noise.
      {L"junk.heic", with_junk(heic, 40)},
      {L"junk.avif", with_junk(avif, 40)},
      // The preview cut, and the sensor data of a file without preview.
      {L"cut_preview.dng", cut(dng, dng.size() - 200)},
      {L"cut_sensor.dng", cut(sensor, sensor.size() - 1500)},
      {L"junk.dng", with_junk(dng, 8)},
      {L"junk.nef", with_junk({'I', 'I', 42, 0, 8, 0, 0, 0}, 8)},
      {L"junk.cr3", with_junk({0, 0, 0, 24, 'f', 't', 'y', 'p', 'c', 'r', 'x', ' '}, 12)},
      {L"empty.heic", {}},
  };
  for (const auto& [name, bytes] : inputs) {
    const std::wstring path = scratch.File(name);
    ASSERT_TRUE(test_support::WriteFileBytes(path, std::string(bytes.begin(), bytes.end())));
    EXPECT_FALSE(DecodeWithModule(path, Module())) << Narrow(name);
    EXPECT_FALSE(OpenImageFile(path)) << Narrow(name);
  }
}

// The container claims 7 x 5 pixels, the HEVC parameters 11592 x 11592, a
// few more than the module's limit. Without a check of the parameters the
// codecs decode and convert the whole picture (over a gigabyte) before the
// container's clean aperture keeps 7 x 5 of it.
TEST(PhotoFormats, CodedPictureBeyondTheLimitIsRefused) {
  ASSERT_FALSE(test_support::ReadFixture(L"heic_oversized.heic").empty());
  EXPECT_FALSE(DecodeWithModule(FixturePath(L"heic_oversized.heic"), Module()));
  EXPECT_FALSE(OpenImageFile(FixturePath(L"heic_oversized.heic")));
}

// A RIFF file whose chunk list runs far past its end: LibRaw's reader of it
// goes round at the end of the file for ever. The decoder's file stream
// stops it once LibRaw asks for far more than the file holds.
TEST(PhotoFormats, RawReaderLoopingAtTheEndOfTheFileIsStopped) {
  test_support::Bytes riff = {'R', 'I', 'F', 'F', 0x00, 0xFF, 0xFF, 0xFF, 'A',  'V',
                              'I', ' ', 'n', 'c', 't',  'g',  0xFF, 0xFF, 0xFF, 0x7F};
  riff.resize(128);
  CDecodedPixels decoded;
  EXPECT_FALSE(DecodeImageBytes(riff.data(), riff.size(), L"dng", &decoded));
}

// Output pixel values of a 3 x 2 picture whose pixels are numbered 0 to 5
// row by row.
std::vector<uint32_t> Transformed(const CPixelTransform& transform) {
  const uint32_t stored[6] = {0, 1, 2, 3, 4, 5};
  std::vector<uint32_t> out(size_t{transform.width()} * transform.height());
  transform.Copy(reinterpret_cast<const uint8_t*>(stored), 12,
                 reinterpret_cast<uint8_t*>(out.data()), size_t{transform.width()} * 4);
  return out;
}

TEST(PixelTransform, StepsApplyInTheirOrder) {
  //  0 1 2
  //  3 4 5
  CPixelTransform turned(3, 2);
  turned.RotateCounterClockwise(1);
  EXPECT_EQ(Transformed(turned), (std::vector<uint32_t>{2, 5, 1, 4, 0, 3}));
  CPixelTransform back(3, 2);
  back.RotateCounterClockwise(3);
  EXPECT_EQ(Transformed(back), (std::vector<uint32_t>{3, 0, 4, 1, 5, 2}));
  CPixelTransform half(3, 2);
  half.RotateCounterClockwise(-2);
  EXPECT_EQ(Transformed(half), (std::vector<uint32_t>{5, 4, 3, 2, 1, 0}));
  CPixelTransform left_right(3, 2);
  left_right.MirrorLeftRight();
  EXPECT_EQ(Transformed(left_right), (std::vector<uint32_t>{2, 1, 0, 5, 4, 3}));
  CPixelTransform top_bottom(3, 2);
  top_bottom.MirrorTopBottom();
  EXPECT_EQ(Transformed(top_bottom), (std::vector<uint32_t>{3, 4, 5, 0, 1, 2}));
  // A turn, then a mirroring of the turned picture: the transpose.
  CPixelTransform transposed(3, 2);
  transposed.RotateCounterClockwise(1);
  transposed.MirrorTopBottom();
  EXPECT_EQ(Transformed(transposed), (std::vector<uint32_t>{0, 3, 1, 4, 2, 5}));
  // A crop, then a turn of what is left.
  CPixelTransform cropped(3, 2);
  ASSERT_TRUE(cropped.Crop(1, 0, 2, 2));
  cropped.RotateCounterClockwise(1);
  EXPECT_EQ(cropped.width(), 2u);
  EXPECT_EQ(cropped.height(), 2u);
  EXPECT_EQ(Transformed(cropped), (std::vector<uint32_t>{2, 5, 1, 4}));
  // A turn, then a crop in the turned picture.
  CPixelTransform turned_cropped(3, 2);
  turned_cropped.RotateCounterClockwise(1);
  ASSERT_TRUE(turned_cropped.Crop(0, 1, 2, 1));
  EXPECT_EQ(Transformed(turned_cropped), (std::vector<uint32_t>{1, 4}));
  // Crops outside the picture change nothing.
  CPixelTransform outside(3, 2);
  EXPECT_FALSE(outside.Crop(2, 0, 2, 1));
  EXPECT_FALSE(outside.Crop(0, 0, 0, 1));
  EXPECT_FALSE(outside.Crop(0, 2, 1, 1));
  EXPECT_TRUE(outside.IsIdentity());
  EXPECT_EQ(Transformed(outside), (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
}

}  // namespace
