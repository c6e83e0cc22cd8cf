#include "app/ipc/pickle.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t AlignUp(size_t value, size_t unit) { return (value + unit - 1) / unit * unit; }

// Keeps every size of the buffer within a 32-bit int.
constexpr size_t kMaxBufferSize = INT_MAX / 2;

}  // namespace

Pickle::Pickle() : Pickle(static_cast<int>(sizeof(Header))) {}

Pickle::Pickle(int header_size) {
  header_size_ = static_cast<int>(
      AlignUp(std::max(static_cast<size_t>(std::max(header_size, 0)), sizeof(Header)), 4));
  if (Resize(kPayloadUnit)) {
    std::memset(header_, 0, header_size_);
  }
}

Pickle::Pickle(const char* data, int data_len) : capacity_(kCapacityReadOnly) {
  if (!data || data_len < static_cast<int>(sizeof(Header))) {
    return;
  }
  uint32_t payload = 0;
  std::memcpy(&payload, data, sizeof(payload));
  // A payload larger than the bytes wraps the difference around and is caught
  // by the length check.
  size_t header_size = static_cast<size_t>(static_cast<uint32_t>(data_len) - payload);
  if (header_size > static_cast<size_t>(data_len)) {
    header_size = 0;
  }
  if (header_size == 0 || header_size % 4 != 0) {
    return;
  }
  header_size_ = static_cast<int>(header_size);
  header_ = reinterpret_cast<Header*>(const_cast<char*>(data));
}

Pickle::Pickle(const Pickle& other) { CopyFrom(other); }

Pickle& Pickle::operator=(const Pickle& other) {
  if (this != &other) {
    FreeBuffer();
    CopyFrom(other);
  }
  return *this;
}

Pickle::~Pickle() { FreeBuffer(); }

size_t Pickle::size() const {
  return header_ ? static_cast<size_t>(header_size_) + header_->payload_size : 0;
}

uint32_t Pickle::payload_size() const { return header_ ? header_->payload_size : 0; }

const char* Pickle::payload() const {
  return header_ ? reinterpret_cast<const char*>(header_) + header_size_ : nullptr;
}

bool Pickle::WriteInt(int32_t value) { return WriteBytes(&value, sizeof(value)); }

bool Pickle::WriteUInt32(uint32_t value) { return WriteBytes(&value, sizeof(value)); }

bool Pickle::WriteString(const std::string& value) {
  if (value.size() > kMaxBufferSize) {
    return false;
  }
  const int length = static_cast<int>(value.size());
  return WriteInt(length) && WriteBytes(value.data(), length);
}

bool Pickle::WriteBytes(const void* data, int length) {
  if (!header_ || is_read_only() || length < 0 || (length > 0 && !data)) {
    return false;
  }
  const size_t offset = AlignUp(header_->payload_size, 4);
  const size_t new_payload = offset + static_cast<size_t>(length);
  const size_t needed = static_cast<size_t>(header_size_) + new_payload;
  if (needed > kMaxBufferSize) {
    return false;
  }
  // The padding after the block is part of the buffer, so a full capacity
  // check covers it too.
  const size_t padded = static_cast<size_t>(header_size_) + AlignUp(new_payload, 4);
  if (padded > static_cast<size_t>(capacity_) &&
      !Resize(std::max(static_cast<size_t>(capacity_) * 2, padded))) {
    return false;
  }
  char* dest = reinterpret_cast<char*>(header_) + header_size_ + offset;
  if (length > 0) {
    std::memcpy(dest, data, static_cast<size_t>(length));
  }
  std::memset(dest + length, 0, AlignUp(static_cast<size_t>(length), 4) - length);
  header_->payload_size = static_cast<uint32_t>(new_payload);
  return true;
}

bool Pickle::Resize(size_t new_capacity) {
  new_capacity = AlignUp(new_capacity, kPayloadUnit);
  if (new_capacity > kMaxBufferSize) {
    return false;
  }
  void* grown = std::realloc(header_, new_capacity);
  if (!grown) {
    return false;
  }
  header_ = static_cast<Header*>(grown);
  capacity_ = static_cast<int>(new_capacity);
  return true;
}

void Pickle::CopyFrom(const Pickle& other) {
  header_ = nullptr;
  header_size_ = other.header_size_;
  capacity_ = 0;
  variable_buffer_offset_ = other.variable_buffer_offset_;
  if (!other.header_) {
    capacity_ = other.capacity_;
    return;
  }
  const size_t used = other.size();
  if (Resize(used)) {
    std::memcpy(header_, other.header_, used);
  }
}

void Pickle::FreeBuffer() {
  if (!is_read_only()) {
    std::free(header_);
  }
  header_ = nullptr;
}

PickleIterator::PickleIterator(const Pickle& pickle)
    : payload_(pickle.payload()), payload_size_(pickle.payload_size()) {}

bool PickleIterator::ReadInt(int32_t* value) {
  const char* bytes = nullptr;
  if (!ReadBytes(&bytes, sizeof(*value))) {
    return false;
  }
  std::memcpy(value, bytes, sizeof(*value));
  return true;
}

bool PickleIterator::ReadUInt32(uint32_t* value) {
  const char* bytes = nullptr;
  if (!ReadBytes(&bytes, sizeof(*value))) {
    return false;
  }
  std::memcpy(value, bytes, sizeof(*value));
  return true;
}

bool PickleIterator::ReadBytes(const char** data, int length) {
  if (!payload_ || length < 0) {
    return false;
  }
  const size_t start = AlignUp(read_offset_, 4);
  if (start > payload_size_ || static_cast<size_t>(length) > payload_size_ - start) {
    return false;
  }
  *data = payload_ + start;
  read_offset_ = start + static_cast<size_t>(length);
  return true;
}

bool PickleIterator::ReadString(std::string* value) {
  int32_t length = 0;
  const char* bytes = nullptr;
  if (!ReadInt(&length) || !ReadBytes(&bytes, length)) {
    return false;
  }
  value->assign(bytes, static_cast<size_t>(length));
  return true;
}
