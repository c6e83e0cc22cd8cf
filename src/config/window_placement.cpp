#include "config/window_placement.h"

#include <cwchar>

#include "config/placement_rect.h"

namespace window_placement {

namespace {

placement_rect::Rect FromRect(const RECT& rect) {
  return {static_cast<int32_t>(rect.left), static_cast<int32_t>(rect.top),
          static_cast<int32_t>(rect.right), static_cast<int32_t>(rect.bottom)};
}

RECT ToRect(const placement_rect::Rect& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

std::wstring FormatRect(const RECT& rect) {
  wchar_t text[64];
  swprintf(text, 64, L"%d_%d_%d_%d", static_cast<int>(rect.left), static_cast<int>(rect.top),
           static_cast<int>(rect.right), static_cast<int>(rect.bottom));
  return text;
}

bool ParseRect(const std::wstring& text, RECT* rect) {
  placement_rect::Rect parsed;
  if (!placement_rect::ParseRect(text, &parsed)) {
    return false;
  }
  *rect = ToRect(parsed);
  return true;
}

RECT DefaultRect(const RECT& work_area) {
  return ToRect(placement_rect::DefaultRect(FromRect(work_area)));
}

RECT FitToWorkArea(const RECT& rect, const RECT& work_area) {
  return ToRect(placement_rect::FitToWorkArea(FromRect(rect), FromRect(work_area)));
}

Decision Decide(const std::wstring& text, const RECT& work_area) {
  const placement_rect::Decision pure =
      placement_rect::Decide(text, FromRect(work_area), kMinWidth, kMinHeight);
  Decision decision;
  decision.maximize = pure.maximize;
  decision.rect = ToRect(pure.rect);
  return decision;
}

}  // namespace window_placement
