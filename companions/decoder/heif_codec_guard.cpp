#include "heif_codec_guard.h"

#include <atomic>

#include "heif_boxes.h"
#include "libheif/heif.h"
#include "libheif/heif_plugin.h"
#include "libheif/plugins/heif_decoder_dav1d.h"
#include "libheif/plugins/heif_decoder_libde265.h"

namespace {

std::atomic<uint64_t> g_max_pixels{0};

constexpr int kHevcSpsType = 33;
// libde265 refuses exp-Golomb codes with more leading zeros.
constexpr int kMaxLeadingZeros = 20;

// The bits of a NAL unit's payload, its emulation prevention bytes (a 3
// after two zero bytes) left out.
class CNalBits {
 public:
  CNalBits(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint32_t Bits(int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      value = (value << 1) | Bit();
    }
    return value;
  }
  void Skip(int count) { Bits(count); }
  // ue(v); fails beyond kMaxLeadingZeros.
  uint32_t Ue() {
    int zeros = 0;
    while (ok_ && Bit() == 0) {
      if (++zeros > kMaxLeadingZeros) {
        ok_ = false;
      }
    }
    return ok_ ? (uint32_t{1} << zeros) - 1 + Bits(zeros) : 0;
  }
  bool ok() const { return ok_; }

 private:
  uint32_t Bit() {
    if (bit_ == 0) {
      if (at_ < size_ && zeros_ >= 2 && data_[at_] == 3) {
        ++at_;
        zeros_ = 0;
      }
      if (at_ >= size_) {
        ok_ = false;
        return 0;
      }
      byte_ = data_[at_++];
      zeros_ = byte_ == 0 ? zeros_ + 1 : 0;
    }
    const uint32_t value = (byte_ >> (7 - bit_)) & 1;
    bit_ = (bit_ + 1) % 8;
    return value;
  }

  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
  int zeros_ = 0;
  uint8_t byte_ = 0;
  int bit_ = 0;
  bool ok_ = true;
};

const heif_decoder_plugin* Hevc() { return get_decoder_plugin_libde265(); }
const heif_decoder_plugin* Av1() { return get_decoder_plugin_dav1d(); }

heif_error Refused(const char* why) {
  return {heif_error_Memory_allocation_error, heif_suberror_Security_limit_exceeded, why};
}

// Chosen before the plugins they guard.
int SupportsHevc(heif_compression_format format) {
  const int priority = Hevc()->does_support_format(format);
  return priority > 0 ? priority + 1 : 0;
}
int SupportsAv1(heif_compression_format format) {
  const int priority = Av1()->does_support_format(format);
  return priority > 0 ? priority + 1 : 0;
}

// libheif hands the plugin NAL units with 4-byte big-endian lengths.
heif_error PushHevcData(void* decoder, const void* data, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  for (size_t at = 0; size - at >= 4;) {
    const uint32_t length = heif_boxes::Read32(bytes + at);
    at += 4;
    if (length > size - at) {
      break;
    }
    if (length >= 2 && ((bytes[at] >> 1) & 0x3F) == kHevcSpsType &&
        HevcSpsPixels(bytes + at, length) > g_max_pixels) {
      return Refused("The sequence parameter set declares too large a picture");
    }
    at += length;
  }
  return Hevc()->push_data(decoder, data, size);
}

heif_error PushAv1Data(void* decoder, const void* data, size_t size) {
  if (size == 0) {
    return {heif_error_Invalid_input, heif_suberror_No_item_data, "The item has no data"};
  }
  return Av1()->push_data(decoder, data, size);
}

heif_error CheckDecoded(heif_error decoded, heif_image** image) {
  if (decoded.code != heif_error_Ok || !*image) {
    return decoded;
  }
  const int width = heif_image_get_primary_width(*image);
  const int height = heif_image_get_primary_height(*image);
  if (width > 0 && height > 0 && uint64_t(width) * uint64_t(height) <= g_max_pixels) {
    return decoded;
  }
  heif_image_release(*image);
  *image = nullptr;
  return Refused("The decoded picture is too large");
}

heif_error DecodeHevc(void* decoder, heif_image** image) {
  return CheckDecoded(Hevc()->decode_image(decoder, image), image);
}
heif_error DecodeAv1(void* decoder, heif_image** image) {
  return CheckDecoded(Av1()->decode_image(decoder, image), image);
}

const heif_decoder_plugin* HevcGuard() {
  static const heif_decoder_plugin guard = [] {
    heif_decoder_plugin plugin = *Hevc();
    plugin.does_support_format = SupportsHevc;
    plugin.push_data = PushHevcData;
    plugin.decode_image = DecodeHevc;
    return plugin;
  }();
  return &guard;
}

const heif_decoder_plugin* Av1Guard() {
  static const heif_decoder_plugin guard = [] {
    heif_decoder_plugin plugin = *Av1();
    plugin.does_support_format = SupportsAv1;
    plugin.push_data = PushAv1Data;
    plugin.decode_image = DecodeAv1;
    return plugin;
  }();
  return &guard;
}

}  // namespace

void RegisterHeifCodecGuards(uint64_t max_pixels) {
  g_max_pixels = max_pixels;
  heif_register_decoder_plugin(HevcGuard());
  heif_register_decoder_plugin(Av1Guard());
}

uint64_t HevcSpsPixels(const uint8_t* nal, size_t size) {
  if (!nal || size < 2) {
    return 0;
  }
  // The two-byte NAL unit header holds no emulation prevention.
  CNalBits bits(nal + 2, size - 2);
  bits.Skip(4);  // sps_video_parameter_set_id
  const uint32_t sub_layers = bits.Bits(3) + 1;
  bits.Skip(1);  // sps_temporal_id_nesting_flag
  if (sub_layers > 7) {
    return 0;
  }
  // profile_tier_level: the general profile (88 bits) and level, then what
  // each further sub-layer has of the same.
  bits.Skip(88 + 8);
  bool profile_present[8] = {};
  bool level_present[8] = {};
  for (uint32_t i = 0; i + 1 < sub_layers; ++i) {
    profile_present[i] = bits.Bits(1) != 0;
    level_present[i] = bits.Bits(1) != 0;
  }
  if (sub_layers > 1) {
    bits.Skip(2 * static_cast<int>(9 - sub_layers));
  }
  for (uint32_t i = 0; i + 1 < sub_layers; ++i) {
    bits.Skip((profile_present[i] ? 88 : 0) + (level_present[i] ? 8 : 0));
  }
  bits.Ue();  // sps_seq_parameter_set_id
  const uint32_t chroma_format = bits.Ue();
  if (chroma_format == 3) {
    bits.Skip(1);  // separate_colour_plane_flag
  }
  const uint64_t width = bits.Ue();
  const uint64_t height = bits.Ue();
  return bits.ok() ? width * height : 0;
}
