// Camera RAW files through the decoder module's RAW path: LibRaw's reading
// of the file, the choice between the embedded preview and a half-size
// development, the orientation, and the EXIF block rebuilt from the file's
// fields with CExifBlockBuilder, which must read back whole.
#include <cstring>
#include <memory>

#include "decoder_support.h"
#include "image/exif_parser.h"
#include "jpeg_preview_decoder.h"
#include "raw_decoder.h"

namespace {

// The platform's JPEG codec stands for itself in the module. Here a JPEG is
// its frame header: the size from the first SOFn segment, the pixels a
// pattern written to every byte the caller's rows promise.
class CFrameHeaderJpeg : public CJpegPreviewDecoder {
 public:
  bool Open(const uint8_t* jpeg, size_t size) override {
    width_ = height_ = 0;
    if (!jpeg || size < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) {
      return false;
    }
    size_t at = 2;
    while (at + 4 <= size && jpeg[at] == 0xFF) {
      const uint8_t marker = jpeg[at + 1];
      const size_t length = size_t{jpeg[at + 2]} << 8 | jpeg[at + 3];
      const bool frame =
          marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
      if (frame && length >= 7 && at + 9 <= size) {
        height_ = uint32_t{jpeg[at + 5]} << 8 | jpeg[at + 6];
        width_ = uint32_t{jpeg[at + 7]} << 8 | jpeg[at + 8];
        return width_ > 0 && height_ > 0;
      }
      if (length < 2) {
        return false;
      }
      at += 2 + length;
    }
    return false;
  }
  uint32_t width() const override { return width_; }
  uint32_t height() const override { return height_; }
  bool CopyPixels(uint8_t* pixels, size_t stride) override {
    FUZZ_CHECK(width_ > 0 && height_ > 0 && stride >= size_t{width_} * 4);
    for (uint32_t y = 0; y < height_; ++y) {
      std::memset(pixels + y * stride, static_cast<int>(y), size_t{width_} * 4);
    }
    return true;
  }

 private:
  uint32_t width_ = 0;
  uint32_t height_ = 0;
};

uint16_t Read16(const std::vector<uint8_t>& block, size_t at) {
  return static_cast<uint16_t>(block[at] | block[at + 1] << 8);
}

uint32_t Read32(const std::vector<uint8_t>& block, size_t at) {
  return uint32_t{block[at]} | uint32_t{block[at + 1]} << 8 | uint32_t{block[at + 2]} << 16 |
         uint32_t{block[at + 3]} << 24;
}

// Walks one directory of the block as written: sorted tags, values inside
// the block, and every entry as the viewer's parser reads it. Returns where
// the Exif or GPS directory is (pointer tag), 0 when absent.
uint32_t CheckDirectory(const std::vector<uint8_t>& block, uint32_t offset,
                        CExifParser::Directory directory, const CExifParser& parser,
                        uint16_t pointer_tag) {
  FUZZ_CHECK(offset + size_t{2} <= block.size());
  const uint16_t count = Read16(block, offset);
  FUZZ_CHECK(offset + 2 + 12 * size_t{count} + 4 <= block.size());
  uint32_t pointer = 0;
  int previous = -1;
  for (uint16_t i = 0; i < count; ++i) {
    const size_t entry = offset + 2 + 12 * size_t{i};
    const uint16_t tag = Read16(block, entry);
    const uint16_t type = Read16(block, entry + 2);
    const uint32_t values = Read32(block, entry + 4);
    FUZZ_CHECK(tag > previous);
    previous = tag;
    const size_t bytes = CExifParser::TypeSize(type) * values;
    FUZZ_CHECK(bytes > 0);
    if (bytes > 4) {
      const uint32_t at = Read32(block, entry + 8);
      FUZZ_CHECK(at <= block.size() && bytes <= block.size() - at);
    }
    const CExifParser::Field* field = parser.Find(directory, tag);
    FUZZ_CHECK(field && field->type == type && field->count == values);
    if (tag == pointer_tag) {
      pointer = Read32(block, entry + 8);
    }
  }
  return pointer;
}

void CheckExifBlock(const std::vector<uint8_t>& block) {
  FUZZ_CHECK(block.size() >= 8 && std::memcmp(block.data(), "II*\0", 4) == 0);
  CExifParser parser;
  FUZZ_CHECK(parser.Parse(block.data(), block.size()));
  const uint32_t ifd0 = Read32(block, 4);
  const uint32_t exif = CheckDirectory(block, ifd0, CExifParser::kPrimary, parser, 0x8769);
  const uint32_t gps = CheckDirectory(block, ifd0, CExifParser::kPrimary, parser, 0x8825);
  if (exif) {
    CheckDirectory(block, exif, CExifParser::kExif, parser, 0);
  }
  if (gps) {
    CheckDirectory(block, gps, CExifParser::kGps, parser, 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CRawDecoder decoder(std::make_unique<CFrameHeaderJpeg>());
  if (!fuzz::DecodeLimited(&decoder, data, size)) {
    return 0;
  }
  if (!decoder.exif().empty()) {
    CheckExifBlock(decoder.exif());
  }
  return 0;
}
