#pragma once

#include <cstddef>
#include <cstdint>

// Reading the boxes of an ISO base media file (HEIF, AVIF): big-endian
// numbers and the box headers, every size checked against the data.
namespace heif_boxes {

constexpr uint32_t FourCc(char a, char b, char c, char d) {
  return (uint32_t{static_cast<uint8_t>(a)} << 24) | (uint32_t{static_cast<uint8_t>(b)} << 16) |
         (uint32_t{static_cast<uint8_t>(c)} << 8) | uint32_t{static_cast<uint8_t>(d)};
}

inline uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

inline uint32_t Read32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

struct Box {
  uint32_t type = 0;
  const uint8_t* payload = nullptr;
  size_t size = 0;
};

// The box at *at, which moves past it; false at the end or when the box
// does not fit.
inline bool NextBox(const uint8_t** at, const uint8_t* end, Box* box) {
  const uint8_t* p = *at;
  const size_t left = static_cast<size_t>(end - p);
  if (left < 8) {
    return false;
  }
  uint64_t box_size = Read32(p);
  size_t header = 8;
  if (box_size == 1) {
    if (left < 16) {
      return false;
    }
    box_size = (uint64_t{Read32(p + 8)} << 32) | Read32(p + 12);
    header = 16;
  } else if (box_size == 0) {
    box_size = left;
  }
  if (box_size < header || box_size > left) {
    return false;
  }
  box->type = Read32(p + 4);
  box->payload = p + header;
  box->size = static_cast<size_t>(box_size) - header;
  *at = p + box_size;
  return true;
}

// Reads fields one after the other from a payload; once one does not fit,
// every later read gives 0 and ok() is false.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // A big-endian number of bytes bytes (at most 8).
  uint64_t Read(size_t bytes) {
    if (!ok_ || bytes > size_ - at_) {
      ok_ = false;
      return 0;
    }
    uint64_t value = 0;
    for (size_t i = 0; i < bytes; ++i) {
      value = (value << 8) | data_[at_ + i];
    }
    at_ += bytes;
    return value;
  }
  bool ok() const { return ok_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
  bool ok_ = true;
};

}  // namespace heif_boxes
