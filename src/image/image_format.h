#pragma once

#include <string>

// Format classes derived from a file name's extension alone.
enum ImageFormatClass : unsigned int {
  kFormatNone = 0,
  kFormatBmp = 1,
  kFormatJpeg = 2,
  kFormatGif = 3,
  kFormatTiff = 4,
  kFormatPng = 5,
  kFormatIco = 6,
  kFormatPsd = 7,
  kFormatTga = 8,
  kFormatOxo = 9,
  kFormatCameraRaw = 10,
  kFormatOther = 11,
  kFormatWmf = 12,
  kFormatEmf = 13,
  kFormatJng = 14,
  kFormatJ2c = 15,
};

// 0 (not a picture) or 1 to 15; thread-safe and stateless.
unsigned int GetImageFormatClass(const wchar_t* path);
inline unsigned int GetImageFormatClass(const std::wstring& path) {
  return GetImageFormatClass(path.c_str());
}

// Classes 1 to 5: the formats the program encodes itself and for which the
// system thumbnail cache is consulted.
inline bool IsNativeEncodableClass(unsigned int format_class) {
  return format_class >= kFormatBmp && format_class <= kFormatPng;
}

// The save dialog's 1-based filter index mapped to the extension it appends.
const wchar_t* GetSaveExtensionForFilter(int filter_index);

// A typed name keeps a natively encodable extension; anything else gets the
// chosen filter's extension appended.
std::wstring ApplySaveExtension(const std::wstring& path, int filter_index);

// The open dialog's single filter entry, captioned with the given text, in the
// "a|b||" form the file dialog wrapper splits.
std::wstring GetOpenFileFilter(const std::wstring& caption);
