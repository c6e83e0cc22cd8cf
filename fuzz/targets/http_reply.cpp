// A reply body of the HTTP module, inflated when the server sent it
// gzip-encoded, with the module's limit on what a reply may grow to.
#include <string>

#include "fuzz_support.h"
#include "http/gzip_codec.h"

namespace {

// The module allows 16 MiB; a smaller limit keeps each run quick and still
// exercises stopping at the limit.
constexpr size_t kMaxOutput = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  std::string inflated;
  if (!http_module::GzipInflate(body, kMaxOutput, &inflated)) {
    return 0;
  }
  FUZZ_CHECK(inflated.size() <= kMaxOutput);
  std::string compressed;
  FUZZ_CHECK(http_module::GzipCompress(inflated, &compressed));
  std::string again;
  FUZZ_CHECK(http_module::GzipInflate(compressed, kMaxOutput, &again));
  FUZZ_CHECK(again == inflated);
  return 0;
}
