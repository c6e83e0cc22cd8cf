#include "toolkit/skin_attributes.h"

#include <climits>
#include <cwctype>

namespace skin_attr {

namespace {

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring Trim(const std::wstring& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsSpace(text[first])) {
    ++first;
  }
  while (last > first && IsSpace(text[last - 1])) {
    --last;
  }
  return text.substr(first, last - first);
}

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') {
    return c - L'0';
  }
  if (c >= L'a' && c <= L'f') {
    return c - L'a' + 10;
  }
  if (c >= L'A' && c <= L'F') {
    return c - L'A' + 10;
  }
  return -1;
}

}  // namespace

bool SameName(const std::wstring& a, const wchar_t* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) {
      return false;
    }
  }
  return i == a.size() && b[i] == 0;
}

bool ParseInt(const std::wstring& text, int* value) {
  const std::wstring part = Trim(text);
  if (part.empty()) {
    return false;
  }
  size_t at = 0;
  const bool negative = part[0] == L'-';
  if (negative || part[0] == L'+') {
    at = 1;
  }
  if (at == part.size()) {
    return false;
  }
  long long number = 0;
  for (; at < part.size(); ++at) {
    if (part[at] < L'0' || part[at] > L'9') {
      return false;
    }
    number = number * 10 + (part[at] - L'0');
    if (number > INT_MAX) {
      return false;
    }
  }
  *value = static_cast<int>(negative ? -number : number);
  return true;
}

bool ParseInts(const std::wstring& text, size_t max_count, std::vector<int>* values) {
  values->clear();
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = text.find(L',', start);
    const std::wstring part =
        text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
    int value = 0;
    if (values->size() == max_count || !ParseInt(part, &value)) {
      return false;
    }
    values->push_back(value);
    if (comma == std::wstring::npos) {
      break;
    }
    start = comma + 1;
  }
  return !values->empty();
}

bool ParseBox(const std::wstring& text, CBox* box) {
  std::vector<int> values;
  if (!ParseInts(text, 4, &values)) {
    return false;
  }
  values.resize(4, 0);
  *box = {values[0], values[1], values[2], values[3]};
  return true;
}

bool ParseSize(const std::wstring& text, int* cx, int* cy) {
  std::vector<int> values;
  if (!ParseInts(text, 2, &values) || values.size() != 2) {
    return false;
  }
  *cx = values[0];
  *cy = values[1];
  return true;
}

bool ParseBool(const std::wstring& text, bool* value) {
  const std::wstring word = Trim(text);
  if (SameName(word, L"true")) {
    *value = true;
    return true;
  }
  if (SameName(word, L"false")) {
    *value = false;
    return true;
  }
  return false;
}

bool ParseColor(const std::wstring& text, uint32_t* argb) {
  std::wstring digits = Trim(text);
  if (!digits.empty() && digits[0] == L'#') {
    digits.erase(0, 1);
  } else if (digits.size() > 2 && digits[0] == L'0' && (digits[1] == L'x' || digits[1] == L'X')) {
    digits.erase(0, 2);
  } else {
    return false;
  }
  if (digits.size() != 6 && digits.size() != 8) {
    return false;
  }
  uint32_t value = 0;
  for (wchar_t c : digits) {
    const int digit = HexDigit(c);
    if (digit < 0) {
      return false;
    }
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  *argb = digits.size() == 6 ? (0xFF000000u | value) : value;
  return true;
}

bool ParseImageSpec(const std::wstring& text, CImageSpec* look) {
  *look = CImageSpec();
  const std::wstring whole = Trim(text);
  if (whole.find(L'=') == std::wstring::npos) {
    look->file = whole;
    return !whole.empty();
  }
  size_t at = 0;
  while (at < whole.size()) {
    while (at < whole.size() && IsSpace(whole[at])) {
      ++at;
    }
    if (at == whole.size()) {
      break;
    }
    const size_t equals = whole.find(L'=', at);
    if (equals == std::wstring::npos || equals + 1 >= whole.size() ||
        (whole[equals + 1] != L'\'' && whole[equals + 1] != L'"')) {
      return false;
    }
    const wchar_t quote = whole[equals + 1];
    const size_t close = whole.find(quote, equals + 2);
    if (close == std::wstring::npos) {
      return false;
    }
    const std::wstring key = Trim(whole.substr(at, equals - at));
    const std::wstring value = whole.substr(equals + 2, close - equals - 2);
    at = close + 1;
    bool ok = true;
    if (SameName(key, L"file") || SameName(key, L"res")) {
      look->file = Trim(value);
    } else if (SameName(key, L"source")) {
      ok = ParseBox(value, &look->source);
      look->has_source = true;
    } else if (SameName(key, L"dest")) {
      ok = ParseBox(value, &look->dest);
      look->has_dest = true;
    } else if (SameName(key, L"corner")) {
      ok = ParseBox(value, &look->corner);
    } else if (SameName(key, L"fade")) {
      ok = ParseInt(value, &look->fade) && look->fade >= 0 && look->fade <= 255;
    } else if (SameName(key, L"hole")) {
      ok = ParseBool(value, &look->hole);
    } else if (SameName(key, L"xtiled")) {
      ok = ParseBool(value, &look->xtiled);
    } else if (SameName(key, L"ytiled")) {
      ok = ParseBool(value, &look->ytiled);
    }
    // Other keys belong to other toolkits' syntax and are ignored.
    if (!ok) {
      return false;
    }
  }
  return !look->file.empty();
}

}  // namespace skin_attr
