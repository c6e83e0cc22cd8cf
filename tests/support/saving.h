#pragma once

#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/com_ptr.h"
#include "image/exif_parser.h"
#include "image/jpeg_exif_block.h"
#include "support/image_fixtures.h"
#include "support/imaging.h"
#include "image/wic_factory.h"

namespace test_support {

// The quality whose IJG luminance table a JPEG's first quantisation table
// is, or -1 when it is none of them.
inline int JpegQuality(const std::string& jpeg) {
  static const int kLuminance[64] = {16,  11,  10,  16,  24, 40, 51,  61,  12,  12,  14,  19,  26,
                                     58,  60,  55,  14,  13, 16, 24,  40,  57,  69,  56,  14,  17,
                                     22,  29,  51,  87,  80, 62, 18,  22,  37,  56,  68,  109, 103,
                                     77,  24,  35,  55,  64, 81, 104, 113, 92,  49,  64,  78,  87,
                                     103, 121, 120, 101, 72, 92, 95,  98,  112, 100, 103, 99};
  static const int kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                  12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                  35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                  58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
  const size_t dqt = jpeg.find("\xFF\xDB");
  if (dqt == std::string::npos || dqt + 5 + 64 > jpeg.size() || (jpeg[dqt + 4] & 0xF0) != 0) {
    return -1;
  }
  int table[64] = {};
  for (int i = 0; i < 64; ++i) {
    table[kZigzag[i]] = static_cast<uint8_t>(jpeg[dqt + 5 + static_cast<size_t>(i)]);
  }
  for (int quality = 1; quality <= 100; ++quality) {
    const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    bool same = true;
    for (int i = 0; i < 64 && same; ++i) {
      int expected = (kLuminance[i] * scale + 50) / 100;
      expected = expected < 1 ? 1 : (expected > 255 ? 255 : expected);
      same = expected == table[i];
    }
    if (same) {
      return quality;
    }
  }
  return -1;
}

inline GUID ContainerOfFile(const std::wstring& path) {
  ComPtr<IWICBitmapDecoder> decoder;
  GUID container = {};
  if (SUCCEEDED(CWICFactory::Get()->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                              WICDecodeMetadataCacheOnDemand,
                                                              decoder.Receive()))) {
    decoder->GetContainerFormat(&container);
  }
  return container;
}

// The pixels the platform decodes from a file; empty when it cannot.
inline test_support::Pixels DecodedPixels(const std::wstring& path) {
  ComPtr<IWICBitmapSource> source = test_support::DecodeWithPlatform(path);
  if (!source) {
    return test_support::Pixels();
  }
  return test_support::ReadPixels(source.Get());
}

// The 2 x 3 colour blocks of 8 x 8 pixels, written by the platform's encoder.
inline bool WriteBlocks(const std::wstring& path, const GUID& container) {
  IWICImagingFactory* factory = CWICFactory::Get();
  const UINT width = 16;
  const UINT height = 24;
  std::vector<BYTE> pixels(size_t{width} * height * 3);
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      const test_support::Rgb colour = test_support::kBlocks[y / 8][x / 8];
      BYTE* p = pixels.data() + (size_t{y} * width + x) * 3;
      p[0] = static_cast<BYTE>(colour.b);
      p[1] = static_cast<BYTE>(colour.g);
      p[2] = static_cast<BYTE>(colour.r);
    }
  }
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  return SUCCEEDED(factory->CreateStream(stream.Receive())) &&
         SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(container, nullptr, encoder.Receive())) &&
         SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(frame.Receive(), options.Receive())) &&
         SUCCEEDED(frame->Initialize(options.Get())) && SUCCEEDED(frame->SetSize(width, height)) &&
         SUCCEEDED(frame->SetPixelFormat(&format)) &&
         SUCCEEDED(frame->WritePixels(height, width * 3, static_cast<UINT>(pixels.size()),
                                      pixels.data())) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

// Encodes source into path with the platform's encoder for container.
inline bool WriteSource(const std::wstring& path, const GUID& container, IWICBitmapSource* source) {
  IWICImagingFactory* factory = CWICFactory::Get();
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  return SUCCEEDED(factory->CreateStream(stream.Receive())) &&
         SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(container, nullptr, encoder.Receive())) &&
         SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(frame.Receive(), options.Receive())) &&
         SUCCEEDED(frame->Initialize(options.Get())) &&
         SUCCEEDED(frame->WriteSource(source, nullptr)) && SUCCEEDED(frame->Commit()) &&
         SUCCEEDED(encoder->Commit());
}

// Every block of a decoded blocks picture (2 x 3 blocks of block pixels, so
// 16 x 24 or 24 x 16 at the stored size) shows the colour the picture with
// this orientation shows upright.
// Colour subsampled 2 x 2 blurs the block edges, so lower qualities need a
// wider tolerance.
inline ::testing::AssertionResult ShowsBlocksUpright(const test_support::Pixels& pixels,
                                                     int orientation, int tolerance = 40,
                                                     UINT block = 8) {
  const bool swapped = orientation >= 5;
  const UINT width = (swapped ? 3u : 2u) * block;
  const UINT height = (swapped ? 2u : 3u) * block;
  if (pixels.width != width || pixels.height != height) {
    return ::testing::AssertionFailure() << "size " << pixels.width << " x " << pixels.height
                                         << ", expected " << width << " x " << height;
  }
  for (UINT by = 0; by < height / block; ++by) {
    for (UINT bx = 0; bx < width / block; ++bx) {
      const auto expected =
          test_support::DisplayedBlock(orientation, static_cast<int>(bx), static_cast<int>(by));
      auto close_enough = test_support::ColourNear(
          pixels.At(bx * block + block / 2, by * block + block / 2), expected, tolerance);
      if (!close_enough) {
        return close_enough << " at block " << bx << "," << by;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// The EXIF block of a JPEG file, parsed; false when there is none.
struct ExifOfFile {
  std::vector<uint8_t> block;
  CExifParser parser;
  bool found = false;

  explicit ExifOfFile(const std::wstring& path) {
    found = CJpegExifBlock::FindInFile(path, &block) && parser.Parse(block.data(), block.size());
  }
  int Orientation() const {
    const CExifParser::Field* field = parser.Find(CExifParser::kPrimary, 274);
    if (!field || field->bytes.size() < 2) {
      return 0;
    }
    return parser.big_endian() ? (field->bytes[0] << 8 | field->bytes[1])
                               : (field->bytes[1] << 8 | field->bytes[0]);
  }
  std::string Text(CExifParser::Directory directory, uint16_t tag) const {
    const CExifParser::Field* field = parser.Find(directory, tag);
    if (!field) {
      return std::string();
    }
    return std::string(field->bytes.begin(),
                       std::find(field->bytes.begin(), field->bytes.end(), uint8_t{0}));
  }
};

}  // namespace test_support
