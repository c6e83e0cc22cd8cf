#include "image/jpeg_metadata_carrier.h"

#include <windows.h>

#include <cstring>
#include <functional>
#include <set>
#include <utility>

#include "framework/handle.h"

namespace {

constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kApp0 = 0xE0;
constexpr uint8_t kApp1 = 0xE1;
constexpr uint8_t kApp15 = 0xEF;
constexpr uint8_t kComment = 0xFE;
constexpr int kMaxSegments = 1024;
// Bigger files are not read into memory to carry segments over.
constexpr LONGLONG kMaxRewrittenFile = 1ll << 30;
constexpr char kXmpSignature[] = "http://ns.adobe.com/xap/1.0/";

using ReadAt = std::function<bool(uint64_t offset, void* buffer, size_t size)>;

bool IsStandalone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }
bool IsMetadata(uint8_t marker) {
  return (marker >= kApp0 && marker <= kApp15) || marker == kComment;
}

// The segments before the frame header; header_end is where the first
// segment that is not metadata starts.
bool WalkSegments(const ReadAt& read, std::vector<CJpegMetadataCarrier::Segment>* segments,
                  size_t* header_end) {
  uint8_t head[2] = {};
  if (!read(0, head, 2) || head[0] != 0xFF || head[1] != kStartOfImage) {
    return false;
  }
  segments->clear();
  uint64_t offset = 2;
  bool in_metadata_run = true;
  *header_end = 2;
  for (int count = 0; count < kMaxSegments; ++count) {
    uint8_t marker[2] = {};
    if (!read(offset, marker, 2) || marker[0] != 0xFF) {
      return false;
    }
    if (marker[1] == 0xFF) {  // fill byte before a marker
      offset += 1;
      continue;
    }
    if (IsStandalone(marker[1])) {
      offset += 2;
      continue;
    }
    if (marker[1] == kStartOfScan || marker[1] == kEndOfImage || marker[1] == kStartOfImage) {
      return true;
    }
    uint8_t length_bytes[2] = {};
    if (!read(offset + 2, length_bytes, 2)) {
      return false;
    }
    const size_t length = static_cast<size_t>(length_bytes[0] << 8 | length_bytes[1]);
    if (length < 2) {
      return false;
    }
    if (IsMetadata(marker[1])) {
      CJpegMetadataCarrier::Segment segment;
      segment.marker = marker[1];
      segment.payload.resize(length - 2);
      if (!segment.payload.empty() &&
          !read(offset + 4, segment.payload.data(), segment.payload.size())) {
        return false;
      }
      segments->push_back(std::move(segment));
    } else {
      in_metadata_run = false;
    }
    offset += 2 + length;
    if (in_metadata_run) {
      *header_end = static_cast<size_t>(offset);
    }
  }
  return false;
}

// What a segment holds: its marker and the signature its payload starts with.
std::string KindOf(const CJpegMetadataCarrier::Segment& segment) {
  std::string kind = std::to_string(segment.marker) + ":";
  if (segment.marker == kComment) {
    return kind;
  }
  for (size_t i = 0; i < segment.payload.size() && i < 40 && segment.payload[i] != 0; ++i) {
    kind.push_back(static_cast<char>(segment.payload[i]));
  }
  return kind;
}

bool IsExif(const CJpegMetadataCarrier::Segment& segment) {
  return segment.marker == kApp1 && segment.payload.size() > 6 &&
         std::memcmp(segment.payload.data(), "Exif\0", 5) == 0;
}

// Describes the encoding of the file it was in: a copy has its own.
bool DescribesEncoding(const CJpegMetadataCarrier::Segment& segment) {
  auto starts_with = [&segment](const char* signature, size_t size) {
    return segment.payload.size() >= size &&
           std::memcmp(segment.payload.data(), signature, size) == 0;
  };
  return segment.marker == kApp0 || (segment.marker == 0xE2 && starts_with("MPF\0", 4)) ||
         (segment.marker == 0xEE && starts_with("Adobe", 5));
}

void AppendSegment(const CJpegMetadataCarrier::Segment& segment, std::vector<uint8_t>* out) {
  const size_t length = segment.payload.size() + 2;
  out->push_back(0xFF);
  out->push_back(segment.marker);
  out->push_back(static_cast<uint8_t>(length >> 8));
  out->push_back(static_cast<uint8_t>(length));
  out->insert(out->end(), segment.payload.begin(), segment.payload.end());
}

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>* data) {
  const CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return false;
  }
  LARGE_INTEGER size = {};
  bool ok =
      GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 && size.QuadPart <= kMaxRewrittenFile;
  if (ok) {
    data->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = ReadFile(file.get(), data->data(), static_cast<DWORD>(data->size()), &read, nullptr) &&
         read == data->size();
  }
  return ok;
}

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& data) {
  const CHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return false;
  }
  DWORD written = 0;
  return WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
         written == data.size() && SetEndOfFile(file.get());
}

}  // namespace

bool CJpegMetadataCarrier::ReadSegments(const std::vector<uint8_t>& jpeg,
                                        std::vector<Segment>* segments, size_t* header_end) {
  return WalkSegments(
      [&jpeg](uint64_t offset, void* buffer, size_t count) {
        if (offset > jpeg.size() || count > jpeg.size() - offset) {
          return false;
        }
        std::memcpy(buffer, jpeg.data() + offset, count);
        return true;
      },
      segments, header_end);
}

