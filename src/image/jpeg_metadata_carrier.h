#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/jpeg_exif_carrier.h"

// Carries the metadata segments of a JPEG into a re-encoded copy of it, for
// encoders that do not copy the source's metadata (the program's own, and
// platforms whose encoder has no block writer): EXIF, XMP, the ICC profile,
// IPTC (Photoshop APP13), comments and other application segments. Segments
// that describe the old encoding (JFIF, Adobe, multi-picture index) are not
// carried, nor any kind the copy already has.
class CJpegMetadataCarrier {
 public:
  struct Segment {
    uint8_t marker = 0;  // 0xE0 to 0xEF, or 0xFE for a comment
    std::vector<uint8_t> payload;
  };

  // Takes the metadata segments of a JPEG file; false when it is not a JPEG
  // or carries nothing.
  bool ReadFrom(const std::wstring& source_jpeg);
  // The same for a JPEG in memory.
  bool ReadFromMemory(const std::vector<uint8_t>& jpeg);

  // What the copy's orientation is: the EXIF tag and an XMP tiff:Orientation
  // are set to it.
  void SetOrientation(int orientation);
  // The pixels were written turned upright (see CJpegExifCarrier).
  void MarkPixelsTurnedUpright(bool axes_swapped);

  // Puts every carried kind the file lacks into target_jpeg. False when the
  // file is not a JPEG or cannot be rewritten.
  bool WriteInto(const std::wstring& target_jpeg) const;
  // The same for a JPEG in memory.
  bool MergeInto(std::vector<uint8_t>* jpeg) const;

  // The segments of a JPEG before its first frame header, in file order.
  static bool ReadSegments(const std::vector<uint8_t>& jpeg, std::vector<Segment>* segments,
                           size_t* header_end);

  const CJpegExifCarrier& exif() const { return exif_; }
  const std::vector<Segment>& segments() const { return segments_; }

 private:
  void SetXmpOrientation(int orientation);

  CJpegExifCarrier exif_;
  bool has_exif_ = false;
  std::vector<Segment> segments_;  // everything carried but EXIF
};
