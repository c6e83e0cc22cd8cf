#pragma once

#include <cstddef>
#include <cstdint>

// Grids and overlays are pictures a HEIF file composes of others on a canvas
// whose size their descriptor gives. libheif allocates the canvas before it
// decodes any part, whatever size the file claims for the picture (its ispe
// property), so a descriptor of a few bytes can make it allocate gigabytes.
// Returns the most pixels any grid or overlay item of the whole file is
// composed on, as libheif would read its descriptor; 0 when there is none.
uint64_t LargestHeifCanvas(const uint8_t* data, size_t size);
