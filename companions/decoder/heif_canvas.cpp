#include "heif_canvas.h"

#include <algorithm>
#include <map>
#include <vector>

#include "heif_boxes.h"

namespace {

using heif_boxes::Box;
using heif_boxes::FourCc;
using heif_boxes::NextBox;
using heif_boxes::Read16;
using heif_boxes::Read32;
using heif_boxes::Reader;

constexpr uint32_t kGrid = FourCc('g', 'r', 'i', 'd');
constexpr uint32_t kOverlay = FourCc('i', 'o', 'v', 'l');
// The longest descriptor start that holds the canvas size: an overlay's
// version, flags, fill colour and two 32-bit sides.
constexpr size_t kDescriptorBytes = 2 + 8 + 8;

// What an item is composed as; an item listed twice may be both.
enum Composition : uint8_t { kAsGrid = 1, kAsOverlay = 2 };

// Item IDs of the grids and overlays an iinf box lists.
void ReadItemTypes(const Box& iinf, std::map<uint32_t, uint8_t>* composed) {
  if (iinf.size < 4) {
    return;
  }
  const size_t count_bytes = iinf.payload[0] > 0 ? 4 : 2;
  if (iinf.size < 4 + count_bytes) {
    return;
  }
  const uint8_t* at = iinf.payload + 4 + count_bytes;
  const uint8_t* end = iinf.payload + iinf.size;
  Box infe;
  while (NextBox(&at, end, &infe)) {
    // Versions 0 and 1 have no item type.
    if (infe.type != FourCc('i', 'n', 'f', 'e') || infe.size < 4 || infe.payload[0] < 2) {
      continue;
    }
    const size_t id_bytes = infe.payload[0] == 2 ? 2 : 4;
    if (infe.size < 4 + id_bytes + 2 + 4) {
      continue;
    }
    const uint32_t item = id_bytes == 2 ? Read16(infe.payload + 4) : Read32(infe.payload + 4);
    const uint32_t type = Read32(infe.payload + 4 + id_bytes + 2);
    if (type == kGrid) {
      (*composed)[item] |= kAsGrid;
    } else if (type == kOverlay) {
      (*composed)[item] |= kAsOverlay;
    }
  }
}

// Canvas pixels of a descriptor that starts with these bytes; 0 when they
// are too few for the size.
uint64_t CanvasPixels(Composition composition, const std::vector<uint8_t>& d) {
  if (d.size() < 2) {
    return 0;
  }
  const size_t side_bytes = (d[1] & 1) ? 4 : 2;
  // A grid's rows and columns, an overlay's fill colour come first.
  const size_t at = composition == kAsGrid ? 4 : 2 + 8;
  if (d.size() < at + 2 * side_bytes) {
    return 0;
  }
  Reader reader(d.data() + at, 2 * side_bytes);
  const uint64_t width = reader.Read(side_bytes);
  const uint64_t height = reader.Read(side_bytes);
  return width * height;
}

// The largest canvas of the composed items an iloc box places, the data
// gathered from their extents the way libheif gathers it: from the file
// (construction method 0) or from the idat box (1). libheif reads idat data
// from the file, checking it against the whole box, header included, so it
// may read on past the box: both are read here from the file, as far as it
// goes, which finds every canvas libheif finds.
uint64_t ReadCanvases(const Box& iloc, const uint8_t* file, size_t file_size, const Box* idat,
                      const std::map<uint32_t, uint8_t>& composed) {
  Reader reader(iloc.payload, iloc.size);
  const uint64_t version = reader.Read(1);
  reader.Read(3);  // flags
  const uint64_t sizes = reader.Read(2);
  // Fields of other sizes than 4 and 8 bytes are left out and read as 0.
  auto field = [](uint64_t bytes) -> size_t { return bytes == 4 || bytes == 8 ? bytes : 0; };
  const size_t offset_bytes = field((sizes >> 12) & 0xF);
  const size_t length_bytes = field((sizes >> 8) & 0xF);
  const size_t base_offset_bytes = field((sizes >> 4) & 0xF);
  const size_t index_bytes = version > 1 ? field(sizes & 0xF) : 0;
  const uint64_t items = reader.Read(version < 2 ? 2 : 4);
  uint64_t largest = 0;
  for (uint64_t i = 0; i < items && reader.ok(); ++i) {
    const uint64_t item = reader.Read(version < 2 ? 2 : 4);
    const uint64_t method = version >= 1 ? reader.Read(2) & 0xF : 0;
    reader.Read(2);  // data reference index
    const uint64_t base_offset = reader.Read(base_offset_bytes);
    const uint64_t extents = reader.Read(2);
    const auto kinds = composed.find(static_cast<uint32_t>(item));
    const bool wanted =
        item <= 0xFFFFFFFFu && kinds != composed.end() && (method == 0 || (method == 1 && idat));
    // Where the offsets count from; libheif adds them up modulo 2^64 too.
    const uint64_t origin = method == 1 && idat ? static_cast<uint64_t>(idat->payload - file) : 0;
    std::vector<uint8_t> descriptor;
    for (uint64_t e = 0; e < extents && reader.ok(); ++e) {
      reader.Read(index_bytes);
      const uint64_t offset = reader.Read(offset_bytes);
      const uint64_t length = reader.Read(length_bytes);
      if (!wanted || descriptor.size() >= kDescriptorBytes) {
        continue;
      }
      const uint64_t start = origin + base_offset + offset;
      if (start >= file_size) {
        continue;
      }
      const uint64_t take =
          std::min<uint64_t>({length, file_size - start, kDescriptorBytes - descriptor.size()});
      descriptor.insert(descriptor.end(), file + start, file + start + take);
    }
    if (wanted && reader.ok()) {
      for (Composition composition : {kAsGrid, kAsOverlay}) {
        if (kinds->second & composition) {
          largest = std::max(largest, CanvasPixels(composition, descriptor));
        }
      }
    }
  }
  return largest;
}

}  // namespace

uint64_t LargestHeifCanvas(const uint8_t* data, size_t size) {
  if (!data) {
    return 0;
  }
  const uint8_t* at = data;
  const uint8_t* end = data + size;
  Box meta;
  bool found = false;
  while (!found && NextBox(&at, end, &meta)) {
    found = meta.type == FourCc('m', 'e', 't', 'a');
  }
  if (!found || meta.size < 4) {
    return 0;
  }
  // Every iinf and iloc box counts (libheif reads the first of each); the
  // first idat box holds the data of construction method 1.
  std::vector<Box> iinfs;
  std::vector<Box> ilocs;
  Box idat;
  bool has_idat = false;
  at = meta.payload + 4;
  end = meta.payload + meta.size;
  Box box;
  while (NextBox(&at, end, &box)) {
    if (box.type == FourCc('i', 'i', 'n', 'f')) {
      iinfs.push_back(box);
    } else if (box.type == FourCc('i', 'l', 'o', 'c')) {
      ilocs.push_back(box);
    } else if (box.type == FourCc('i', 'd', 'a', 't') && !has_idat) {
      idat = box;
      has_idat = true;
    }
  }
  std::map<uint32_t, uint8_t> composed;
  for (const Box& iinf : iinfs) {
    ReadItemTypes(iinf, &composed);
  }
  uint64_t largest = 0;
  if (!composed.empty()) {
    for (const Box& iloc : ilocs) {
      largest =
          std::max(largest, ReadCanvases(iloc, data, size, has_idat ? &idat : nullptr, composed));
    }
  }
  return largest;
}
