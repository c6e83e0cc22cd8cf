#include "popup_dialog/resize_sizes.h"

#include <climits>
#include <cstdio>
#include <cwctype>

namespace {

constexpr double kPresetFactors[CResizeSizes::kPresetCount] = {0.1, 0.25, 0.5, 0.75};

int ClampToInt(long long value) {
  if (value > INT_MAX) {
    return INT_MAX;
  }
  if (value < INT_MIN) {
    return INT_MIN;
  }
  return static_cast<int>(value);
}

}  // namespace

CResizeSizes::CResizeSizes(int source_width, int source_height)
    : source_width_(source_width),
      source_height_(source_height),
      width_(source_width),
      height_(source_height) {}

double CResizeSizes::PresetFactor(int index) {
  return index >= 0 && index < kPresetCount ? kPresetFactors[index] : 0.0;
}

std::wstring CResizeSizes::PresetText(int index) const {
  const double factor = PresetFactor(index);
  wchar_t text[64] = {};
  swprintf(text, 64, L"%dX%d", static_cast<int>(width_ * factor),
           static_cast<int>(height_ * factor));
  return text;
}

void CResizeSizes::ChoosePreset(int index) {
  const double factor = PresetFactor(index);
  width_percent_ = static_cast<int>(factor * 100);
  height_percent_ = width_percent_;
  width_ = static_cast<int>(source_width_ * factor);
  height_ = static_cast<int>(source_height_ * factor);
}

int CResizeSizes::ReadNumber(const std::wstring& text) {
  size_t at = 0;
  while (at < text.size() && std::iswspace(text[at])) {
    ++at;
  }
  bool negative = false;
  if (at < text.size() && (text[at] == L'-' || text[at] == L'+')) {
    negative = text[at] == L'-';
    ++at;
  }
  long long value = 0;
  for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
    value = value * 10 + (text[at] - L'0');
    if (value > INT_MAX) {
      value = static_cast<long long>(INT_MAX) + 1;
    }
  }
  return ClampToInt(negative ? -value : value);
}

int CResizeSizes::Percent(int size, int source) {
  if (source <= 0) {
    return 0;
  }
  // size / source * 100, rounded half away from zero, in integers.
  const long long scaled = static_cast<long long>(size) * 100;
  const long long magnitude = scaled < 0 ? -scaled : scaled;
  const long long rounded = (2 * magnitude + source) / (2LL * source);
  return ClampToInt(scaled < 0 ? -rounded : rounded);
}

int CResizeSizes::OfPercent(int source, int percent) {
  return ClampToInt(static_cast<long long>(source) * percent / 100);
}

int CResizeSizes::Proportional(int other_source, int size, int source) {
  if (source <= 0) {
    return 0;
  }
  return ClampToInt(static_cast<long long>(other_source) * size / source);
}

void CResizeSizes::TypeWidth(const std::wstring& text, bool lock) {
  width_ = ReadNumber(text);
  width_percent_ = Percent(width_, source_width_);
  if (lock) {
    height_percent_ = width_percent_;
    height_ = Proportional(source_height_, width_, source_width_);
  }
}

void CResizeSizes::TypeHeight(const std::wstring& text, bool lock) {
  height_ = ReadNumber(text);
  height_percent_ = Percent(height_, source_height_);
  if (lock) {
    width_percent_ = height_percent_;
    width_ = Proportional(source_width_, height_, source_height_);
  }
}

void CResizeSizes::TypeWidthPercent(const std::wstring& text, bool lock) {
  width_percent_ = ReadNumber(text);
  width_ = OfPercent(source_width_, width_percent_);
  if (lock) {
    height_percent_ = width_percent_;
    height_ = OfPercent(source_height_, height_percent_);
  }
}

void CResizeSizes::TypeHeightPercent(const std::wstring& text, bool lock) {
  height_percent_ = ReadNumber(text);
  height_ = OfPercent(source_height_, height_percent_);
  if (lock) {
    width_percent_ = height_percent_;
    width_ = OfPercent(source_width_, width_percent_);
  }
}

bool CResizeSizes::IsSavable() const {
  return width_ >= 1 && height_ >= 1 && width_ <= kMaxSide && height_ <= kMaxSide &&
         static_cast<long long>(width_) * height_ * 4 <= kMaxBytes;
}
