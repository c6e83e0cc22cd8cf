#include "association/association_list.h"

#include <cwchar>
#include <cwctype>

namespace association {

namespace {

// Longer lists are not something the settings dialog produces.
constexpr size_t kMaxListLength = 64 * 1024;

}  // namespace

const std::vector<std::wstring>& ImageExtensions() {
  static const std::vector<std::wstring> extensions = {
      L"jpg",  L"jpeg", L"jfif", L"jpe", L"gif", L"png", L"bmp", L"tiff", L"tif", L"ico",
      L"webp", L"tga",  L"psd",  L"jp2", L"pcx", L"raw", L"g3",  L"dds",  L"cut", L"xbm",
      L"xpm",  L"wmf",  L"pfm",  L"pcd", L"j2k", L"hdr", L"sgi", L"exr"};
  return extensions;
}

bool IsImageExtension(const std::wstring& extension) {
  for (const std::wstring& known : ImageExtensions()) {
    if (known == extension) {
      return true;
    }
  }
  return false;
}

std::vector<std::pair<std::wstring, bool>> ParseAssociationList(const wchar_t* text) {
  std::vector<std::pair<std::wstring, bool>> entries;
  if (!text) {
    return entries;
  }
  const size_t length = wcsnlen(text, kMaxListLength + 1);
  if (length > kMaxListLength) {
    return entries;
  }
  const std::wstring list(text, length);
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(L'|', start);
    if (end == std::wstring::npos) {
      end = list.size();
    }
    const std::wstring entry = list.substr(start, end - start);
    start = end + 1;
    const size_t colon = entry.find(L':');
    if (colon == std::wstring::npos || colon == 0 || entry.find(L':', colon + 1) != entry.npos) {
      continue;
    }
    const std::wstring state = entry.substr(colon + 1);
    if (state != L"0" && state != L"1") {
      continue;
    }
    std::wstring extension = entry.substr(0, colon);
    for (wchar_t& c : extension) {
      c = static_cast<wchar_t>(towlower(c));
    }
    if (IsImageExtension(extension)) {
      entries.emplace_back(extension, state == L"1");
      // The TIFF box stands for both spellings of the type.
      if (extension == L"tiff") {
        entries.emplace_back(L"tif", state == L"1");
      }
    }
  }
  return entries;
}

}  // namespace association
