#include "config/window_placement.h"

#include <shlwapi.h>

#include <cwchar>
#include <vector>

namespace window_placement {

std::wstring FormatRect(const RECT& rect) {
  wchar_t text[64];
  swprintf(text, 64, L"%d_%d_%d_%d", static_cast<int>(rect.left), static_cast<int>(rect.top),
           static_cast<int>(rect.right), static_cast<int>(rect.bottom));
  return text;
}

bool ParseRect(const std::wstring& text, RECT* rect) {
  std::vector<std::wstring> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'_', start);
    if (end == std::wstring::npos) {
      end = text.size();
    }
    if (end > start) {
      pieces.push_back(text.substr(start, end - start));
    }
    start = end + 1;
  }
  if (pieces.size() != 4) {
    return false;
  }
  rect->left = StrToIntW(pieces[0].c_str());
  rect->top = StrToIntW(pieces[1].c_str());
  rect->right = StrToIntW(pieces[2].c_str());
  rect->bottom = StrToIntW(pieces[3].c_str());
  return true;
}

RECT DefaultRect(const RECT& work_area) {
  const LONG width = work_area.right - work_area.left;
  const LONG height = work_area.bottom - work_area.top;
  return {work_area.left + width / 6, work_area.top + height / 10, work_area.right - width / 6,
          work_area.bottom - height / 10};
}

RECT FitToWorkArea(const RECT& rect, const RECT& work_area) {
  // 64-bit so that absurd stored numbers cannot overflow.
  const long long work_width = work_area.right - work_area.left;
  const long long work_height = work_area.bottom - work_area.top;
  long long left = rect.left;
  long long top = rect.top;
  long long width = static_cast<long long>(rect.right) - rect.left;
  long long height = static_cast<long long>(rect.bottom) - rect.top;
  if (width > work_width) {
    width = work_width;
  }
  if (height > work_height) {
    height = work_height;
  }
  if (left + width > work_area.right) {
    left = work_area.right - width;
  } else if (left < work_area.left) {
    left = work_area.left;
  }
  if (top + height > work_area.bottom) {
    top = work_area.bottom - height;
  } else if (top < work_area.top) {
    top = work_area.top;
  }
  return {static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(left + width),
          static_cast<LONG>(top + height)};
}

Decision Decide(const std::wstring& text, const RECT& work_area) {
  Decision decision;
  RECT stored = {};
  if (!ParseRect(text, &stored)) {
    return decision;
  }
  const RECT fitted = FitToWorkArea(stored, work_area);
  if (fitted.right - fitted.left < kMinWidth || fitted.bottom - fitted.top < kMinHeight) {
    return decision;
  }
  decision.maximize = false;
  decision.rect = fitted;
  return decision;
}

}  // namespace window_placement
