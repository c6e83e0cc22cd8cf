#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A growable byte buffer: a header whose first 32-bit word is the payload size,
// followed by the payload. Values are appended at 4-byte aligned offsets and
// padded with zero bytes. A pickle built over received bytes borrows them and
// is read-only.
class Pickle {
 public:
  // A new, empty pickle with a 4-byte header.
  Pickle();
  // header_size is rounded up to a multiple of 4 and must hold the size word.
  explicit Pickle(int header_size);
  // A read-only view of received bytes; is_valid() is false when the header
  // they describe is inconsistent with their length.
  Pickle(const char* data, int data_len);
  Pickle(const Pickle& other);
  Pickle& operator=(const Pickle& other);
  virtual ~Pickle();

  bool is_valid() const { return header_ != nullptr; }
  bool is_read_only() const { return capacity_ == kCapacityReadOnly; }

  // The bytes on the wire: header and payload.
  const void* data() const { return header_; }
  size_t size() const;
  uint32_t payload_size() const;
  const char* payload() const;
  int header_size() const { return header_size_; }
  int capacity() const { return capacity_; }

  bool WriteInt(int32_t value);
  bool WriteUInt32(uint32_t value);
  bool WriteBytes(const void* data, int length);
  // A 32-bit length, then the bytes as a byte block.
  bool WriteString(const std::string& value);

  static constexpr int kCapacityReadOnly = -1;
  static constexpr int kPayloadUnit = 64;

 protected:
  struct Header {
    uint32_t payload_size;
  };

  template <class T>
  T* header_as() {
    return reinterpret_cast<T*>(header_);
  }
  template <class T>
  const T* header_as() const {
    return reinterpret_cast<const T*>(header_);
  }

 private:
  bool Resize(size_t new_capacity);
  void CopyFrom(const Pickle& other);
  void FreeBuffer();

  Header* header_ = nullptr;
  int header_size_ = 0;
  int capacity_ = 0;
  int variable_buffer_offset_ = 0;
};

// Reads the values of a pickle in the order they were written; every read
// fails instead of running past the payload.
class PickleIterator {
 public:
  explicit PickleIterator(const Pickle& pickle);

  bool ReadInt(int32_t* value);
  bool ReadUInt32(uint32_t* value);
  // Points data at length bytes inside the pickle.
  bool ReadBytes(const char** data, int length);
  bool ReadString(std::string* value);
  bool AtEnd() const { return read_offset_ >= payload_size_; }

 private:
  const char* payload_;
  size_t payload_size_;
  size_t read_offset_ = 0;
};
