// The command line's picture: the one part of it that asks the file system.
#include "app/command_line.h"

#include "basic_lib/win_util.h"

namespace {

// The text from the last "." of the last path component.
std::wstring LastComponentExtension(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  const size_t dot = path.find_last_of(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) {
    return std::wstring();
  }
  return path.substr(dot);
}

}  // namespace

std::wstring CCommandLine::GetImagePath() const {
  for (const std::wstring& arg : positional_args_) {
    std::wstring path = arg;
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') {
      path = path.substr(1, path.size() - 2);
    }
    if (path.empty() || !win_util::PathExists(path)) {
      continue;
    }
    if (LastComponentExtension(path) == L".exe") {
      continue;
    }
    return path;
  }
  return std::wstring();
}
