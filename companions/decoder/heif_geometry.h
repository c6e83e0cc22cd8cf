#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pixel_transform.h"

// The geometry a HEIF file gives its primary picture: the clean aperture
// ("clap"), rotation ("irot") and mirroring ("imir") properties associated
// with the primary item, in the order of the association, which is the
// order they apply in. The coded picture is turned upright with them.
class CHeifGeometry {
 public:
  // Reads the steps from the whole file; false when the box structure that
  // holds them cannot be read (the file then has no usable geometry).
  bool Read(const uint8_t* data, size_t size);

  // Applies the steps to a transform of the coded picture's size; false when
  // a crop does not fit the picture.
  bool Apply(CPixelTransform* transform) const;

  bool empty() const { return steps_.empty(); }

 private:
  struct Step {
    enum Kind { kCrop, kRotate, kMirror } kind;
    // Rotate: anti-clockwise quarter turns. Mirror: 0 exchanges top and
    // bottom, 1 left and right.
    int value = 0;
    // Crop: width, height, horizontal and vertical offset of the centre, each
    // as numerator and denominator.
    int64_t crop[8] = {};
  };

  bool ReadMeta(const uint8_t* data, size_t size);
  bool ReadProperties(const uint8_t* data, size_t size);

  uint32_t primary_ = 0;
  bool has_primary_ = false;
  // ipco's property boxes, index 1 first.
  struct Property {
    uint32_t type = 0;
    const uint8_t* payload = nullptr;
    size_t size = 0;
  };
  std::vector<Property> properties_;
  std::vector<uint16_t> associations_;
  std::vector<Step> steps_;
};
