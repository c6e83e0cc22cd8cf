#pragma once

#include <map>
#include <string>

#include "support/test_paths.h"

namespace test_support {

// exiftool's reading of a fixture, saved as "-Tag=value" lines (exiftool
// -args): tag name to value.
inline std::map<std::string, std::string> ExiftoolReading(const std::wstring& path) {
  std::map<std::string, std::string> values;
  const std::string text = ReadFileBytes(path);
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    const size_t equals = line.find('=');
    if (line.size() > 1 && line[0] == '-' && equals != std::string::npos) {
      values[line.substr(1, equals - 1)] = line.substr(equals + 1);
    }
    at = end + 1;
  }
  return values;
}

}  // namespace test_support
