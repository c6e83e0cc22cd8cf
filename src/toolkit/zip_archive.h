#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// Reads the entries of a zip archive held in a file or in a memory block:
// stored and deflated entries, names matched without regard to case ("Images/a.png"
// finds "images/a.png"). Every size and offset read from the archive is
// checked against the archive's own bounds, so a damaged or hostile archive
// fails cleanly. No Windows types: the parser also builds on its own
// (OpenFile lives apart, in zip_archive_file.cpp).
class CZipArchive {
 public:
  // The bytes of the archive, wherever they live.
  class CSource {
   public:
    virtual ~CSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly size bytes at offset; false when it cannot.
    virtual bool Read(uint64_t offset, size_t size, uint8_t* out) const = 0;
  };

  // An entry larger than this once unpacked is refused (skins hold small
  // files; this keeps a forged size from exhausting memory).
  static constexpr uint32_t kMaxEntrySize = 64u << 20;

  CZipArchive() = default;
  CZipArchive(const CZipArchive&) = delete;
  CZipArchive& operator=(const CZipArchive&) = delete;

  // False when the archive cannot be read or its directory is damaged.
  bool OpenFile(const std::wstring& path);
  bool OpenMemory(std::vector<uint8_t> bytes);
  bool OpenSource(std::unique_ptr<CSource> source);
  bool IsOpen() const { return source_ != nullptr; }

  bool Contains(const std::wstring& name) const;
  // The unpacked bytes of the entry; false when it is missing, damaged, of
  // an unsupported method, or its sizes or checksum do not match.
  bool Extract(const std::wstring& name, std::vector<uint8_t>* out) const;

  // Entry names as stored (directories left out), in directory order.
  std::vector<std::wstring> Names() const;

 private:
  struct CEntry {
    std::wstring name;
    std::wstring key;  // lower case, forward slashes
    uint16_t method = 0;
    uint16_t flags = 0;
    uint32_t crc = 0;
    uint32_t packed_size = 0;
    uint32_t size = 0;
    uint32_t local_offset = 0;
  };

  bool ReadDirectory();
  const CEntry* Find(const std::wstring& name) const;

  std::unique_ptr<CSource> source_;
  std::vector<CEntry> entries_;
  // Entry keys to their place in entries_: a directory of many entries is
  // read in linear time.
  std::unordered_map<std::wstring, size_t> index_;
  // Entry data must lie before the central directory.
  uint64_t data_limit_ = 0;
};

// Lower case with forward slashes: the key names are compared by.
std::wstring ZipNameKey(const std::wstring& name);
// UTF-8 to UTF-16 (each invalid byte becomes U+FFFD).
std::wstring ZipUtf8ToWide(const uint8_t* bytes, size_t size);
