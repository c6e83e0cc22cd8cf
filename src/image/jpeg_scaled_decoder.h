#pragma once

#include <windows.h>
#include <wincodec.h>

#include <string>

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

// On by default; off, the loader decodes every JPEG fully (the tests compare
// the two paths).
void SetEnabled(bool enabled);
bool Enabled();
// How many scaled decodes succeeded in this process, and how many of those
// the platform decoder did itself.
long SuccessfulDecodes();
long PlatformDecodes();

// The libjpeg-turbo half of Decode on its own; exposed for tests.
ComPtr<IWICBitmap> DecodeWithLibjpeg(const std::wstring& path, UINT denominator,
                                     UINT expected_width, UINT expected_height);

}  // namespace jpeg_scaled
