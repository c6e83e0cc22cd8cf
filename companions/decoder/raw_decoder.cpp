#include "raw_decoder.h"

#include "libraw/libraw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

static_assert(std::is_same<INT64, long long>::value, "LibRaw's INT64 is long long");

// The file in memory, noting how much LibRaw asked for beyond its end: a
// file cut short shows as data read from past the end.
//
// Some of LibRaw's parsers loop for ever over a damaged file (a RIFF chunk
// list whose size runs past the end goes round at the end of the file). So
// the stream fails, with the exception LibRaw's own checks throw and its
// entry points turn into an error, once LibRaw has gone far beyond what
// reading the file takes: more than kMaxMissedReads reads past the end in
// one step of the decoding, or more operations and bytes read than 64 times
// the file's size and 16 million.
class CRawFileStream : public LibRaw_buffer_datastream {
 public:
  CRawFileStream(const uint8_t* data, size_t size)
      : LibRaw_buffer_datastream(const_cast<uint8_t*>(data), size),
        budget_(64 * uint64_t{size} + (uint64_t{1} << 24)) {}

  int read(void* buffer, size_t size, size_t count) override {
    const INT64 left = this->size() - LibRaw_buffer_datastream::tell();
    const uint64_t wanted = uint64_t{size} * count;
    const uint64_t available = left < 0 ? 0 : static_cast<uint64_t>(left);
    if (wanted > available) {
      Miss(wanted - available);
    }
    Spend(1 + std::min(wanted, available));
    return LibRaw_buffer_datastream::read(buffer, size, count);
  }
  int get_char() override {
    if (LibRaw_buffer_datastream::tell() >= size()) {
      Miss(1);
    }
    Spend(1);
    return LibRaw_buffer_datastream::get_char();
  }
  int seek(INT64 offset, int whence) override {
    Spend(1);
    return LibRaw_buffer_datastream::seek(offset, whence);
  }
  INT64 tell() override {
    Spend(1);
    return LibRaw_buffer_datastream::tell();
  }

  // LibRaw's own line and number readers of a buffer run past their ends:
  // its gets leaves a line as long as the buffer without a terminating zero
  // and writes one byte beyond the buffer, its scanf_one scans the file's
  // bytes as if they ended in a zero. These are fgets and fscanf of one field.
  char* gets(char* line, int line_size) override {
    Spend(1);
    if (!line || line_size < 1 || LibRaw_buffer_datastream::tell() >= size()) {
      return nullptr;
    }
    int length = 0;
    while (length < line_size - 1) {
      const int c = LibRaw_buffer_datastream::get_char();
      if (c < 0) {
        break;
      }
      line[length++] = static_cast<char>(c);
      if (c == '\n') {
        break;
      }
    }
    line[length] = 0;
    Spend(static_cast<uint64_t>(length));
    return line;
  }
  int scanf_one(const char* format, void* value) override {
    // LibRaw reads numbers ("%d", "%f") this way, each well within the field.
    char field[64] = {};
    const INT64 start = LibRaw_buffer_datastream::tell();
    const int got = LibRaw_buffer_datastream::read(field, 1, sizeof field - 1);
    Spend(1 + static_cast<uint64_t>(got));
    const int result = std::sscanf(field, format, value);
    // Past the number as LibRaw's reader goes: up to the next separator
    // after the first byte, at most 25 bytes on.
    int advance = 0;
    if (result > 0) {
      while (advance < got) {
        ++advance;
        const char c = advance < got ? field[advance] : 0;
        if (c == 0 || c == ' ' || c == '\t' || c == '\n' || advance > 24) {
          break;
        }
      }
    }
    LibRaw_buffer_datastream::seek(start + advance, SEEK_SET);
    return result;
  }

  // Bit readers may look a few bytes past the data they decode; more than
  // that means the data itself is missing.
  bool CutShort() const { return missing_ > 64; }
  // At the start of each step of the decoding.
  void Reset() {
    missing_ = 0;
    missed_reads_ = 0;
  }

 private:
  static constexpr uint64_t kMaxMissedReads = uint64_t{1} << 16;