bool CJpegMetadataCarrier::ReadFromMemory(const std::vector<uint8_t>& jpeg) {
  std::vector<Segment> found;
  size_t header_end = 0;
  if (!ReadSegments(jpeg, &found, &header_end)) {
    return false;
  }
  has_exif_ = false;
  segments_.clear();
  for (Segment& segment : found) {
    if (IsExif(segment)) {
      // The first EXIF segment is the one readers take.
      if (!has_exif_) {
        has_exif_ = exif_.SetBlock(
            std::vector<uint8_t>(segment.payload.begin() + 6, segment.payload.end()));
      }
    } else if (!DescribesEncoding(segment)) {
      segments_.push_back(std::move(segment));
    }
  }
  return has_exif_ || !segments_.empty();
}

bool CJpegMetadataCarrier::ReadFrom(const std::wstring& source_jpeg) {
  CHandle file(CreateFileW(source_jpeg.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return false;
  }
  // Only the segments before the frame are read, not the whole picture.
  std::vector<Segment> found;
  size_t header_end = 0;
  const bool read = WalkSegments(
      [&file](uint64_t offset, void* buffer, size_t count) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD done = 0;
        return count <= MAXDWORD &&
               ReadFile(file.get(), buffer, static_cast<DWORD>(count), &done, &at) && done == count;
      },
      &found, &header_end);
  file.Close();
  if (!read) {
    return false;
  }
  // Rebuilt as a header of its own, so one routine sorts the segments.
  std::vector<uint8_t> header = {0xFF, kStartOfImage};
  for (const Segment& segment : found) {
    AppendSegment(segment, &header);
  }
  header.push_back(0xFF);
  header.push_back(kEndOfImage);
  return ReadFromMemory(header);
}

void CJpegMetadataCarrier::SetOrientation(int orientation) {
  if (has_exif_) {
    exif_.SetOrientation(orientation);
  }
  SetXmpOrientation(orientation);
}

void CJpegMetadataCarrier::MarkPixelsTurnedUpright(bool axes_swapped) {
  if (has_exif_) {
    exif_.MarkPixelsTurnedUpright(axes_swapped);
  }
  SetXmpOrientation(1);
}

void CJpegMetadataCarrier::SetXmpOrientation(int orientation) {
  if (orientation < 1 || orientation > 8) {
    return;
  }
  static const char kName[] = "tiff:Orientation";
  const size_t name_length = sizeof(kName) - 1;
  for (Segment& segment : segments_) {
    std::vector<uint8_t>& text = segment.payload;
    if (segment.marker != kApp1 || text.size() < sizeof(kXmpSignature) ||
        std::memcmp(text.data(), kXmpSignature, sizeof(kXmpSignature)) != 0) {
      continue;
    }
    // tiff:Orientation="6" as an attribute, or <tiff:Orientation>6< as an
    // element: a single digit, rewritten in place.
    for (size_t at = sizeof(kXmpSignature); at + name_length + 3 <= text.size(); ++at) {
      if (std::memcmp(text.data() + at, kName, name_length) != 0 ||
          (at > 0 && text[at - 1] == '/')) {
        continue;
      }
      size_t value = at + name_length;
      if (text[value] == '=' && (text[value + 1] == '"' || text[value + 1] == '\'')) {
        value += 2;
      } else if (text[value] == '>') {
        value += 1;
      } else {
        continue;
      }
      if (value + 1 < text.size() && text[value] >= '1' && text[value] <= '8' &&
          (text[value + 1] == '"' || text[value + 1] == '\'' || text[value + 1] == '<')) {
        text[value] = static_cast<uint8_t>('0' + orientation);
      }
    }
  }
}

bool CJpegMetadataCarrier::MergeInto(std::vector<uint8_t>* jpeg) const {
  std::vector<Segment> present;
  size_t header_end = 0;
  if (!jpeg || !ReadSegments(*jpeg, &present, &header_end)) {
    return false;
  }
  std::set<std::string> kinds;
  bool target_has_exif = false;
  for (const Segment& segment : present) {
    kinds.insert(KindOf(segment));
    target_has_exif = target_has_exif || IsExif(segment);
  }
  std::vector<uint8_t> carried;
  for (const Segment& segment : segments_) {
    if (kinds.count(KindOf(segment)) == 0) {
      AppendSegment(segment, &carried);
    }
  }
  // After the copy's own metadata, before its tables and frame.
  jpeg->insert(jpeg->begin() + static_cast<std::ptrdiff_t>(header_end), carried.begin(),
               carried.end());
  if (has_exif_ && !target_has_exif) {
    return CJpegExifCarrier::InsertSegment(jpeg, exif_.block());
  }
  return true;
}

bool CJpegMetadataCarrier::WriteInto(const std::wstring& target_jpeg) const {
  std::vector<uint8_t> jpeg;
  if (!ReadWholeFile(target_jpeg, &jpeg)) {
    return false;
  }
  const size_t before = jpeg.size();
  if (!MergeInto(&jpeg)) {
    return false;
  }
  return jpeg.size() == before || WriteWholeFile(target_jpeg, jpeg);
}
