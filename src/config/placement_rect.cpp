#include "config/placement_rect.h"

#include <vector>

#include "config/config_values.h"

namespace placement_rect {

bool ParseRect(const std::wstring& text, Rect* rect) {
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
  rect->left = config_values::LeadingInt32(pieces[0].c_str());
  rect->top = config_values::LeadingInt32(pieces[1].c_str());
  rect->right = config_values::LeadingInt32(pieces[2].c_str());
  rect->bottom = config_values::LeadingInt32(pieces[3].c_str());
  return true;
}

Rect DefaultRect(const Rect& work_area) {
  const int32_t width = work_area.right - work_area.left;
  const int32_t height = work_area.bottom - work_area.top;
  return {work_area.left + width / 6, work_area.top + height / 10, work_area.right - width / 6,
          work_area.bottom - height / 10};
}

Rect FitToWorkArea(const Rect& rect, const Rect& work_area) {
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
  return {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(left + width),
          static_cast<int32_t>(top + height)};
}

Decision Decide(const std::wstring& text, const Rect& work_area, int min_width, int min_height) {
  Decision decision;
  Rect stored;
  // A rectangle turned inside out is no window; the sizes are taken in 64
  // bits, as the corners may be any 32-bit numbers.
  if (!ParseRect(text, &stored) || stored.right <= stored.left || stored.bottom <= stored.top) {
    return decision;
  }
  const Rect fitted = FitToWorkArea(stored, work_area);
  if (int64_t{fitted.right} - fitted.left < min_width ||
      int64_t{fitted.bottom} - fitted.top < min_height) {
    return decision;
  }
  decision.maximize = false;
  decision.rect = fitted;
  return decision;
}

}  // namespace placement_rect
