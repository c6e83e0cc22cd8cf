#include "pcx_decoder.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kVgaPaletteSize = 769;  // marker 12 and 256 x R, G, B
constexpr size_t kEgaPaletteOffset = 16;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t Pack(uint32_t r, uint32_t g, uint32_t b) { return b | g << 8 | r << 16 | 0xFF000000u; }

}  // namespace

bool CPcxDecoder::HasSignature(const uint8_t* data, size_t size) {
  return size >= kHeaderSize && data[0] == 0x0A && data[1] <= 5 && data[2] <= 1 &&
         (data[3] == 1 || data[3] == 2 || data[3] == 4 || data[3] == 8);
}

bool CPcxDecoder::ReadHeader(const uint8_t* data, size_t size) {
  if (!data || !HasSignature(data, size)) {
    return false;
  }
  compressed_ = data[2] == 1;
  bits_ = data[3];
  const int x_min = Read16(data + 4);
  const int y_min = Read16(data + 6);
  const int x_max = Read16(data + 8);
  const int y_max = Read16(data + 10);
  planes_ = data[65];
  bytes_per_line_ = Read16(data + 66);
  if (x_max < x_min || y_max < y_min) {
    return false;
  }
  const uint32_t width = static_cast<uint32_t>(x_max - x_min + 1);
  const uint32_t height = static_cast<uint32_t>(y_max - y_min + 1);

  const bool supported = (bits_ == 1 && planes_ >= 1 && planes_ <= 4) ||
                         ((bits_ == 2 || bits_ == 4) && planes_ == 1) ||
                         (bits_ == 8 && (planes_ == 1 || planes_ == 3 || planes_ == 4));
  if (!supported || bytes_per_line_ == 0 ||
      bytes_per_line_ < (uint64_t{width} * static_cast<unsigned>(bits_) + 7) / 8) {
    return false;
  }
  if (!SetSize(width, height)) {
    return false;
  }
  // One run pair (two bytes) yields at most 63 bytes.
  const uint64_t total = uint64_t{height} * static_cast<unsigned>(planes_) * bytes_per_line_;
  const uint64_t available = size - kHeaderSize;
  if ((compressed_ ? available * 63 / 2 : available) < total) {
    return false;
  }

  if (bits_ == 8 && planes_ == 1) {
    const bool has_vga_palette =
        size >= kHeaderSize + kVgaPaletteSize && data[size - kVgaPaletteSize] == 12;
    // Version 5 files carry the palette; without it the file was cut short.
    if (!has_vga_palette && data[1] == 5) {
      return false;
    }
    // Without the palette its place may lie before the file's start: no
    // pointer is formed there.
    for (uint32_t i = 0; i < 256; ++i) {
      if (has_vga_palette) {
        const uint8_t* rgb = data + size - kVgaPaletteSize + 1 + i * 3;
        palette_[i] = Pack(rgb[0], rgb[1], rgb[2]);
      } else {
        palette_[i] = Pack(i, i, i);
      }
    }
  } else if (bits_ == 1 && planes_ == 1) {
    palette_[0] = Pack(0, 0, 0);
    palette_[1] = Pack(255, 255, 255);
  } else {
    for (uint32_t i = 0; i < 16; ++i) {
      const uint8_t* rgb = data + kEgaPaletteOffset + i * 3;
      palette_[i] = Pack(rgb[0], rgb[1], rgb[2]);
    }
  }
  data_ = data;
  size_ = size;
  return true;
}

void CPcxDecoder::ConvertLine(const uint8_t* line, uint8_t* out) const {
  const uint32_t width = this->width();
  for (uint32_t x = 0; x < width; ++x, out += 4) {
    uint32_t colour = 0;
    if (bits_ == 8 && planes_ >= 3) {
      const uint8_t alpha = planes_ == 4 ? line[3 * bytes_per_line_ + x] : 255;
      colour = Pack(line[x], line[bytes_per_line_ + x], line[2 * bytes_per_line_ + x]);
      colour = (colour & 0x00FFFFFFu) | uint32_t{alpha} << 24;
    } else if (bits_ == 8) {
      colour = palette_[line[x]];
    } else if (bits_ == 1) {
      uint32_t index = 0;
      for (int plane = 0; plane < planes_; ++plane) {
        const uint8_t byte = line[plane * bytes_per_line_ + x / 8];
        index |= ((byte >> (7 - x % 8)) & 1u) << plane;
      }
      colour = palette_[index];
    } else {
      const uint32_t per_byte = 8 / static_cast<uint32_t>(bits_);
      const uint8_t byte = line[x / per_byte];
      const uint32_t shift = 8 - static_cast<uint32_t>(bits_) * (x % per_byte + 1);
      colour = palette_[(byte >> shift) & ((1u << bits_) - 1)];
    }
    std::memcpy(out, &colour, 4);
  }
}

bool CPcxDecoder::Decode(uint8_t* pixels, size_t stride) {
  if (!data_) {
    return false;
  }
  const size_t line_size = static_cast<size_t>(planes_) * bytes_per_line_;
  std::vector<uint8_t> line;
  try {
    line.resize(line_size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const uint8_t* in = data_ + kHeaderSize;
  const uint8_t* end = data_ + size_;
  // The 8-bit palette is not picture data.
  if (bits_ == 8 && planes_ == 1 && size_ >= kHeaderSize + kVgaPaletteSize &&
      data_[size_ - kVgaPaletteSize] == 12) {
    end -= kVgaPaletteSize;
  }
  // Runs may carry over from one line to the next.
  uint8_t run_value = 0;
  size_t run_left = 0;
  for (uint32_t y = 0; y < height(); ++y) {
    for (size_t filled = 0; filled < line_size;) {
      if (run_left == 0) {
        if (in >= end) {
          return false;
        }
        const uint8_t byte = *in++;
        if (compressed_ && (byte & 0xC0) == 0xC0) {
          if (in >= end) {
            return false;
          }
          run_left = byte & 0x3F;
          run_value = *in++;
          continue;
        }
        run_value = byte;
        run_left = 1;
      }
      const size_t take = run_left < line_size - filled ? run_left : line_size - filled;
      std::memset(line.data() + filled, run_value, take);
      filled += take;
      run_left -= take;
    }
    ConvertLine(line.data(), pixels + y * stride);
  }
  return true;
}
