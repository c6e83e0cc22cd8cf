#include "heif_geometry.h"

#include <cmath>
#include <utility>

#include "heif_boxes.h"

namespace {

using heif_boxes::Box;
using heif_boxes::FourCc;
using heif_boxes::NextBox;
using heif_boxes::Read16;
using heif_boxes::Read32;

// Rounds half up, as the container's reference reader does.
int64_t RoundHalfUp(double value) { return static_cast<int64_t>(std::floor(value + 0.5)); }

}  // namespace

bool CHeifGeometry::Read(const uint8_t* data, size_t size) {
  steps_.clear();
  properties_.clear();
  associations_.clear();
  has_primary_ = false;
  const uint8_t* at = data;
  const uint8_t* end = data + size;
  Box box;
  while (NextBox(&at, end, &box)) {
    if (box.type == FourCc('m', 'e', 't', 'a')) {
      if (!ReadMeta(box.payload, box.size)) {
        return false;
      }
      break;
    }
  }
  if (!has_primary_) {
    return false;
  }
  for (uint16_t index : associations_) {
    if (index == 0 || index > properties_.size()) {
      continue;
    }
    const Property& property = properties_[index - 1];
    Step step;
    if (property.type == FourCc('i', 'r', 'o', 't') && property.size >= 1) {
      step.kind = Step::kRotate;
      step.value = property.payload[0] & 3;
    } else if (property.type == FourCc('i', 'm', 'i', 'r') && property.size >= 1) {
      step.kind = Step::kMirror;
      step.value = property.payload[0] & 1;
    } else if (property.type == FourCc('c', 'l', 'a', 'p') && property.size >= 32) {
      step.kind = Step::kCrop;
      for (int i = 0; i < 8; ++i) {
        const uint32_t value = Read32(property.payload + 4 * i);
        // The offsets' numerators are signed.
        step.crop[i] = (i == 4 || i == 6) ? int64_t{static_cast<int32_t>(value)} : int64_t{value};
      }
    } else {
      continue;
    }
    steps_.push_back(step);
  }
  return true;
}

bool CHeifGeometry::ReadMeta(const uint8_t* data, size_t size) {
  if (size < 4) {
    return false;
  }
  const uint8_t* at = data + 4;  // version and flags
  const uint8_t* end = data + size;
  // (item, property index) pairs of every association, resolved once the
  // primary item is known, whatever the order of the boxes.
  std::vector<std::pair<uint32_t, uint16_t>> pairs;
  Box box;
  while (NextBox(&at, end, &box)) {
    if (box.type == FourCc('p', 'i', 't', 'm') && box.size >= 6) {
      const bool wide = box.payload[0] != 0;
      if (wide && box.size < 8) {
        return false;
      }
      primary_ = wide ? Read32(box.payload + 4) : Read16(box.payload + 4);
      has_primary_ = true;
    } else if (box.type == FourCc('i', 'p', 'r', 'p')) {
      const uint8_t* inner = box.payload;
      const uint8_t* inner_end = box.payload + box.size;
      Box child;
      while (NextBox(&inner, inner_end, &child)) {
        if (child.type == FourCc('i', 'p', 'c', 'o')) {
          if (!ReadProperties(child.payload, child.size)) {
            return false;
          }
          continue;
        }
        if (child.type != FourCc('i', 'p', 'm', 'a') || child.size < 8) {
          continue;
        }
        const uint8_t version = child.payload[0];
        const bool wide_index = (child.payload[3] & 1) != 0;
        const uint32_t entries = Read32(child.payload + 4);
        size_t pos = 8;
        for (uint32_t e = 0; e < entries; ++e) {
          const size_t id_size = version < 1 ? 2 : 4;
          if (child.size - pos < id_size + 1) {
            return false;
          }
          const uint32_t item =
              version < 1 ? Read16(child.payload + pos) : Read32(child.payload + pos);
          pos += id_size;
          const uint8_t count = child.payload[pos++];
          const size_t index_size = wide_index ? 2 : 1;
          if ((child.size - pos) / index_size < count) {
            return false;
          }
          for (uint8_t a = 0; a < count; ++a, pos += index_size) {
            const uint16_t index =
                wide_index ? Read16(child.payload + pos) & 0x7FFF : child.payload[pos] & 0x7F;
            pairs.push_back({item, index});
          }
        }
      }
    }
  }
  for (const auto& [item, index] : pairs) {
    if (has_primary_ && item == primary_) {
      associations_.push_back(index);
    }
  }
  return true;
}

bool CHeifGeometry::ReadProperties(const uint8_t* data, size_t size) {
  const uint8_t* at = data;
  const uint8_t* end = data + size;
  Box box;
  while (NextBox(&at, end, &box)) {
    properties_.push_back({box.type, box.payload, box.size});
  }
  return at == end;
}

bool CHeifGeometry::Apply(CPixelTransform* transform) const {
  for (const Step& step : steps_) {
    switch (step.kind) {
      case Step::kRotate:
        transform->RotateCounterClockwise(step.value);
        break;
      case Step::kMirror:
        if (step.value == 0) {
          transform->MirrorTopBottom();
        } else {
          transform->MirrorLeftRight();
        }
        break;
      case Step::kCrop: {
        const int64_t* c = step.crop;
        if (c[1] <= 0 || c[3] <= 0 || c[5] <= 0 || c[7] <= 0) {
          return false;
        }
        const double width = transform->width();
        const double height = transform->height();
        const double clean_width = static_cast<double>(c[0]) / static_cast<double>(c[1]);
        const double clean_height = static_cast<double>(c[2]) / static_cast<double>(c[3]);
        const double centre_x =
            static_cast<double>(c[4]) / static_cast<double>(c[5]) + (width - 1) / 2;
        const double centre_y =
            static_cast<double>(c[6]) / static_cast<double>(c[7]) + (height - 1) / 2;
        int64_t left = static_cast<int64_t>(std::floor(centre_x - (clean_width - 1) / 2));
        int64_t right = RoundHalfUp(clean_width - 1 + static_cast<double>(left));
        int64_t top = RoundHalfUp(centre_y - (clean_height - 1) / 2);
        int64_t bottom = RoundHalfUp(clean_height - 1 + static_cast<double>(top));
        left = left < 0 ? 0 : left;
        top = top < 0 ? 0 : top;
        right = right >= transform->width() ? int64_t{transform->width()} - 1 : right;
        bottom = bottom >= transform->height() ? int64_t{transform->height()} - 1 : bottom;
        if (left > right || top > bottom ||
            !transform->Crop(static_cast<uint32_t>(left), static_cast<uint32_t>(top),
                             static_cast<uint32_t>(right - left + 1),
                             static_cast<uint32_t>(bottom - top + 1))) {
          return false;
        }
        break;
      }
    }
  }
  return true;
}
