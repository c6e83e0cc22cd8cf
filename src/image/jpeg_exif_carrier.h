#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The EXIF segment of a JPEG, edited for a re-encoded copy of it (see
// CJpegMetadataCarrier, which carries it over).
class CJpegExifCarrier {
 public:
  // Takes an EXIF block (the TIFF structure); false when it is not a usable
  // TIFF structure.
  bool SetBlock(std::vector<uint8_t> block);

  // Sets the orientation tag, when the block has one, to orientation.
  void SetOrientation(int orientation);
  // The pixels were written turned upright: the orientation becomes 1, the
  // embedded thumbnail (still the old way round) is dropped and, when the
  // turn swapped the axes, so are the pixel dimension tags.
  void MarkPixelsTurnedUpright(bool axes_swapped);

  // The APP1 segment goes after SOI and a leading JFIF APP0 segment.
  static bool InsertSegment(std::vector<uint8_t>* jpeg, const std::vector<uint8_t>& block);

  const std::vector<uint8_t>& block() const { return block_; }

 private:
  uint16_t Read16(size_t offset) const;
  uint32_t Read32(size_t offset) const;
  void Write16(size_t offset, uint16_t value);
  void Write32(size_t offset, uint32_t value);

  std::vector<uint8_t> block_;
  bool big_endian_ = false;
};
