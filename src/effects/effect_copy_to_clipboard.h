#pragma once

#include <string>

#include "effects/image_effect.h"

// Puts the picture on the clipboard as a DIB and, when file_path names an
// existing file, the file too (a file list with the copy drop effect), so
// that pasting into a folder copies the file and pasting into a picture
// program inserts the pixels.
class FCEffectCopyToClipboard : public FCImageEffect {
 public:
  explicit FCEffectCopyToClipboard(std::wstring file_path) : file_path_(std::move(file_path)) {}

  int GetProcessMode() const override { return kProcessWholeImage; }
  void ApplyToImage(FCObjImage& image, FCProgressObserver* observer) override;

  // What the user sees when the picture does not fit in memory.
  static constexpr const wchar_t* kTooLargeText = L"图片过大, 放入剪切板失败。请重试！";
  static constexpr const wchar_t* kErrorCaptionFormat = L"错误码 : %d";

 private:
  std::wstring file_path_;
};
