#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Readers for the value forms of skin attributes. No Windows types, so the
// parsing also builds on its own.
namespace skin_attr {

struct CBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// How one picture of a skin is drawn: "images/a.png" alone, or
// "file='images/a.png' source='0,0,30,30' dest='4,4,24,24' corner='2,2,2,2' fade='200'".
struct CImageSpec {
  std::wstring file;
  CBox source;  // part of the picture; all 0 means the whole picture
  bool has_source = false;
  CBox dest;  // part of the control's rectangle, relative to its top-left
  bool has_dest = false;
  CBox corner;  // nine-grid margins kept unstretched
  int fade = 255;
  bool hole = false;  // nine-grid without its middle
  bool xtiled = false;
  bool ytiled = false;
};

// Up to max_count integers separated by commas ("0,5" gives 0 and 5); false
// when a part is not an integer or there are more than max_count parts.
bool ParseInts(const std::wstring& text, size_t max_count, std::vector<int>* values);
// "l,t,r,b"; missing trailing parts are 0 ("0,5" is left 0, top 5).
bool ParseBox(const std::wstring& text, CBox* box);
// "cx,cy".
bool ParseSize(const std::wstring& text, int* cx, int* cy);
bool ParseInt(const std::wstring& text, int* value);
// "true" or "false", any case.
bool ParseBool(const std::wstring& text, bool* value);
// "#AARRGGBB", "#RRGGBB" (opaque) or "0xAARRGGBB"; the result is ARGB.
bool ParseColor(const std::wstring& text, uint32_t* argb);
bool ParseImageSpec(const std::wstring& text, CImageSpec* look);

// Case-insensitive comparison of ASCII names.
bool SameName(const std::wstring& a, const wchar_t* b);

}  // namespace skin_attr
