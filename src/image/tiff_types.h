#pragma once

#include <cstddef>
#include <cstdint>

// The TIFF vocabulary of an EXIF block, shared by the code that reads such
// blocks and the code that writes them.
struct CTiffTypes {
  // The directories the viewer knows: IFD0 and the Exif and GPS IFDs.
  enum Directory { kPrimary = 0, kExif = 1, kGps = 2 };

  // TIFF field types.
  enum FieldType : uint16_t {
    kByte = 1,
    kAscii = 2,
    kShort = 3,
    kLong = 4,
    kRational = 5,
    kSignedByte = 6,
    kUndefined = 7,
    kSignedShort = 8,
    kSignedLong = 9,
    kSignedRational = 10,
    kFloat = 11,
    kDouble = 12,
    kIfd = 13,
  };

  // Bytes of one value of type; 0 for an unknown type.
  static constexpr size_t TypeSize(uint16_t type) {
    switch (type) {
      case kByte:
      case kAscii:
      case kSignedByte:
      case kUndefined:
        return 1;
      case kShort:
      case kSignedShort:
        return 2;
      case kLong:
      case kSignedLong:
      case kFloat:
      case kIfd:
        return 4;
      case kRational:
      case kSignedRational:
      case kDouble:
        return 8;
      default:
        return 0;
    }
  }
};
