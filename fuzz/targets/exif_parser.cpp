// The EXIF block (the TIFF structure inside a JPEG's APP1 segment): parsing,
// then the carrier's edits of a block about to be written into a saved copy.
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "image/exif_parser.h"
#include "image/jpeg_exif_carrier.h"

namespace {

constexpr uint16_t kOrientationTag = 274;

// The tags the metadata reader and the carrier ask for, with the pointers.
const struct {
  CExifParser::Directory directory;
  uint16_t tag;
} kTags[] = {
    {CExifParser::kPrimary, 271}, {CExifParser::kPrimary, 272},   {CExifParser::kPrimary, 274},
    {CExifParser::kPrimary, 282}, {CExifParser::kPrimary, 34665}, {CExifParser::kPrimary, 34853},
    {CExifParser::kExif, 33434},  {CExifParser::kExif, 33437},    {CExifParser::kExif, 34855},
    {CExifParser::kExif, 36867},  {CExifParser::kExif, 37381},    {CExifParser::kExif, 37383},
    {CExifParser::kExif, 37385},  {CExifParser::kExif, 37386},    {CExifParser::kExif, 40962},
    {CExifParser::kExif, 40963},  {CExifParser::kExif, 41987},    {CExifParser::kExif, 42036},
    {CExifParser::kExif, 34850},  {CExifParser::kGps, 1},         {CExifParser::kGps, 2},
    {CExifParser::kGps, 3},       {CExifParser::kGps, 4},
};

void CheckFields(const CExifParser& parser, const uint8_t* block, size_t size) {
  for (const auto& wanted : kTags) {
    const CExifParser::Field* field = parser.Find(wanted.directory, wanted.tag);
    if (!field) {
      continue;
    }
    // A field holds exactly its count of values, copied from inside the block.
    const size_t type_size = CExifParser::TypeSize(field->type);
    FUZZ_CHECK(type_size != 0);
    FUZZ_CHECK(field->bytes.size() == type_size * field->count);
    FUZZ_CHECK(field->value_offset <= size && field->bytes.size() <= size - field->value_offset);
    FUZZ_CHECK(field->bytes.empty() || std::memcmp(block + field->value_offset, field->bytes.data(),
                                                   field->bytes.size()) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CExifParser parser;
  if (!parser.Parse(data, size)) {
    return 0;
  }
  CheckFields(parser, data, size);

  CJpegExifCarrier carrier;
  if (!carrier.SetBlock(std::vector<uint8_t>(data, data + size))) {
    return 0;
  }
  carrier.SetOrientation(size % 9);
  const bool axes_swapped = size % 2 == 0;
  carrier.MarkPixelsTurnedUpright(axes_swapped);
  // The edits change values only: the block still parses, whole.
  const std::vector<uint8_t>& edited = carrier.block();
  FUZZ_CHECK(edited.size() == size);
  CExifParser reparsed;
  FUZZ_CHECK(reparsed.Parse(edited.data(), edited.size()));
  CheckFields(reparsed, edited.data(), edited.size());
  // Without the axes swapped only the orientation and the thumbnail link
  // change, and an orientation held in its entry now reads 1.
  const CExifParser::Field* orientation = reparsed.Find(CExifParser::kPrimary, kOrientationTag);
  if (!axes_swapped && orientation && orientation->type == CExifParser::kShort &&
      orientation->count == 1) {
    const unsigned value = reparsed.big_endian()
                               ? orientation->bytes[0] << 8 | orientation->bytes[1]
                               : orientation->bytes[1] << 8 | orientation->bytes[0];
    FUZZ_CHECK(value == 1);
  }
  return 0;
}
