#pragma once

#include <cstddef>
#include <string>

// The text of a received hand-over record: UTF-16 code units, little-endian,
// up to the first zero or the end of the byte_count bytes, whichever comes
// first, so a record without its terminating zero is still read safely. An
// odd last byte is not part of a unit and is ignored.
std::wstring HandOverText(const void* data, size_t byte_count);
