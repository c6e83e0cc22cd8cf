// Opening the link: the one part of the map link that asks the shell.
#include "config/map_link.h"

#include <windows.h>
#include <shellapi.h>

namespace map_link {

bool OpenMapLink(int vendor, const std::wstring& location) {
  const std::wstring link = BuildMapLink(vendor, location);
  if (link.empty()) {
    return false;
  }
  const HINSTANCE result =
      ShellExecuteW(nullptr, L"open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace map_link
