#include "app/hand_over_text.h"

#include <cstdint>

std::wstring HandOverText(const void* data, size_t byte_count) {
  if (!data) {
    return std::wstring();
  }
  // Read byte by byte: the record's bytes need not be aligned for wchar_t.
  const auto* bytes = static_cast<const uint8_t*>(data);
  const size_t units = byte_count / 2;
  auto unit = [bytes](size_t i) {
    return static_cast<wchar_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  };
  size_t length = 0;
  while (length < units && unit(length) != L'\0') {
    ++length;
  }
  std::wstring text(length, L'\0');
  for (size_t i = 0; i < length; ++i) {
    text[i] = unit(i);
  }
  return text;
}
