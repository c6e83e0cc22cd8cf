#include "toolkit/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace {

constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr uint32_t kDirectoryEntry = 0x02014b50;
constexpr uint32_t kLocalHeader = 0x04034b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kDirectoryEntrySize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr uint16_t kStored = 0;
constexpr uint16_t kDeflated = 8;
constexpr uint16_t kEncrypted = 0x0001;
// The comment after the end record is at most 65535 bytes long.
constexpr size_t kMaxTail = kEndRecordSize + 0xFFFF;
// A directory larger than this is not a skin archive.
constexpr uint32_t kMaxDirectorySize = 16u << 20;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

class CMemorySource : public CZipArchive::CSource {
 public:
  explicit CMemorySource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool Read(uint64_t offset, size_t size, uint8_t* out) const override {
    if (offset > bytes_.size() || size > bytes_.size() - offset) {
      return false;
    }
    if (size) {
      std::memcpy(out, bytes_.data() + offset, size);
    }
    return true;
  }

 private:
  std::vector<uint8_t> bytes_;
};

bool Inflate(const std::vector<uint8_t>& packed, uint32_t size, std::vector<uint8_t>* out) {
  out->clear();
  z_stream stream = {};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
    return false;
  }
  stream.next_in = const_cast<Bytef*>(packed.data());
  stream.avail_in = static_cast<uInt>(packed.size());
  // The output grows with what the data really unpacks to, up to the declared
  // size and one spare byte: output beyond the declared size means the size
  // lies. A forged size alone costs no memory.
  const size_t limit = static_cast<size_t>(size) + 1;
  int result = Z_OK;
  while (result == Z_OK) {
    const size_t done = static_cast<size_t>(stream.total_out);
    if (done == out->size()) {
      if (out->size() == limit) {
        break;
      }
      out->resize(std::min(limit, std::max<size_t>(2 * out->size(), 64u << 10)));
    }
    stream.next_out = out->data() + done;
    stream.avail_out = static_cast<uInt>(out->size() - done);
    result = inflate(&stream, Z_NO_FLUSH);
  }
  const bool complete = result == Z_STREAM_END && stream.total_out == size;
  inflateEnd(&stream);
  out->resize(complete ? size : 0);
  return complete;
}

}  // namespace

std::wstring ZipUtf8ToWide(const uint8_t* bytes, size_t size) {
  std::wstring text;
  text.reserve(size);
  size_t i = 0;
  while (i < size) {
    const uint8_t lead = bytes[i];
    uint32_t code = 0xFFFD;
    size_t length = 1;
    if (lead < 0x80) {
      code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
    }
    if (length > 1) {
      bool valid = i + length <= size;
      uint32_t value = lead & (0x7F >> length);
      for (size_t k = 1; valid && k < length; ++k) {
        valid = (bytes[i + k] & 0xC0) == 0x80;
        value = (value << 6) | (bytes[i + k] & 0x3F);
      }
      static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
      if (valid && value >= kSmallest[length] && value <= 0x10FFFF &&
          (value < 0xD800 || value > 0xDFFF)) {
        code = value;
      } else {
        length = 1;
      }
    }
    if (code >= 0x10000 && sizeof(wchar_t) == 2) {
      code -= 0x10000;
      text.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
      text.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
    } else {
      text.push_back(static_cast<wchar_t>(code));
    }
    i += length;
  }
  return text;
}

std::wstring ZipNameKey(const std::wstring& name) {
  std::wstring key = name;
  for (wchar_t& c : key) {
    c = c == L'\\' ? L'/' : static_cast<wchar_t>(std::towlower(c));
  }
  return key;
}

bool CZipArchive::OpenMemory(std::vector<uint8_t> bytes) {
  return OpenSource(std::make_unique<CMemorySource>(std::move(bytes)));
}

bool CZipArchive::OpenSource(std::unique_ptr<CSource> source) {
  source_ = std::move(source);
  entries_.clear();
  index_.clear();
  if (!source_ || !ReadDirectory()) {
    source_.reset();
    entries_.clear();
    index_.clear();
    return false;
  }
  return true;
}

