#pragma once

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/com_ptr.h"

// Decoding a JPEG at a reduced size in the DCT itself (1/2, 1/4 or 1/8),
// several times faster than a full decode followed by a resample.
namespace jpeg_scaled {

// The smallest of 1, 2, 4 and 8 by which a width x height picture may be
// divided (rounding up, as the decoder does) and still cover
// min_width x min_height, all in stored orientation.
UINT ChooseDenominator(UINT width, UINT height, UINT min_width, UINT min_height);

// A 32bppBGRA bitmap of the JPEG frame at 1/denominator of its stored size,
// in stored orientation, without colour management: from the platform
// decoder's own scaling (IWICBitmapSourceTransform) where frame offers it,
// else from libjpeg-turbo reading path. Null when neither can (CMYK
// pictures, unreadable or changed files): the caller decodes fully.
ComPtr<IWICBitmap> Decode(IWICBitmapSource* frame, const std::wstring& path, UINT denominator);

// On by default; off, the loader decodes every JPEG at full size (the tests
// compare the two paths).
void SetEnabled(bool enabled);
bool Enabled();
// How many scaled decodes succeeded in this process, and how many of those
// the platform decoder did itself.
long SuccessfulDecodes();
long PlatformDecodes();

// The libjpeg-turbo half of Decode on its own; exposed for tests.
ComPtr<IWICBitmap> DecodeWithLibjpeg(const std::wstring& path, UINT denominator,
                                     UINT expected_width, UINT expected_height);
// The same from the file's bytes: a 32bppBGRA bitmap the decoder writes
// into directly; null when the picture at this scale is not
// expected_width x expected_height or cannot be decoded here.
ComPtr<IWICBitmap> DecodeToBitmap(const std::vector<unsigned char>& file, UINT denominator,
                                  UINT expected_width, UINT expected_height);

// What the segments before a JPEG's pixels say.
struct CJpegHeader {
  UINT width = 0;
  UINT height = 0;
  bool gray = false;
  // One grey or three colour components: the pixels decode here. CMYK and
  // YCCK are left to the platform decoder.
  bool readable = false;
  double dpi_x = 0;
  double dpi_y = 0;
  // The embedded ICC profile, put together from its segments; empty if none.
  std::vector<uint8_t> icc_profile;
};

// Reads the header of the JPEG at path, only as much of the file as it
// needs. False when the file is no JPEG or its header is broken.
bool ReadHeader(const std::wstring& path, CJpegHeader* header);

// The whole file; empty on failure.
std::vector<unsigned char> ReadFileData(const std::wstring& path);

// Full-size rows of one layout; width and height must be the picture's.
enum class Layout { kBgra, kBgr, kGray };
bool DecodeInto(const std::vector<unsigned char>& file, Layout layout, UINT width, UINT height,
                BYTE* buffer, UINT stride);

}  // namespace jpeg_scaled
