#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Carries the EXIF segment of a JPEG into a re-encoded copy of it, for
// platforms whose encoder does not copy the source's metadata blocks: the
// user's EXIF data would otherwise be lost on every save and rotation.
class CJpegExifCarrier {
 public:
  // Takes the EXIF block (the TIFF structure) of a JPEG file; false when it
  // has none or it is not a usable TIFF structure.
  bool ReadFrom(const std::wstring& source_jpeg);
  // Takes a TIFF structure directly.
  bool SetBlock(std::vector<uint8_t> block);

  // Sets the orientation tag, when the block has one, to orientation.
  void SetOrientation(int orientation);
  // The pixels were written turned upright: the orientation becomes 1, the
  // embedded thumbnail (still the old way round) is dropped and, when the
  // turn swapped the axes, so are the pixel dimension tags.
  void MarkPixelsTurnedUpright(bool axes_swapped);

  // Puts the block into target_jpeg as its EXIF segment unless the file
  // already has one (the platform copied it). False when the file is not a
  // JPEG or cannot be rewritten.
  bool WriteInto(const std::wstring& target_jpeg) const;

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
