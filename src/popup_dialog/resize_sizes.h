#pragma once

#include <string>

// The numbers of the resize dialog: the picture's size (W0 x H0), the new
// size (W x H) and the two percentages, and how each edit and preset
// changes them. Every value is an int; sizes are kept within int range
// whatever is typed.
class CResizeSizes {
 public:
  // The largest side a saved picture may have (the JPEG and GIF limit).
  static constexpr int kMaxSide = 65535;
  // The largest picture in bytes at 32 bits per pixel: what one image buffer
  // can hold.
  static constexpr long long kMaxBytes = 0xFFFFFFFFLL;
  static constexpr int kPresetCount = 4;

  CResizeSizes(int source_width, int source_height);

  // The factor of preset index (0.1, 0.25, 0.5, 0.75); 0 for any other.
  static double PresetFactor(int index);
  // "%dX%d" of the new size times the preset's factor, truncated.
  std::wstring PresetText(int index) const;

  void ChoosePreset(int index);
  // Typed text of the four edits; lock keeps the proportions. An empty text
  // counts as 0 (the caller writes "0" back into the edit).
  void TypeWidth(const std::wstring& text, bool lock);
  void TypeHeight(const std::wstring& text, bool lock);
  void TypeWidthPercent(const std::wstring& text, bool lock);
  void TypeHeightPercent(const std::wstring& text, bool lock);

  // The new size can be made: both sides from 1 to kMaxSide and the picture
  // within kMaxBytes.
  bool IsSavable() const;

  // The leading decimal number of text (an optional sign, then digits),
  // clamped to int range; 0 when there is none.
  static int ReadNumber(const std::wstring& text);

  int source_width() const { return source_width_; }
  int source_height() const { return source_height_; }
  int width() const { return width_; }
  int height() const { return height_; }
  int width_percent() const { return width_percent_; }
  int height_percent() const { return height_percent_; }

 private:
  static int Percent(int size, int source);
  static int OfPercent(int source, int percent);
  static int Proportional(int other_source, int size, int source);

  int source_width_;
  int source_height_;
  int width_;
  int height_;
  int width_percent_ = 100;
  int height_percent_ = 100;
};
