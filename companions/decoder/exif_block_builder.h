#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "image/tiff_types.h"

// Writes an EXIF block: a little-endian TIFF structure with IFD0 and, when
// they have entries, the Exif and GPS directories it points to. Entries are
// added one by one (the first of a tag wins) and written sorted by tag.
class CExifBlockBuilder : public CTiffTypes {
 public:
  // Bytes of one value of type; 0 for an unknown type and for an IFD
  // pointer, which would not point anywhere in the new block.
  static size_t TypeSize(uint16_t type);

  // value: count values of type, little-endian. False (nothing added) when
  // the type is unknown, the size does not match or the tag is present.
  bool Add(Directory directory, uint16_t tag, uint16_t type, uint32_t count,
           std::vector<uint8_t> value);
  // The same from bytes in the given order (big_endian for "MM" files).
  bool AddInOrder(Directory directory, uint16_t tag, uint16_t type, uint32_t count,
                  const uint8_t* bytes, bool big_endian);
  bool AddAscii(Directory directory, uint16_t tag, const std::string& text);
  bool AddShort(Directory directory, uint16_t tag, uint16_t value);
  bool AddRational(Directory directory, uint16_t tag, uint32_t numerator, uint32_t denominator);

  bool Has(Directory directory, uint16_t tag) const;
  bool empty() const { return fields_.empty(); }

  // The block, "II*\0" first; empty when nothing was added.
  std::vector<uint8_t> Build() const;

 private:
  struct Field {
    uint16_t type = 0;
    uint32_t count = 0;
    std::vector<uint8_t> value;
  };
  std::map<std::pair<int, uint16_t>, Field> fields_;
};