  void Miss(uint64_t bytes) {
    missing_ += bytes;
    if (++missed_reads_ > kMaxMissedReads) {
      throw LIBRAW_EXCEPTION_IO_EOF;
    }
  }
  void Spend(uint64_t units) {
    if (units > budget_) {
      budget_ = 0;
      throw LIBRAW_EXCEPTION_IO_CORRUPT;
    }
    budget_ -= units;
  }

  uint64_t missing_ = 0;
  uint64_t missed_reads_ = 0;
  uint64_t budget_;
};

namespace {

using Directory = CExifBlockBuilder::Directory;

// EXIF tags of the first directory worth handing on; the others describe
// the file's own layout.
bool IsDescriptiveTag(uint16_t tag) {
  switch (tag) {
    case 270:    // ImageDescription
    case 271:    // Make
    case 272:    // Model
    case 305:    // Software
    case 306:    // DateTime
    case 315:    // Artist
    case 33432:  // Copyright
      return true;
    default:
      return false;
  }
}

uint32_t Rounded(double value) {
  return value <= 0 ? 0u : value >= 4294967295.0 ? 4294967295u : static_cast<uint32_t>(value + 0.5);
}

bool LocalTime(time_t stamp, struct tm* local) {
#ifdef _WIN32
  return localtime_s(local, &stamp) == 0;
#else
  return localtime_r(&stamp, local) != nullptr;
#endif
}

}  // namespace

CRawDecoder::CRawDecoder(std::unique_ptr<CJpegPreviewDecoder> jpeg_decoder)
    : jpeg_decoder_(std::move(jpeg_decoder)) {}

CRawDecoder::~CRawDecoder() = default;

void CRawDecoder::OnExifField(void* context, int tag, int type, int length, unsigned int order,
                              void* stream, long long /*base*/) {
  // LibRaw reports every directory entry it parses: IFD tags with the
  // directory's number from bit 20 on (Panasonic's first directory as
  // 0x30000), the Exif directory's tags as they are, GPS ones with 0x50000.
  const uint16_t number = static_cast<uint16_t>(tag & 0xFFFF);
  const int group = (tag >> 16) & 0xF;
  Directory directory;
  if ((tag >> 20) != 0 || group == 3) {
    if (!IsDescriptiveTag(number)) {
      return;
    }
    directory = CExifBlockBuilder::kPrimary;
  } else if (group == 0) {
    if (number == 0x927C || number == 0xA005) {  // maker notes, interoperability
      return;
    }
    directory = CExifBlockBuilder::kExif;
  } else if (group == 5) {
    directory = CExifBlockBuilder::kGps;
  } else {
    return;
  }
  const size_t unit = CExifBlockBuilder::TypeSize(static_cast<uint16_t>(type));
  if (unit == 0 || length <= 0 || static_cast<size_t>(length) > 4096 / unit || !stream) {
    return;
  }
  auto* self = static_cast<CRawDecoder*>(context);
  if (self->exif_fields_.Has(directory, number)) {
    return;
  }
  try {
    std::vector<uint8_t> bytes(unit * static_cast<size_t>(length));
    auto* source = static_cast<LibRaw_abstract_datastream*>(stream);
    if (source->read(bytes.data(), 1, bytes.size()) != static_cast<int>(bytes.size())) {
      return;
    }
    self->exif_fields_.AddInOrder(directory, number, static_cast<uint16_t>(type),
                                  static_cast<uint32_t>(length), bytes.data(), order == 0x4D4D);
  } catch (const std::bad_alloc&) {
  }
}

bool CRawDecoder::ReadHeader(const uint8_t* data, size_t size) {
  if (!data || size < 16 || raw_) {
    return false;
  }
  stream_.reset(new (std::nothrow) CRawFileStream(data, size));
  raw_.reset(new (std::nothrow) LibRaw(LIBRAW_OPTIONS_NONE));
  if (!stream_ || !raw_) {
    return false;
  }
  raw_->set_exifparser_handler(&CRawDecoder::OnExifField, this);
  if (raw_->open_datastream(stream_.get()) != LIBRAW_SUCCESS) {
    return false;
  }
  const libraw_image_sizes_t& sizes = raw_->imgdata.sizes;
  // The sensor data of the largest cameras exceeds the picture limit; the
  // half-size development does not.
  if (sizes.width == 0 || sizes.height == 0 || sizes.raw_width == 0 || sizes.raw_height == 0 ||
      uint64_t{sizes.raw_width} * sizes.raw_height > 2 * max_pixels()) {
    return false;
  }
  data_ = data;
  size_ = size;
  FinishExif();
  return OpenPreview() || Develop();
}