bool CZipArchive::ReadDirectory() {
  const uint64_t total = source_->Size();
  if (total < kEndRecordSize) {
    return false;
  }
  const size_t tail_size = static_cast<size_t>(std::min<uint64_t>(total, kMaxTail));
  std::vector<uint8_t> tail(tail_size);
  const uint64_t tail_start = total - tail_size;
  if (!source_->Read(tail_start, tail_size, tail.data())) {
    return false;
  }
  // The end record is the last one whose comment reaches exactly to the end.
  size_t end_at = tail_size;
  for (size_t at = tail_size - kEndRecordSize + 1; at-- > 0;) {
    if (Get32(&tail[at]) == kEndOfDirectory &&
        at + kEndRecordSize + Get16(&tail[at + 20]) == tail_size) {
      end_at = at;
      break;
    }
  }
  if (end_at == tail_size) {
    return false;
  }
  const uint8_t* end = &tail[end_at];
  const uint16_t disk = Get16(end + 4);
  const uint16_t directory_disk = Get16(end + 6);
  const uint16_t count_here = Get16(end + 8);
  const uint16_t count = Get16(end + 10);
  const uint32_t directory_size = Get32(end + 12);
  const uint32_t directory_offset = Get32(end + 16);
  const uint64_t end_offset = tail_start + end_at;
  // Split archives and ZIP64 archives are not skin archives.
  if (disk != 0 || directory_disk != 0 || count_here != count || count == 0xFFFF ||
      directory_offset == 0xFFFFFFFFu || directory_size > kMaxDirectorySize ||
      static_cast<uint64_t>(directory_offset) + directory_size > end_offset) {
    return false;
  }
  std::vector<uint8_t> directory(directory_size);
  if (!source_->Read(directory_offset, directory_size, directory.data())) {
    return false;
  }
  data_limit_ = directory_offset;
  size_t at = 0;
  for (uint16_t i = 0; i < count; ++i) {
    if (directory_size - at < kDirectoryEntrySize || Get32(&directory[at]) != kDirectoryEntry) {
      return false;
    }
    const uint8_t* record = &directory[at];
    CEntry entry;
    entry.flags = Get16(record + 8);
    entry.method = Get16(record + 10);
    entry.crc = Get32(record + 16);
    entry.packed_size = Get32(record + 20);
    entry.size = Get32(record + 24);
    const size_t name_length = Get16(record + 28);
    const size_t extra_length = Get16(record + 30);
    const size_t comment_length = Get16(record + 32);
    entry.local_offset = Get32(record + 42);
    const size_t record_size = kDirectoryEntrySize + name_length + extra_length + comment_length;
    if (directory_size - at < record_size || name_length == 0) {
      return false;
    }
    entry.name = ZipUtf8ToWide(record + kDirectoryEntrySize, name_length);
    at += record_size;
    if (entry.name.back() == L'/' || entry.name.back() == L'\\') {
      continue;
    }
    entry.key = ZipNameKey(entry.name);
    // The first of entries with the same name wins.
    if (index_.emplace(entry.key, entries_.size()).second) {
      entries_.push_back(std::move(entry));
    }
  }
  return true;
}

const CZipArchive::CEntry* CZipArchive::Find(const std::wstring& name) const {
  const auto found = index_.find(ZipNameKey(name));
  return found == index_.end() ? nullptr : &entries_[found->second];
}

bool CZipArchive::Contains(const std::wstring& name) const { return Find(name) != nullptr; }

std::vector<std::wstring> CZipArchive::Names() const {
  std::vector<std::wstring> names;
  for (const CEntry& entry : entries_) {
    names.push_back(entry.name);
  }
  return names;
}

bool CZipArchive::Extract(const std::wstring& name, std::vector<uint8_t>* out) const {
  out->clear();
  const CEntry* entry = source_ ? Find(name) : nullptr;
  if (!entry || (entry->flags & kEncrypted) || entry->size > kMaxEntrySize ||
      (entry->method != kStored && entry->method != kDeflated) ||
      (entry->method == kStored && entry->packed_size != entry->size)) {
    return false;
  }
  uint8_t header[kLocalHeaderSize];
  if (entry->local_offset > data_limit_ || data_limit_ - entry->local_offset < kLocalHeaderSize ||
      !source_->Read(entry->local_offset, kLocalHeaderSize, header) ||
      Get32(header) != kLocalHeader) {
    return false;
  }
  const uint64_t data_offset = static_cast<uint64_t>(entry->local_offset) + kLocalHeaderSize +
                               Get16(header + 26) + Get16(header + 28);
  if (data_offset > data_limit_ || data_limit_ - data_offset < entry->packed_size) {
    return false;
  }
  std::vector<uint8_t> packed(entry->packed_size);
  if (!source_->Read(data_offset, packed.size(), packed.data())) {
    return false;
  }
  std::vector<uint8_t> bytes;
  if (entry->method == kStored) {
    bytes = std::move(packed);
  } else if (!Inflate(packed, entry->size, &bytes)) {
    return false;
  }
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), bytes.data(), static_cast<uInt>(bytes.size()));
  if (static_cast<uint32_t>(crc) != entry->crc) {
    return false;
  }
  *out = std::move(bytes);
  return true;
}
