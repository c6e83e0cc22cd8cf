// The multipart form the feedback report is sent as: field names and values
// of the user's choosing, and boundaries that must occur in none of them.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "http/multipart_body.h"

namespace {

// The characters a boundary may have.
bool IsBoundaryText(const std::string& text) {
  if (text.empty() || text.size() > 70) {
    return false;
  }
  for (char c : text) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    std::string("'()+_,-./:=?").find(c) != std::string::npos;
    if (!ok) {
      return false;
    }
  }
  return true;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  std::vector<std::string> candidates;
  const size_t candidate_count = input.ConsumeIntegralInRange<size_t>(0, 4);
  for (size_t i = 0; i < candidate_count; ++i) {
    std::string candidate = input.ConsumeRandomLengthString(72);
    if (IsBoundaryText(candidate)) {
      candidates.push_back(candidate);
    }
  }
  std::vector<std::pair<std::string, std::string>> fields;
  size_t longest = 0;
  while (input.remaining_bytes() > 0 && fields.size() < 16) {
    std::string name = input.ConsumeRandomLengthString(64);
    std::string value = input.ConsumeRandomLengthString(4096);
    longest = std::max({longest, name.size(), value.size()});
    fields.emplace_back(std::move(name), std::move(value));
  }
  // The candidates from the input first, then one too long to be in a field.
  const http_module::CMultipartBody body(fields, [&](unsigned attempt) {
    return attempt < candidates.size() ? candidates[attempt] : std::string(longest + 1, 'b');
  });
  const std::string& boundary = body.boundary();
  for (const auto& field : fields) {
    FUZZ_CHECK(field.first.find(boundary) == std::string::npos);
    FUZZ_CHECK(field.second.find(boundary) == std::string::npos);
  }
  // A receiver splitting at the delimiters gets exactly the parts back.
  const std::string built = body.Build();
  FUZZ_CHECK(Count(built, "\r\n--" + boundary) == fields.size());
  const std::string closing = "--" + boundary + "--\r\n";
  FUZZ_CHECK(built.size() >= closing.size() &&
             built.compare(built.size() - closing.size(), closing.size(), closing) == 0);
  FUZZ_CHECK(fields.empty() ||
             built.compare(0, boundary.size() + 4, "--" + boundary + "\r\n") == 0);
  FUZZ_CHECK(body.ContentType() == "multipart/form-data; boundary=" + boundary);
  return 0;
}
