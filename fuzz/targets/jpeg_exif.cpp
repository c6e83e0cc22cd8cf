// A JPEG's marker segments: finding the EXIF block the way the metadata
// reader and the saving code do, and carrying a block into a JPEG.
#include <vector>

#include "fuzz_support.h"
#include "image/jpeg_exif_block.h"
#include "image/jpeg_exif_carrier.h"

namespace {

// "II*\0", IFD0 at 8 with no entries.
const std::vector<uint8_t> kEmptyBlock = {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> block;
  const bool found = CJpegExifBlock::FindInMemory(data, size, &block);
  // The file reading finds what the memory reading finds, through the same walk.
  std::vector<uint8_t> through_reader;
  const bool found_by_reader = CJpegExifBlock::Find(
      [data, size](uint64_t offset, void* buffer, size_t count) {
        if (offset > size || count > size - offset) {
          return false;
        }
        std::copy(data + offset, data + offset + count, static_cast<uint8_t*>(buffer));
        return true;
      },
      &through_reader);
  FUZZ_CHECK(found == found_by_reader);
  FUZZ_CHECK(!found || block == through_reader);

  // What the saving code does for a JPEG encoded without the source's block:
  // the inserted segment is the first one a later reading finds.
  CJpegExifCarrier carrier;
  const std::vector<uint8_t>& carried =
      found && carrier.SetBlock(block) ? carrier.block() : kEmptyBlock;
  std::vector<uint8_t> jpeg(data, data + size);
  if (!CJpegExifCarrier::InsertSegment(&jpeg, carried)) {
    return 0;
  }
  FUZZ_CHECK(jpeg.size() == size + 10 + carried.size());
  std::vector<uint8_t> read_back;
  FUZZ_CHECK(CJpegExifBlock::FindInMemory(jpeg.data(), jpeg.size(), &read_back));
  FUZZ_CHECK(read_back == carried);
  return 0;
}
