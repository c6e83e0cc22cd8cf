#include "crash_uploader/crash_arguments.h"

#include <climits>
#include <cwctype>
#include <map>

namespace {

constexpr size_t kMaxSourceLength = 64;
constexpr size_t kMaxVersionLength = 32;

bool ParseUnsigned(const std::wstring& text, uint64_t max, uint64_t* value) {
  if (text.empty() || text.size() > 20) {
    return false;
  }
  uint64_t result = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') {
      return false;
    }
    const uint64_t digit = static_cast<uint64_t>(c - L'0');
    if (result > (max - digit) / 10) {
      return false;
    }
    result = result * 10 + digit;
  }
  *value = result;
  return true;
}

bool IsSourceName(const std::wstring& text) {
  if (text.empty() || text.size() > kMaxSourceLength) {
    return false;
  }
  for (wchar_t c : text) {
    if (c > 0x7F || !(iswalnum(c) || c == L'-' || c == L'_')) {
      return false;
    }
  }
  return true;
}

bool IsVersionText(const std::wstring& text) {
  if (text.size() > kMaxVersionLength) {
    return false;
  }
  for (wchar_t c : text) {
    if (!(c == L'.' || (c >= L'0' && c <= L'9'))) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseCrashArguments(int argc, const wchar_t* const* argv, CrashArguments* out) {
  static const wchar_t* const kNames[] = {L"pep", L"pid", L"tid", L"src", L"ver", L"rep"};
  std::map<std::wstring, std::wstring> values;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg.compare(0, 2, L"--") != 0) {
      continue;
    }
    const size_t equals = arg.find(L'=');
    if (equals == std::wstring::npos) {
      continue;
    }
    const std::wstring name = arg.substr(2, equals - 2);
    for (const wchar_t* known : kNames) {
      if (name == known && !values.emplace(name, arg.substr(equals + 1)).second) {
        return false;  // given twice
      }
    }
  }
  if (values.size() != sizeof(kNames) / sizeof(kNames[0])) {
    return false;
  }
  CrashArguments parsed;
  uint64_t pid = 0;
  uint64_t tid = 0;
  uint64_t report = 0;
  if (!ParseUnsigned(values[L"pep"], UINT64_MAX, &parsed.exception_pointers) ||
      parsed.exception_pointers == 0 || !ParseUnsigned(values[L"pid"], ULONG_MAX, &pid) ||
      pid == 0 || !ParseUnsigned(values[L"tid"], ULONG_MAX, &tid) || tid == 0 ||
      !ParseUnsigned(values[L"rep"], INT_MAX, &report) || !IsSourceName(values[L"src"]) ||
      !IsVersionText(values[L"ver"])) {
    return false;
  }
  parsed.process_id = static_cast<unsigned long>(pid);
  parsed.thread_id = static_cast<unsigned long>(tid);
  parsed.source = values[L"src"];
  parsed.version = values[L"ver"];
  parsed.report = static_cast<int>(report);
  *out = parsed;
  return true;
}
