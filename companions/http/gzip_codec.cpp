#include "http/gzip_codec.h"

#include <zlib.h>

namespace http_module {

namespace {

constexpr int kGzipWindowBits = 15 + 16;
constexpr int kAutoDetectWindowBits = 15 + 32;
constexpr size_t kChunk = 64 * 1024;

}  // namespace

bool GzipCompress(const std::string& input, std::string* output) {
  z_stream stream = {};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    return false;
  }
  std::string result(deflateBound(&stream, static_cast<uLong>(input.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = reinterpret_cast<Bytef*>(&result[0]);
  stream.avail_out = static_cast<uInt>(result.size());
  const int status = deflate(&stream, Z_FINISH);
  result.resize(stream.total_out);
  deflateEnd(&stream);
  if (status != Z_STREAM_END) {
    return false;
  }
  *output = std::move(result);
  return true;
}

bool GzipInflate(const std::string& input, size_t max_output, std::string* output) {
  z_stream stream = {};
  if (inflateInit2(&stream, kAutoDetectWindowBits) != Z_OK) {
    return false;
  }
  std::string result;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  int status = Z_OK;
  char buffer[kChunk];
  while (status == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof(buffer);
    status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) {
      break;
    }
    result.append(buffer, sizeof(buffer) - stream.avail_out);
    if (result.size() > max_output) {
      status = Z_MEM_ERROR;
      break;
    }
    if (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0) {
      status = Z_DATA_ERROR;  // the stream ends early
    }
  }
  inflateEnd(&stream);
  if (status != Z_STREAM_END) {
    return false;
  }
  *output = std::move(result);
  return true;
}

}  // namespace http_module
