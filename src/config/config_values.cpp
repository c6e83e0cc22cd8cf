#include "config/config_values.h"

#include <climits>
#include <cwctype>
#include <vector>

namespace config_values {

int64_t ParseInt64(const wchar_t* text) {
  while (*text && iswspace(*text)) {
    ++text;
  }
  bool negative = false;
  if (*text == L'-' || *text == L'+') {
    negative = *text == L'-';
    ++text;
  }
  uint64_t magnitude = 0;
  const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
  for (; *text >= L'0' && *text <= L'9'; ++text) {
    const uint64_t digit = static_cast<uint64_t>(*text - L'0');
    if (magnitude > (limit - digit) / 10) {
      magnitude = limit;
      break;
    }
    magnitude = magnitude * 10 + digit;
  }
  if (negative) {
    return magnitude == uint64_t(INT64_MAX) + 1 ? INT64_MIN : -static_cast<int64_t>(magnitude);
  }
  return static_cast<int64_t>(magnitude);
}

int32_t LeadingInt32(const wchar_t* text) {
  const bool negative = *text == L'-';
  if (negative || *text == L'+') {
    ++text;
  }
  uint32_t value = 0;
  for (; *text >= L'0' && *text <= L'9'; ++text) {
    value = value * 10 + static_cast<uint32_t>(*text - L'0');
  }
  return Low32(negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value));
}

int32_t Low32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

int32_t AsFlag(int64_t value) { return value != 0 ? 1 : 0; }

int32_t Clamp(int64_t value, int32_t low, int32_t high) {
  const int32_t low32 = Low32(value);
  return low32 >= high ? high : (low32 <= low ? low : low32);
}

int32_t WheelAction(int64_t value) { return value == 99 ? 99 : AsFlag(value); }

bool ParseCanvasColor(const std::wstring& text, uint32_t* color) {
  std::vector<std::wstring> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L',', start);
    if (end == std::wstring::npos) {
      end = text.size();
    }
    if (end > start) {
      pieces.push_back(text.substr(start, end - start));
    }
    start = end + 1;
  }
  if (pieces.size() != 3) {
    return false;
  }
  // Hand-edited files often read "39, 39, 39"; not every shell skips the blanks.
  auto byte = [](const std::wstring& piece) {
    const size_t first = piece.find_first_not_of(L" \t");
    return first == std::wstring::npos
               ? 0u
               : static_cast<uint32_t>(LeadingInt32(piece.c_str() + first)) & 0xFF;
  };
  *color = byte(pieces[0]) | byte(pieces[1]) << 8 | byte(pieces[2]) << 16;
  return true;
}

}  // namespace config_values
