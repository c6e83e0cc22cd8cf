#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Helpers shared by the fuzz targets.
namespace fuzz {

// The bytes as UTF-16 code units, little-endian, the way the program's texts
// arrive on Windows; an odd last byte is dropped. wchar_t is wider here, but
// every unit keeps its 16-bit value.
inline std::wstring Utf16Units(const uint8_t* data, size_t size) {
  std::wstring text(size / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<wchar_t>(data[2 * i] | data[2 * i + 1] << 8);
  }
  return text;
}

// A broken promise of the code under test: reported as a crash, so that the
// input is kept like any other finding.
[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
  std::abort();
}

}  // namespace fuzz

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : fuzz::Fail(#condition, __FILE__, __LINE__))
