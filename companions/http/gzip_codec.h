#pragma once

#include <string>

namespace http_module {

// Whole-buffer gzip compression and inflation. Inflating also accepts a zlib
// stream and stops with false beyond max_output bytes.
bool GzipCompress(const std::string& input, std::string* output);
bool GzipInflate(const std::string& input, size_t max_output, std::string* output);

}  // namespace http_module
