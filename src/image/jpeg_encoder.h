#pragma once

#include <objidl.h>
#include <wincodec.h>

#include <cstdint>
#include <vector>

// A baseline JPEG encoder of our own (YCbCr, colour subsampled 2 x 2 below
// quality 90, the standard Huffman tables, the IJG quantisation tables
// scaled by quality).
// It stands in for the platform's encoder where that one ignores the quality
// it is given, so the user's setting still decides the file's quality.
class CJpegEncoder {
 public:
  // Writes source to out as a JFIF file, embedding icc_profile when it is
  // not empty. quality is clamped to 1 .. 100. False when the source cannot
  // be read, is larger than 65535 pixels a side, or out refuses bytes.
  static bool Encode(IWICBitmapSource* source, int quality, const std::vector<uint8_t>& icc_profile,
                     IStream* out);

  // Whether the platform's JPEG encoder writes the quality asked for, found
  // out once by encoding a small picture at two qualities.
  static bool PlatformHonoursQuality();
  // 1 or 0 pretends for tests; -1 goes back to the probe.
  static void OverridePlatformProbeForTesting(int honours);

  // A quantisation table (natural order) for quality, as IJG scales it.
  static void ScaledTable(bool chrominance, int quality, uint8_t table[64]);
  // Checks that each Huffman table lists every symbol once (for tests).
  static bool HuffmanTablesAreComplete();
};
