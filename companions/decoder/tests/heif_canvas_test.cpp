// The canvas sizes of HEIF grids and overlays, read before libheif allocates
// them: from the item's data in the file or in the idat box, through every
// iloc layout libheif reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "heif_canvas.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Be(uint64_t value, int bytes) {
  Bytes out;
  for (int i = bytes - 1; i >= 0; --i) {
    out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) {
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

Bytes MakeBox(const char* type, const Bytes& payload) {
  return Cat({Be(8 + payload.size(), 4), Bytes(type, type + 4), payload});
}

Bytes FullBox(const char* type, uint8_t version, const Bytes& payload) {
  return MakeBox(type, Cat({{version, 0, 0, 0}, payload}));
}

// An infe box of version 2 (16-bit item IDs) or 3 (32-bit).
Bytes Infe(uint32_t item, const char* type, uint8_t version = 2) {
  return FullBox("infe", version,
                 Cat({Be(item, version == 2 ? 2 : 4), Be(0, 2), Bytes(type, type + 4), {0}}));
}

Bytes Iinf(std::initializer_list<Bytes> entries) {
  Bytes children;
  for (const Bytes& entry : entries) {
    children.insert(children.end(), entry.begin(), entry.end());
  }
  return FullBox("iinf", 0, Cat({Be(entries.size(), 2), children}));
}

struct Extent {
  uint64_t offset;
  uint64_t length;
};

// One item's entry in an iloc box with 4-byte offsets, lengths and base
// offset (and 4-byte extent indices from version 2 on).
Bytes Iloc(uint8_t version, uint32_t item, uint8_t method, uint64_t base,
           std::initializer_list<Extent> extents) {
  Bytes entry = Be(item, version < 2 ? 2 : 4);
  if (version >= 1) {
    entry = Cat({entry, Be(method, 2)});
  }
  entry = Cat({entry, Be(0, 2), Be(base, 4), Be(extents.size(), 2)});
  for (const Extent& extent : extents) {
    if (version >= 2) {
      entry = Cat({entry, Be(1, 4)});
    }
    entry = Cat({entry, Be(extent.offset, 4), Be(extent.length, 4)});
  }
  const uint8_t index_size = version >= 2 ? 4 : 0;
  return FullBox(
      "iloc", version,
      Cat({{0x44, static_cast<uint8_t>(0x40 | index_size)}, Be(1, version < 2 ? 2 : 4), entry}));
}

Bytes Heif(std::initializer_list<Bytes> meta_children, const Bytes& mdat = {}) {
  Bytes children;
  for (const Bytes& child : meta_children) {
    children.insert(children.end(), child.begin(), child.end());
  }
  return Cat(
      {MakeBox("ftyp", Cat({Bytes{'h', 'e', 'i', 'c'}, Be(0, 4), Bytes{'m', 'i', 'f', '1'}})),
       FullBox("meta", 0, children), MakeBox("mdat", mdat)});
}

// Grid descriptors: version, flags (bit 0: 32-bit sides), rows and columns
// less one, then the sides.
Bytes Grid16(uint16_t width, uint16_t height) {
  return Cat({{0, 0, 1, 1}, Be(width, 2), Be(height, 2)});
}
Bytes Grid32(uint32_t width, uint32_t height) {
  return Cat({{0, 1, 0, 0}, Be(width, 4), Be(height, 4)});
}

TEST(HeifCanvas, ReadsEveryGridAndOverlayTheWayLibheifDoes) {
  struct Case {
    const char* what;
    Bytes file;
    uint64_t pixels;
  };
  const Bytes overlay = Cat({{0, 0}, Be(0, 8), Be(640, 2), Be(480, 2), Be(0, 4)});
  const Bytes next_box = Iloc(1, 2, 1, 0, {{0, 12}});
  const std::vector<Case> cases = {
      {"grid in idat, 16-bit sides (a claimed 48 x 32 picture in the file that found this)",
       Heif({Iinf({Infe(1, "hvc1"), Infe(2, "grid")}), Iloc(1, 2, 1, 0, {{0, 8}}),
             MakeBox("idat", Grid16(26482, 28780))}),
       uint64_t{26482} * 28780},
      {"overlay in idat, 16-bit fields",
       Heif({Iinf({Infe(7, "iovl")}), Iloc(1, 7, 1, 0, {{0, overlay.size()}}),
             MakeBox("idat", overlay)}),
       640 * 480},
      {"grid split over two extents",
       Heif({Iinf({Infe(3, "grid")}), Iloc(1, 3, 1, 0, {{0, 5}, {5, 3}}),
             MakeBox("idat", Grid16(300, 200))}),
       300 * 200},
      {"32-bit item IDs and extent indices (iloc version 2, infe version 3)",
       Heif({Iinf({Infe(70000, "grid", 3)}), Iloc(2, 70000, 1, 2, {{0, 12}}),
             MakeBox("idat", Cat({{9, 9}, Grid32(100000, 3)}))}),
       300000},
      {"the type in a second iinf box",
       Heif({Iinf({Infe(1, "hvc1")}), Iinf({Infe(2, "grid")}), Iloc(1, 2, 1, 0, {{0, 8}}),
             MakeBox("idat", Grid16(10, 10))}),
       100},
      {"a coded picture only",
       Heif({Iinf({Infe(1, "hvc1")}), Iloc(1, 1, 1, 0, {{0, 8}}), MakeBox("idat", Grid16(10, 10))}),
       0},
      {"descriptor cut short",
       Heif({Iinf({Infe(2, "grid")}), Iloc(1, 2, 1, 0, {{0, 7}}), MakeBox("idat", Grid16(10, 10))}),
       0},
      {"extent beyond the end of the file",
       Heif({Iinf({Infe(2, "grid")}), Iloc(1, 2, 1, 0, {{1000, 8}}),
             MakeBox("idat", Grid16(10, 10))}),
       0},
      // libheif checks idat extents against the whole box, header included,
      // and reads on into the file: here the height is the next box's size.
      {"idat extent running on into the next box",
       Heif({Iinf({Infe(2, "grid")}), MakeBox("idat", {0, 1, 0, 0, 0, 0, 0x10, 0}), next_box}),
       uint64_t{0x1000} * next_box.size()},
      {"construction method 2 (item offsets), which libheif does not read",
       Heif({Iinf({Infe(2, "grid")}), Iloc(1, 2, 2, 0, {{0, 8}}), MakeBox("idat", Grid16(10, 10))}),
       0},
      {"no meta box", MakeBox("ftyp", Bytes{'h', 'e', 'i', 'c', 0, 0, 0, 0}), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(LargestHeifCanvas(c.file.data(), c.file.size()), c.pixels);
  }
}

TEST(HeifCanvas, ReadsGridDataPlacedInTheFile) {
  // Construction method 0: the offset counts from the start of the file.
  // The descriptor follows the mdat header at the end of the file.
  const Bytes descriptor = Grid32(5000, 4000);
  auto build = [&descriptor](uint64_t offset) {
    return Heif({Iinf({Infe(2, "grid")}), Iloc(0, 2, 0, 0, {{offset, descriptor.size()}})},
                descriptor);
  };
  const size_t offset = build(0).size() - descriptor.size();
  const Bytes file = build(offset);
  EXPECT_EQ(LargestHeifCanvas(file.data(), file.size()), uint64_t{5000} * 4000);
  // Cut inside the descriptor: what is left no longer holds both sides.
  EXPECT_EQ(LargestHeifCanvas(file.data(), file.size() - 2), 0u);
}

}  // namespace
