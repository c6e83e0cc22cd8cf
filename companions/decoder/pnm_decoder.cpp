#include "pnm_decoder.h"

#include <cstring>

namespace {

bool IsSpace(uint8_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

uint8_t Scale(uint32_t value, uint32_t max_value) {
  if (value >= max_value) {
    return 255;
  }
  return static_cast<uint8_t>((value * 255u + max_value / 2) / max_value);
}

void Store(uint8_t* out, uint8_t r, uint8_t g, uint8_t b) {
  out[0] = b;
  out[1] = g;
  out[2] = r;
  out[3] = 255;
}

}  // namespace

bool CPnmDecoder::HasSignature(const uint8_t* data, size_t size) {
  return size >= 3 && data[0] == 'P' && data[1] >= '1' && data[1] <= '6' && IsSpace(data[2]);
}

bool CPnmDecoder::SkipSpaceAndComments(size_t* at) const {
  while (*at < size_) {
    if (IsSpace(data_[*at])) {
      ++*at;
    } else if (data_[*at] == '#') {
      while (*at < size_ && data_[*at] != '\n' && data_[*at] != '\r') {
        ++*at;
      }
    } else {
      return true;
    }
  }
  return false;
}

bool CPnmDecoder::ReadNumber(size_t* at, uint32_t* value) const {
  if (!SkipSpaceAndComments(at) || data_[*at] < '0' || data_[*at] > '9') {
    return false;
  }
  uint64_t number = 0;
  while (*at < size_ && data_[*at] >= '0' && data_[*at] <= '9') {
    number = number * 10 + static_cast<uint64_t>(data_[*at] - '0');
    if (number > 0xFFFFFFFFu) {
      return false;
    }
    ++*at;
  }
  *value = static_cast<uint32_t>(number);
  return true;
}

bool CPnmDecoder::ReadHeader(const uint8_t* data, size_t size) {
  if (!data || !HasSignature(data, size)) {
    return false;
  }
  data_ = data;
  size_ = size;
  kind_ = data[1] - '0';
  size_t at = 2;
  uint32_t width = 0;
  uint32_t height = 0;
  max_value_ = 1;
  const bool bitmap = kind_ == 1 || kind_ == 4;
  if (!ReadNumber(&at, &width) || !ReadNumber(&at, &height) ||
      (!bitmap && !ReadNumber(&at, &max_value_)) || max_value_ == 0 || max_value_ > 65535 ||
      !SetSize(width, height)) {
    data_ = nullptr;
    return false;
  }
  // Exactly one whitespace character ends the header of the raw kinds.
  if (kind_ >= 4) {
    if (at >= size || !IsSpace(data[at])) {
      data_ = nullptr;
      return false;
    }
    ++at;
  }
  pixel_data_ = at;

  const uint64_t channels = (kind_ == 3 || kind_ == 6) ? 3 : 1;
  const uint64_t samples = uint64_t{width} * height * channels;
  const uint64_t available = size - at;
  uint64_t least = 0;
  if (kind_ == 4) {
    least = (uint64_t{width} + 7) / 8 * height;
  } else if (kind_ >= 5) {
    least = samples * (max_value_ > 255 ? 2 : 1);
  } else if (kind_ == 1) {
    least = samples;  // digits may follow one another without spaces
  } else {
    least = samples * 2 - 1;  // each value a digit, separated by space
  }
  if (least > available) {
    data_ = nullptr;
    return false;
  }
  return true;
}

bool CPnmDecoder::Decode(uint8_t* pixels, size_t stride) {
  if (!data_) {
    return false;
  }
  const uint32_t width = this->width();
  const uint32_t height = this->height();
  size_t at = pixel_data_;

  if (kind_ == 4) {
    const size_t row_bytes = (size_t{width} + 7) / 8;
    for (uint32_t y = 0; y < height; ++y) {
      const uint8_t* row = data_ + at + y * row_bytes;
      for (uint32_t x = 0; x < width; ++x) {
        const uint8_t v = ((row[x / 8] >> (7 - x % 8)) & 1) ? 0 : 255;  // 1 is black
        Store(pixels + y * stride + size_t{x} * 4, v, v, v);
      }
    }
    return true;
  }

  const bool wide = max_value_ > 255;
  auto next_sample = [&](uint32_t* value) -> bool {
    if (kind_ >= 5) {
      if (wide) {
        *value = uint32_t{data_[at]} << 8 | data_[at + 1];
        at += 2;
      } else {
        *value = data_[at++];
      }
      return true;
    }
    if (kind_ == 1) {
      if (!SkipSpaceAndComments(&at) || (data_[at] != '0' && data_[at] != '1')) {
        return false;
      }
      *value = data_[at++] - '0';
      return true;
    }
    return ReadNumber(&at, value);
  };

  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* out = pixels + y * stride + size_t{x} * 4;
      uint32_t r = 0;
      uint32_t g = 0;
      uint32_t b = 0;
      if (kind_ == 1) {
        if (!next_sample(&r)) return false;
        const uint8_t v = r ? 0 : 255;
        Store(out, v, v, v);
      } else if (kind_ == 2 || kind_ == 5) {
        if (!next_sample(&r)) return false;
        const uint8_t v = Scale(r, max_value_);
        Store(out, v, v, v);
      } else {
        if (!next_sample(&r) || !next_sample(&g) || !next_sample(&b)) return false;
        Store(out, Scale(r, max_value_), Scale(g, max_value_), Scale(b, max_value_));
      }
    }
  }
  return true;
}
