#include "tga_decoder.h"

#include <cstring>

namespace {

constexpr size_t kHeaderSize = 18;
constexpr size_t kFooterSize = 26;
constexpr uint32_t kOpaqueBlack = 0xFF000000u;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t Pack(uint32_t b, uint32_t g, uint32_t r, uint32_t a) {
  return b | g << 8 | r << 16 | a << 24;
}

// 5-bit channels stretched to 8 bits.
uint32_t From555(uint16_t v) {
  const uint32_t b = v & 0x1F;
  const uint32_t g = (v >> 5) & 0x1F;
  const uint32_t r = (v >> 10) & 0x1F;
  return Pack(b << 3 | b >> 2, g << 3 | g >> 2, r << 3 | r >> 2, 255);
}

}  // namespace

bool CTgaDecoder::HasFooter(const uint8_t* data, size_t size) {
  return size >= kHeaderSize + kFooterSize &&
         std::memcmp(data + size - 18, "TRUEVISION-XFILE.\0", 18) == 0;
}

bool CTgaDecoder::ReadHeader(const uint8_t* data, size_t size) {
  if (!data || size < kHeaderSize) {
    return false;
  }
  const int id_length = data[0];
  const int map_type = data[1];
  image_type_ = data[2];
  map_first_ = Read16(data + 3);
  const uint32_t map_length = Read16(data + 5);
  const int map_bits = data[7];
  const uint32_t width = Read16(data + 12);
  const uint32_t height = Read16(data + 14);
  pixel_bits_ = data[16];
  descriptor_ = data[17];
  compressed_ = image_type_ >= 9;

  const int base_type = compressed_ ? image_type_ - 8 : image_type_;
  if (map_type > 1 || base_type < 1 || base_type > 3) {
    return false;
  }
  switch (base_type) {
    case 1:  // colour-mapped
      if (map_type != 1 || map_length == 0 || (pixel_bits_ != 8 && pixel_bits_ != 16)) {
        return false;
      }
      break;
    case 2:  // true colour
      if (pixel_bits_ != 15 && pixel_bits_ != 16 && pixel_bits_ != 24 && pixel_bits_ != 32) {
        return false;
      }
      break;
    default:  // grey
      if (pixel_bits_ != 8 && pixel_bits_ != 16) {
        return false;
      }
      break;
  }
  pixel_bytes_ = (pixel_bits_ + 7) / 8;

  size_t offset = kHeaderSize + static_cast<size_t>(id_length);
  int map_bytes = 0;
  if (map_type == 1) {
    if (map_bits != 15 && map_bits != 16 && map_bits != 24 && map_bits != 32) {
      return false;
    }
    map_bytes = (map_bits + 7) / 8;
  }
  const size_t map_size = size_t{map_length} * static_cast<size_t>(map_bytes);
  if (offset > size || map_size > size - offset) {
    return false;
  }
  palette_.clear();
  if (base_type == 1) {
    palette_.reserve(map_length);
    for (uint32_t i = 0; i < map_length; ++i) {
      palette_.push_back(MapColour(data + offset + size_t{i} * map_bytes, map_bits));
    }
  }
  offset += map_size;
  pixel_data_ = offset;

  if (!SetSize(width, height)) {
    return false;
  }
  // The smallest data that could hold the picture: every pixel stored, or one
  // run packet (header byte and one pixel) per 128 pixels.
  const uint64_t pixels = uint64_t{width} * height;
  const uint64_t least = compressed_ ? (pixels + 127) / 128 * (1 + pixel_bytes_)
                                     : pixels * static_cast<uint64_t>(pixel_bytes_);
  if (least > size - offset) {
    return false;
  }
  data_ = data;
  size_ = size;
  return true;
}

uint32_t CTgaDecoder::MapColour(const uint8_t* at, int bits) const {
  switch (bits) {
    case 15:
    case 16:
      return From555(Read16(at));
    case 24:
      return Pack(at[0], at[1], at[2], 255);
    default:
      return Pack(at[0], at[1], at[2], at[3]);
  }
}

uint32_t CTgaDecoder::ReadPixel(const uint8_t* at) const {
  const int base_type = compressed_ ? image_type_ - 8 : image_type_;
  if (base_type == 1) {
    const uint32_t index = pixel_bits_ == 8 ? at[0] : Read16(at);
    if (index < map_first_ || index - map_first_ >= palette_.size()) {
      return kOpaqueBlack;
    }
    return palette_[index - map_first_];
  }
  if (base_type == 3) {
    return Pack(at[0], at[0], at[0], pixel_bits_ == 16 ? at[1] : 255);
  }
  return MapColour(at, pixel_bits_);
}

bool CTgaDecoder::Decode(uint8_t* pixels, size_t stride) {
  if (!data_) {
    return false;
  }
  const uint32_t width = this->width();
  const uint32_t height = this->height();
  const bool top_down = (descriptor_ & 0x20) != 0;
  const bool right_to_left = (descriptor_ & 0x10) != 0;
  const uint64_t total = uint64_t{width} * height;
  const uint8_t* in = data_ + pixel_data_;
  const uint8_t* end = data_ + size_;
  bool any_alpha = false;

  auto store = [&](uint64_t index, uint32_t colour) {
    const uint32_t x = static_cast<uint32_t>(index % width);
    const uint32_t y = static_cast<uint32_t>(index / width);
    const uint32_t row = top_down ? y : height - 1 - y;
    const uint32_t column = right_to_left ? width - 1 - x : x;
    std::memcpy(pixels + row * stride + size_t{column} * 4, &colour, 4);
    any_alpha = any_alpha || (colour >> 24) != 0;
  };

  uint64_t done = 0;
  while (done < total) {
    uint64_t count = 1;
    bool repeat = false;
    if (compressed_) {
      if (in >= end) {
        return false;
      }
      const uint8_t packet = *in++;
      count = (packet & 0x7F) + 1u;
      repeat = (packet & 0x80) != 0;
      // A run may wrap onto the next row but never past the picture.
      if (count > total - done) {
        count = total - done;
      }
    }
    const size_t needed = repeat ? pixel_bytes_ : static_cast<size_t>(count) * pixel_bytes_;
    if (static_cast<size_t>(end - in) < needed) {
      return false;
    }
    if (repeat) {
      const uint32_t colour = ReadPixel(in);
      in += pixel_bytes_;
      for (uint64_t i = 0; i < count; ++i) {
        store(done++, colour);
      }
    } else {
      for (uint64_t i = 0; i < count; ++i, in += pixel_bytes_) {
        store(done++, ReadPixel(in));
      }
    }
  }

  // Many writers leave the alpha bytes of a 32-bit picture at 0; such a
  // picture means no transparency at all.
  if (!any_alpha) {
    for (uint32_t y = 0; y < height; ++y) {
      for (uint32_t x = 0; x < width; ++x) {
        pixels[y * stride + size_t{x} * 4 + 3] = 255;
      }
    }
  }
  return true;
}
