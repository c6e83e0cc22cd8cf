#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/decoder_fixtures.h"
#include "image/image_file_opener.h"
#include "image_decoder.h"
#include "support/test_paths.h"

namespace {

using test_support::Bytes;

// One random change of the kinds damaged files show: bytes overwritten,
// header fields set to extremes, the file cut, a stretch repeated.
Bytes Mutate(Bytes data, std::mt19937& random) {
  auto pick = [&random](size_t bound) {
    return bound == 0 ? size_t{0} : std::uniform_int_distribution<size_t>(0, bound - 1)(random);
  };
  if (data.empty()) {
    return data;
  }
  switch (pick(4)) {
    case 0:
      for (size_t i = 0, n = 1 + pick(4); i < n; ++i) {
        data[pick(data.size())] = static_cast<uint8_t>(pick(256));
      }
      break;
    case 1: {
      static const uint8_t kExtremes[] = {0x00, 0xFF, 0x7F, 0x80, 0x01};
      data[pick(std::min<size_t>(data.size(), 32))] = kExtremes[pick(5)];
      break;
    }
    case 2:
      data.resize(pick(data.size()));
      break;
    default: {
      const size_t from = pick(data.size());
      const size_t length = 1 + pick(std::min<size_t>(64, data.size() - from));
      const Bytes stretch(data.begin() + from, data.begin() + from + length);
      data.insert(data.begin() + pick(data.size()), stretch.begin(), stretch.end());
      break;
    }
  }
  return data;
}

TEST(DecoderMutation, MutatedFilesDecodeOrFailCleanly) {
  std::vector<std::pair<std::wstring, Bytes>> seeds;
  for (const std::wstring& name : test_support::FixtureNames()) {
    seeds.push_back({test_support::ExtensionOf(name), test_support::ReadFixture(name)});
    ASSERT_FALSE(seeds.back().second.empty());
  }
  std::mt19937 random(20240611);
  int decoded = 0;
  int refused = 0;
  for (int i = 0; i < 4000; ++i) {
    const auto& seed = seeds[static_cast<size_t>(i) % seeds.size()];
    const Bytes input = Mutate(Mutate(seed.second, random), random);
    CDecodedPixels pixels;
    if (DecodeImageBytes(input.data(), input.size(), seed.first, &pixels)) {
      ++decoded;
      EXPECT_TRUE(pixels.bgra);
      EXPECT_LE(uint64_t{pixels.width} * pixels.height, CImageDecoder::kMaxPixels);
    } else {
      ++refused;
    }
  }
  // Both outcomes occur, so the mutations reach the decoders' inner paths.
  EXPECT_GT(decoded, 100);
  EXPECT_GT(refused, 100);
}

TEST(DecoderMutation, MutatedFilesThroughTheRealModule) {
  test_support::ScratchFolder scratch(L"decoder_mutation");
  const std::wstring module = test_support::DistFolder() + L"\\FreeImage.dll";
  std::mt19937 random(7);
  int decoded = 0;
  const std::vector<std::wstring>& names = test_support::FixtureNames();
  for (int i = 0; i < 120; ++i) {
    const std::wstring& name = names[static_cast<size_t>(i) % names.size()];
    const Bytes input = Mutate(test_support::ReadFixture(name), random);
    const std::wstring path = scratch.File(L"m." + test_support::ExtensionOf(name));
    ASSERT_TRUE(test_support::WriteFileBytes(path, std::string(input.begin(), input.end())));
    if (ComPtr<IWICBitmapSource> source = DecodeWithModule(path, module)) {
      UINT width = 0;
      UINT height = 0;
      EXPECT_HRESULT_SUCCEEDED(source->GetSize(&width, &height));
      ++decoded;
    }
  }
  EXPECT_GT(decoded, 0);
}

}  // namespace
