// The skin archive reader over a block of memory: resources\res.zip and the
// program's zip resource as the toolkit opens them. Every entry the directory
// lists is looked up in other letter cases and unpacked; what unpacks must
// keep the reader's limits.
#include <cwctype>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "toolkit/zip_archive.h"

namespace {

// Unpacking is bounded by the entry limit, not by the input: a directory may
// list the same data many times, so only so many entries are unpacked.
constexpr size_t kMaxExtracted = 64;

std::wstring OtherCase(const std::wstring& name) {
  std::wstring other = name;
  for (wchar_t& c : other) {
    if (c >= L'a' && c <= L'z') {
      c = static_cast<wchar_t>(c - L'a' + L'A');
    } else if (c >= L'A' && c <= L'Z') {
      c = static_cast<wchar_t>(c - L'A' + L'a');
    } else if (c == L'/') {
      c = L'\\';
    }
  }
  return other;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CZipArchive zip;
  const bool opened = zip.OpenMemory(std::vector<uint8_t>(data, data + size));
  FUZZ_CHECK(opened == zip.IsOpen());
  const std::vector<std::wstring> names = zip.Names();
  FUZZ_CHECK(opened || names.empty());
  size_t extracted = 0;
  for (const std::wstring& name : names) {
    FUZZ_CHECK(!name.empty());
    FUZZ_CHECK(zip.Contains(name));
    FUZZ_CHECK(zip.Contains(OtherCase(name)));
    if (extracted++ == kMaxExtracted) {
      break;
    }
    std::vector<uint8_t> bytes(3, 0xAA);
    const bool ok = zip.Extract(OtherCase(name), &bytes);
    FUZZ_CHECK(ok || bytes.empty());
    FUZZ_CHECK(bytes.size() <= CZipArchive::kMaxEntrySize);
    std::vector<uint8_t> again;
    FUZZ_CHECK(zip.Extract(name, &again) == ok && again == bytes);
  }
  std::vector<uint8_t> missing(1, 0);
  FUZZ_CHECK(!zip.Extract(L"no such entry.xml", &missing) && missing.empty());
  return 0;
}