void CRawDecoder::FinishExif() {
  // What the file's directories did not give, from LibRaw's reading of it
  // (formats without TIFF directories keep these fields elsewhere).
  const libraw_iparams_t& ids = raw_->imgdata.idata;
  const libraw_imgother_t& other = raw_->imgdata.other;
  exif_fields_.AddAscii(CExifBlockBuilder::kPrimary, 271,
                        std::string(ids.make, strnlen(ids.make, sizeof ids.make)));
  exif_fields_.AddAscii(CExifBlockBuilder::kPrimary, 272,
                        std::string(ids.model, strnlen(ids.model, sizeof ids.model)));
  if (other.timestamp > 0) {
    struct tm local = {};
    char text[32] = {};
    if (LocalTime(other.timestamp, &local) &&
        std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local) > 0) {
      exif_fields_.AddAscii(CExifBlockBuilder::kExif, 36867, text);
    }
  }
  if (other.iso_speed >= 1 && other.iso_speed <= 65535) {
    exif_fields_.AddShort(CExifBlockBuilder::kExif, 34855,
                          static_cast<uint16_t>(Rounded(other.iso_speed)));
  }
  if (other.shutter > 0 && other.shutter < 100000) {
    if (other.shutter < 1) {
      exif_fields_.AddRational(CExifBlockBuilder::kExif, 33434, 1, Rounded(1.0 / other.shutter));
    } else {
      exif_fields_.AddRational(CExifBlockBuilder::kExif, 33434, Rounded(other.shutter * 10), 10);
    }
  }
  if (other.aperture > 0 && other.aperture < 1000) {
    exif_fields_.AddRational(CExifBlockBuilder::kExif, 33437, Rounded(other.aperture * 10), 10);
  }
  if (other.focal_len > 0 && other.focal_len < 100000) {
    exif_fields_.AddRational(CExifBlockBuilder::kExif, 37386, Rounded(other.focal_len * 10), 10);
  }
  const char* lens = raw_->imgdata.lens.Lens;
  exif_fields_.AddAscii(CExifBlockBuilder::kExif, 42036,
                        std::string(lens, strnlen(lens, sizeof raw_->imgdata.lens.Lens)));
  exif_ = exif_fields_.Build();
}

bool CRawDecoder::OpenPreview() {
  stream_->Reset();
  if (raw_->unpack_thumb() != LIBRAW_SUCCESS || stream_->CutShort()) {
    return false;
  }
  const libraw_thumbnail_t& thumbnail = raw_->imgdata.thumbnail;
  if (!thumbnail.thumb || thumbnail.tlength == 0) {
    return false;
  }
  if (thumbnail.tformat == LIBRAW_THUMBNAIL_JPEG) {
    return OpenJpegPreview(reinterpret_cast<const uint8_t*>(thumbnail.thumb), thumbnail.tlength);
  }
  if (thumbnail.tformat == LIBRAW_THUMBNAIL_BITMAP) {
    return OpenBitmapPreview();
  }
  return false;
}

bool CRawDecoder::OpenJpegPreview(const uint8_t* jpeg, size_t size) {
  if (!jpeg_decoder_ || !jpeg_decoder_->Open(jpeg, size)) {
    return false;
  }
  const uint32_t width = jpeg_decoder_->width();
  const uint32_t height = jpeg_decoder_->height();
  const libraw_image_sizes_t& sizes = raw_->imgdata.sizes;
  // Smaller previews are thumbnails: the sensor data shows more.
  if (width == 0 || height == 0 ||
      uint64_t{std::max(width, height)} * 2 < std::max(sizes.width, sizes.height) ||
      uint64_t{width} * height > max_pixels()) {
    return false;
  }
  SetStoredSize(width, height);
  ApplyFlip(sizes.flip, transform_.get());
  preview_jpeg_ = SetSize(transform_->width(), transform_->height());
  return preview_jpeg_;
}

