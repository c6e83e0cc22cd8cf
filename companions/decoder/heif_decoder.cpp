#include "heif_decoder.h"

#include <cstring>
#include <utility>
#include <vector>

#include "heif_canvas.h"
#include "heif_codec_guard.h"
#include "heif_geometry.h"
#include "libheif/heif.h"

namespace {

bool IsHeifBrand(const uint8_t* brand) {
  static const char* const kBrands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx", "hevm",
                                        "hevs", "mif1", "msf1", "mif2", "avif", "avis"};
  for (const char* known : kBrands) {
    if (std::memcmp(brand, known, 4) == 0) {
      return true;
    }
  }
  return false;
}

// The start of the TIFF structure in an EXIF item: the item begins with the
// structure's offset after those four bytes.
size_t TiffStart(const std::vector<uint8_t>& item) {
  auto is_tiff_at = [&item](size_t at) {
    return at + 8 <= item.size() && (std::memcmp(item.data() + at, "II*\0", 4) == 0 ||
                                     std::memcmp(item.data() + at, "MM\0*", 4) == 0);
  };
  if (item.size() >= 4) {
    const uint64_t offset =
        (uint64_t{item[0]} << 24) | (uint64_t{item[1]} << 16) | (uint64_t{item[2]} << 8) | item[3];
    if (offset < item.size() && is_tiff_at(static_cast<size_t>(4 + offset))) {
      return static_cast<size_t>(4 + offset);
    }
  }
  // Some writers leave the offset 0 before an "Exif\0\0" prefix.
  for (size_t at = 0; at < 64 && at < item.size(); ++at) {
    if (is_tiff_at(at)) {
      return at;
    }
  }
  return item.size();
}

}  // namespace

void CHeifDecoder::AttachLibrary(uint64_t max_pixels) {
  heif_init(nullptr);
  RegisterHeifCodecGuards(max_pixels);
}

void CHeifDecoder::DetachLibrary() { heif_deinit(); }

CHeifDecoder::CHeifDecoder() = default;

CHeifDecoder::~CHeifDecoder() {
  if (image_) {
    heif_image_release(image_);
  }
  if (context_) {
    heif_context_free(context_);
  }
}

bool CHeifDecoder::HasSignature(const uint8_t* data, size_t size) {
  if (size < 16 || std::memcmp(data + 4, "ftyp", 4) != 0) {
    return false;
  }
  const uint32_t box =
      (uint32_t{data[0]} << 24) | (uint32_t{data[1]} << 16) | (uint32_t{data[2]} << 8) | data[3];
  if (IsHeifBrand(data + 8)) {
    return true;
  }
  // The compatible brands follow the major brand and its version.
  for (size_t at = 16; at + 4 <= box && at + 4 <= size; at += 4) {
    if (IsHeifBrand(data + at)) {
      return true;
    }
  }
  return false;
}

bool CHeifDecoder::ReadHeader(const uint8_t* data, size_t size) {
  if (!data || context_ || !HasSignature(data, size) ||
      LargestHeifCanvas(data, size) > max_pixels()) {
    return false;
  }
  context_ = heif_context_alloc();
  if (!context_ || heif_context_read_from_memory_without_copy(context_, data, size, nullptr).code !=
                       heif_error_Ok) {
    return false;
  }
  heif_image_handle* handle = nullptr;
  if (heif_context_get_primary_image_handle(context_, &handle).code != heif_error_Ok || !handle) {
    return false;
  }
  // Refused before any pixel is decoded.
  const int claimed_width = heif_image_handle_get_width(handle);
  const int claimed_height = heif_image_handle_get_height(handle);
  bool ok = claimed_width > 0 && claimed_height > 0 &&
            uint64_t(claimed_width) * uint64_t(claimed_height) <= max_pixels();
  if (ok) {
    ReadMetadata(handle);
    heif_decoding_options* options = heif_decoding_options_alloc();
    // The geometry is applied here at any bit depth, after conversion to 8 bits.
    options->ignore_transformations = 1;
    options->convert_hdr_to_8bit = 1;
    ok = heif_decode_image(handle, &image_, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                           options)
                 .code == heif_error_Ok &&
         image_;
    heif_decoding_options_free(options);
  }
  heif_image_handle_release(handle);
  if (!ok || heif_image_get_bits_per_pixel(image_, heif_channel_interleaved) != 32) {
    return false;
  }
  const int width = heif_image_get_width(image_, heif_channel_interleaved);
  const int height = heif_image_get_height(image_, heif_channel_interleaved);
  if (width <= 0 || height <= 0) {
    return false;
  }
  transform_ = std::make_unique<CPixelTransform>(width, height);
  CHeifGeometry geometry;
  if (geometry.Read(data, size) && !geometry.Apply(transform_.get())) {
    return false;
  }
  if (!SetSize(transform_->width(), transform_->height())) {
    return false;
  }
  data_ = data;
  size_ = size;
  return true;
}

void CHeifDecoder::ReadMetadata(const heif_image_handle* handle) {
  heif_item_id exif_id = 0;
  if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &exif_id, 1) == 1) {
    std::vector<uint8_t> item(heif_image_handle_get_metadata_size(handle, exif_id));
    if (!item.empty() &&
        heif_image_handle_get_metadata(handle, exif_id, item.data()).code == heif_error_Ok) {
      const size_t start = TiffStart(item);
      exif_.assign(item.begin() + static_cast<ptrdiff_t>(start), item.end());
    }
  }
  const heif_color_profile_type profile = heif_image_handle_get_color_profile_type(handle);
  if (profile == heif_color_profile_type_prof || profile == heif_color_profile_type_rICC) {
    icc_profile_.resize(heif_image_handle_get_raw_color_profile_size(handle));
    if (icc_profile_.empty() ||
        heif_image_handle_get_raw_color_profile(handle, icc_profile_.data()).code !=
            heif_error_Ok) {
      icc_profile_.clear();
    }
  }
}

bool CHeifDecoder::Decode(uint8_t* pixels, size_t stride) {
  if (!image_ || !transform_) {
    return false;
  }
  int plane_stride = 0;
  uint8_t* plane = heif_image_get_plane(image_, heif_channel_interleaved, &plane_stride);
  if (!plane || plane_stride <= 0) {
    return false;
  }
  const int width = heif_image_get_width(image_, heif_channel_interleaved);
  const int height = heif_image_get_height(image_, heif_channel_interleaved);
  const bool premultiplied = heif_image_is_premultiplied_alpha(image_) != 0;
  // R, G, B, A in place to B, G, R, A with straight alpha.
  for (int y = 0; y < height; ++y) {
    uint8_t* p = plane + static_cast<size_t>(y) * static_cast<size_t>(plane_stride);
    for (int x = 0; x < width; ++x, p += 4) {
      std::swap(p[0], p[2]);
      if (premultiplied && p[3] != 0 && p[3] != 255) {
        for (int c = 0; c < 3; ++c) {
          const int straight = (p[c] * 255 + p[3] / 2) / p[3];
          p[c] = static_cast<uint8_t>(straight > 255 ? 255 : straight);
        }
      }
    }
  }
  transform_->Copy(plane, static_cast<size_t>(plane_stride), pixels, stride);
  heif_image_release(image_);
  image_ = nullptr;
  return true;
}
