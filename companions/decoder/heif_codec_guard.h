#pragma once

#include <cstddef>
#include <cstdint>

// Guards put in front of libheif's HEVC and AV1 decoder plugins, where the
// size a bitstream gives its picture decides what the codecs and libheif
// allocate, whatever size the container claims. With them:
// - an HEVC picture whose sequence parameter set declares more than
//   max_pixels is refused before libde265 allocates it;
// - a decoded picture of more than max_pixels (an AV1 frame: dav1d allows
//   up to 32768 x 32768) is refused before libheif converts it;
// - an AV1 item without data is refused: libheif's plugin never frees the
//   buffer it makes for it.
// Called after heif_init, once per heif_init; the limit holds for every
// decoder until it is called again.
void RegisterHeifCodecGuards(uint64_t max_pixels);

// The picture size an HEVC sequence parameter set NAL unit (from its
// two-byte header on, with emulation prevention bytes) declares, in pixels;
// 0 when it cannot be read, which libde265 refuses as well.
uint64_t HevcSpsPixels(const uint8_t* nal, size_t size);
