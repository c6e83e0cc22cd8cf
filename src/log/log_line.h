#pragma once

#include <sstream>
#include <string>
#include <type_traits>

// One line of the diagnostic log: the level text and the position tag
// "[%4d][base name] " are written on construction, the caller appends the
// message with << and hands the line to CMyLog::Write.
class CLogLine {
 public:
  CLogLine(const wchar_t* level, const char* source_path, int line_number);
  CLogLine(const CLogLine&) = delete;
  CLogLine& operator=(const CLogLine&) = delete;

  CLogLine& operator<<(const wchar_t* text);
  CLogLine& operator<<(const std::wstring& text);
  // Narrow text is taken as UTF-8, or in the ANSI code page when it is not valid UTF-8.
  CLogLine& operator<<(const char* text);
  CLogLine& operator<<(const std::string& text);
  CLogLine& operator<<(wchar_t character);
  CLogLine& operator<<(const void* pointer);

  template <class Number, class = std::enable_if_t<std::is_arithmetic_v<Number> &&
                                                   !std::is_same_v<Number, char> &&
                                                   !std::is_same_v<Number, wchar_t>>>
  CLogLine& operator<<(Number value) {
    if constexpr (std::is_same_v<Number, bool>) {
      stream_ << (value ? 1 : 0);
    } else if constexpr (sizeof(Number) == 1) {
      stream_ << static_cast<int>(value);
    } else {
      stream_ << value;
    }
    return *this;
  }

  std::wstring str() const { return stream_.str(); }

  // "[%4d][name] " when the path has a base name, else "[%4d] ".
  static std::wstring PositionTag(const char* source_path, int line_number);

 private:
  std::wostringstream stream_;
};
