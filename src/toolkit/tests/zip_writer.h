#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace toolkit_test {

struct ZipEntry {
  std::string name;
  std::string data;
  bool deflate = true;
};

// Where the parts of an archive written by WriteZip lie, for tests that
// damage them.
struct ZipLayout {
  std::vector<size_t> local_offsets;
  std::vector<size_t> directory_entry_offsets;
  size_t directory_offset = 0;
  size_t end_offset = 0;
};

inline void Put16(std::string& out, uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void Put32(std::string& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

inline void Set32(std::string& bytes, size_t at, uint32_t value) {
  std::string part;
  Put32(part, value);
  bytes.replace(at, 4, part);
}

inline std::string RawDeflate(const std::string& data) {
  z_stream stream = {};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 16, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// A zip archive of the entries, as common tools write it (local headers,
// central directory, end record), with an optional archive comment.
inline std::string WriteZip(const std::vector<ZipEntry>& entries, ZipLayout* layout = nullptr,
                            const std::string& comment = std::string()) {
  std::string out;
  std::string directory;
  ZipLayout where;
  for (const ZipEntry& entry : entries) {
    const uint32_t crc =
        static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()),
                                    static_cast<uInt>(entry.data.size())));
    const std::string packed = entry.deflate ? RawDeflate(entry.data) : entry.data;
    const uint32_t offset = static_cast<uint32_t>(out.size());
    where.local_offsets.push_back(offset);
    Put32(out, 0x04034b50);
    Put16(out, 20);
    Put16(out, 0x0800);
    Put16(out, entry.deflate ? 8 : 0);
    Put16(out, 0);
    Put16(out, 0x21);
    Put32(out, crc);
    Put32(out, static_cast<uint32_t>(packed.size()));
    Put32(out, static_cast<uint32_t>(entry.data.size()));
    Put16(out, static_cast<uint32_t>(entry.name.size()));
    Put16(out, 0);
    out += entry.name;
    out += packed;

    where.directory_entry_offsets.push_back(directory.size());
    Put32(directory, 0x02014b50);
    Put16(directory, 20);
    Put16(directory, 20);
    Put16(directory, 0x0800);
    Put16(directory, entry.deflate ? 8 : 0);
    Put16(directory, 0);
    Put16(directory, 0x21);
    Put32(directory, crc);
    Put32(directory, static_cast<uint32_t>(packed.size()));
    Put32(directory, static_cast<uint32_t>(entry.data.size()));
    Put16(directory, static_cast<uint32_t>(entry.name.size()));
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, 0);
    Put32(directory, 0);
    Put32(directory, offset);
    directory += entry.name;
  }
  where.directory_offset = out.size();
  for (size_t& at : where.directory_entry_offsets) {
    at += where.directory_offset;
  }
  out += directory;
  where.end_offset = out.size();
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<uint32_t>(entries.size()));
  Put16(out, static_cast<uint32_t>(entries.size()));
  Put32(out, static_cast<uint32_t>(directory.size()));
  Put32(out, static_cast<uint32_t>(where.directory_offset));
  Put16(out, static_cast<uint32_t>(comment.size()));
  out += comment;
  if (layout) {
    *layout = where;
  }
  return out;
}

inline std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace toolkit_test