bool CRawDecoder::OpenBitmapPreview() {
  const libraw_thumbnail_t& thumbnail = raw_->imgdata.thumbnail;
  const libraw_image_sizes_t& sizes = raw_->imgdata.sizes;
  const uint32_t width = thumbnail.twidth;
  const uint32_t height = thumbnail.theight;
  const int colours = thumbnail.tcolors;
  if (width == 0 || height == 0 || (colours != 1 && colours != 3) ||
      uint64_t{std::max(width, height)} * 2 < std::max(sizes.width, sizes.height) ||
      uint64_t{width} * height > max_pixels() ||
      thumbnail.tlength < uint64_t{width} * height * static_cast<uint64_t>(colours)) {
    return false;
  }
  bgra_.resize(size_t{width} * height * 4);
  const uint8_t* from = reinterpret_cast<const uint8_t*>(thumbnail.thumb);
  for (size_t i = 0, n = size_t{width} * height; i < n; ++i, from += colours) {
    bgra_[i * 4 + 0] = from[colours == 3 ? 2 : 0];
    bgra_[i * 4 + 1] = from[colours == 3 ? 1 : 0];
    bgra_[i * 4 + 2] = from[0];
    bgra_[i * 4 + 3] = 255;
  }
  SetStoredSize(width, height);
  ApplyFlip(sizes.flip, transform_.get());
  preview_bitmap_ = SetSize(transform_->width(), transform_->height());
  return preview_bitmap_;
}

bool CRawDecoder::Develop() {
  libraw_output_params_t& params = raw_->imgdata.params;
  params.half_size = 1;
  params.use_camera_wb = 1;
  params.output_bps = 8;
  params.output_color = 1;  // sRGB
  stream_->Reset();
  if (raw_->unpack() != LIBRAW_SUCCESS || stream_->CutShort() ||
      raw_->dcraw_process() != LIBRAW_SUCCESS) {
    return false;
  }
  int error = 0;
  libraw_processed_image_t* image = raw_->dcraw_make_mem_image(&error);
  if (!image) {
    return false;
  }
  const uint32_t width = image->width;
  const uint32_t height = image->height;
  const int colours = image->colors;
  // The development is already turned upright.
  bool ok = image->type == LIBRAW_IMAGE_BITMAP && image->bits == 8 &&
            (colours == 1 || colours == 3) && SetSize(width, height) &&
            image->data_size >= uint64_t{width} * height * static_cast<uint64_t>(colours);
  if (ok) {
    bgra_.resize(size_t{width} * height * 4);
    const uint8_t* from = image->data;
    for (size_t i = 0, n = size_t{width} * height; i < n; ++i, from += colours) {
      bgra_[i * 4 + 0] = from[colours == 3 ? 2 : 0];
      bgra_[i * 4 + 1] = from[colours == 3 ? 1 : 0];
      bgra_[i * 4 + 2] = from[0];
      bgra_[i * 4 + 3] = 255;
    }
    SetStoredSize(width, height);
  }
  LibRaw::dcraw_clear_mem(image);
  raw_->recycle();
  return ok;
}

void CRawDecoder::SetStoredSize(uint32_t width, uint32_t height) {
  stored_width_ = width;
  stored_height_ = height;
  transform_ = std::make_unique<CPixelTransform>(width, height);
}

void CRawDecoder::ApplyFlip(int flip, CPixelTransform* transform) {
  if (flip & 1) {
    transform->MirrorLeftRight();
  }
  if (flip & 2) {
    transform->MirrorTopBottom();
  }
  if (flip & 4) {
    // The axes exchanged: a quarter turn, then top and bottom.
    transform->RotateCounterClockwise(1);
    transform->MirrorTopBottom();
  }
}

bool CRawDecoder::Decode(uint8_t* pixels, size_t stride) {
  if (!transform_) {
    return false;
  }
  if (preview_jpeg_) {
    if (transform_->IsIdentity()) {
      return jpeg_decoder_->CopyPixels(pixels, stride);
    }
    try {
      bgra_.resize(size_t{stored_width_} * stored_height_ * 4);
    } catch (const std::bad_alloc&) {
      return false;
    }
    if (!jpeg_decoder_->CopyPixels(bgra_.data(), size_t{stored_width_} * 4)) {
      return false;
    }
  }
  if (bgra_.empty() || bgra_.size() != size_t{stored_width_} * stored_height_ * 4) {
    return false;
  }
  transform_->Copy(bgra_.data(), size_t{stored_width_} * 4, pixels, stride);
  return true;
}
