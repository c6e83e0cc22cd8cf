// The settings file's values: "key=value" lines (UTF-16, as the platform's
// INI reader hands them over), each read and clamped the way the
// configuration store does, then the stored window placement fitted to a few
// work areas and the GPS position turned into a map link.
#include <algorithm>
#include <string>

#include "config/config_values.h"
#include "config/map_link.h"
#include "config/placement_rect.h"
#include "fuzz_support.h"

namespace {

// The reader's buffers: numbers are read into 32 units, texts into 4096.
constexpr size_t kNumberLength = 31;
constexpr size_t kTextLength = 4095;

void CheckPlacement(const std::wstring& text) {
  static const placement_rect::Rect kWorkAreas[] = {
      {0, 0, 1920, 1040}, {1920, 0, 3840, 1040}, {-1280, -200, 0, 824}, {0, 0, 640, 480}};
  placement_rect::Rect stored;
  const bool parsed = placement_rect::ParseRect(text, &stored);
  for (const placement_rect::Rect& work : kWorkAreas) {
    const placement_rect::Decision decision = placement_rect::Decide(text, work, 700, 500);
    if (decision.maximize) {
      continue;
    }
    FUZZ_CHECK(parsed);
    const placement_rect::Rect& r = decision.rect;
    FUZZ_CHECK(r.left >= work.left && r.top >= work.top);
    FUZZ_CHECK(r.right <= work.right && r.bottom <= work.bottom);
    FUZZ_CHECK(r.right - r.left >= 700 && r.bottom - r.top >= 500);
  }
}

void ReadValue(const std::wstring& key, std::wstring value) {
  using namespace config_values;
  if (key == L"last_position") {
    CheckPlacement(value.substr(0, kTextLength));
    return;
  }
  if (key == L"canvas_back_color") {
    uint32_t color = 0;
    if (ParseCanvasColor(value.substr(0, kTextLength), &color)) {
      FUZZ_CHECK(color <= 0xFFFFFF);
    }
    return;
  }
  if (key == L"gps") {
    for (int vendor : {0, 1}) {
      const std::wstring link = map_link::BuildMapLink(vendor, value);
      FUZZ_CHECK(link.empty() || link.find(value) != std::wstring::npos);
    }
    return;
  }
  value.resize(std::min(value.size(), kNumberLength));
  const int64_t number = ParseInt64(value.c_str());
  if (key == L"max_zoom_ratio") {
    const int32_t zoom = Clamp(number, 4, 32);
    FUZZ_CHECK(zoom >= 4 && zoom <= 32);
  } else if (key == L"view_margin") {
    const int32_t margin = Clamp(number, 0, 64);
    FUZZ_CHECK(margin >= 0 && margin <= 64);
  } else if (key == L"save_jpeg_quality") {
    const int32_t quality = Clamp(number, 0, 100);
    FUZZ_CHECK(quality >= 0 && quality <= 100);
  } else if (key == L"mouse_wheel_action") {
    const int32_t action = WheelAction(number);
    FUZZ_CHECK(action == 0 || action == 1 || action == 99);
  } else if (key == L"time" || key == L"sniptool_hotkey") {
    Low32(number);
  } else {
    const int32_t flag = AsFlag(number);
    FUZZ_CHECK(flag == 0 || flag == 1);
  }
  LeadingInt32(value.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = fuzz::Utf16Units(data, size);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) {
      end = text.size();
    }
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    // The reader stops a value at a zero and drops a line's carriage return.
    line = line.substr(0, line.find(L'\0'));
    if (!line.empty() && line.back() == L'\r') {
      line.pop_back();
    }
    const size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) {
      continue;
    }
    ReadValue(line.substr(0, equals), line.substr(equals + 1));
  }
  return 0;
}
