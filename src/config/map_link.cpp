#include "config/map_link.h"

#include <cwchar>

namespace map_link {

namespace {

// One signed decimal number with an optional fraction, within |limit|.
bool IsCoordinate(const std::wstring& text, double limit) {
  size_t i = 0;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
    ++i;
  }
  size_t digits = 0;
  bool seen_dot = false;
  for (; i < text.size(); ++i) {
    if (text[i] >= L'0' && text[i] <= L'9') {
      ++digits;
    } else if (text[i] == L'.' && !seen_dot) {
      seen_dot = true;
    } else {
      return false;
    }
  }
  if (digits == 0 || digits > 20) {
    return false;
  }
  const double value = wcstod(text.c_str(), nullptr);
  return value >= -limit && value <= limit;
}

bool IsLocation(const std::wstring& location) {
  const size_t comma = location.find(L',');
  if (comma == std::wstring::npos) {
    return false;
  }
  return IsCoordinate(location.substr(0, comma), 90.0) &&
         IsCoordinate(location.substr(comma + 1), 180.0);
}

}  // namespace

std::wstring BuildMapLink(int vendor, const std::wstring& location) {
  if (!IsLocation(location)) {
    return std::wstring();
  }
  if (vendor == 1) {
    // The marker's caption "拍摄地" (where it was taken), sent as UTF-8.
    return L"http://api.map.baidu.com/marker?location=" + location +
           L"&title=Here&content=%E6%8B%8D%E6%91%84%E5%9C%B0&output=html&coord_type=wgs84"
           L"&src=ReziVavor";
  }
  return L"https://apis.map.qq.com/uri/v1/marker?marker=coord:" + location +
         L";title:Here&coord_type=1&referer=ReziVavor";
}

}  // namespace map_link
