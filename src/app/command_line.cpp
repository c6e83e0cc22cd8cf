#include "app/command_line.h"

namespace {

constexpr size_t kNoEquals = std::wstring::npos;

// Length of a switch prefix: 2 for "--", 1 for "-" or "/", 0 for no switch.
size_t SwitchPrefixLength(const std::wstring& token) {
  if (token.size() < 2 || (token[0] != L'-' && token[0] != L'/')) {
    return 0;
  }
  return token[1] == L'-' ? 2 : 1;
}

}  // namespace

bool CCommandLine::Parse(const std::wstring& text) {
  raw_text_ = text;
  const size_t n = text.size();
  bool in_quotes = false;
  size_t i = 0;
  while (i < n) {
    if (text[i] == L' ') {
      ++i;
      continue;
    }
    size_t j = i;
    size_t equals = kNoEquals;
    for (; j < n; ++j) {
      const wchar_t c = text[j];
      if (c == L' ' && !in_quotes) {
        break;
      }
      if (c == L'"' && !(j > 0 && text[j - 1] == L'\\')) {
        in_quotes = !in_quotes;
      } else if (c == L'=' && equals == kNoEquals) {
        equals = j;
      }
    }
    AddToken(text, i, j, equals);
    i = j + 1;
  }
  return true;
}

void CCommandLine::AddToken(const std::wstring& text, size_t start, size_t end, size_t equals) {
  const std::wstring token = text.substr(start, end - start);
  const size_t prefix = SwitchPrefixLength(token);
  if (prefix == 0) {
    positional_args_.push_back(token);
    return;
  }
  if (token.size() == prefix) {
    return;
  }
  if (equals == kNoEquals) {
    switches_[token.substr(prefix)] = std::wstring();
    return;
  }
  const size_t e = equals - start;
  std::wstring name = token.substr(prefix, e - prefix);
  std::wstring value;
  if (e + 1 < token.size()) {
    const size_t value_start = e + 1;
    const size_t last = token.size() - 1;
    // A lone quote after "=" is both the opening and the closing one: taken
    // as the quote itself.
    if (token[value_start] == L'"' && token[last] == L'"' && last > value_start) {
      value = token.substr(value_start + 1, last - value_start - 1);
    } else {
      value = token.substr(value_start);
    }
  }
  switches_[name] = value;
}

std::wstring CCommandLine::NormalizeSwitchName(const std::wstring& name) const {
  // A name without a prefix is looked up as it stands.
  const size_t prefix = SwitchPrefixLength(name);
  if (name.size() == prefix) {
    return std::wstring();
  }
  std::wstring stripped = name.substr(prefix);
  return switches_.count(stripped) ? stripped : std::wstring();
}

bool CCommandLine::HasSwitch(const std::wstring& name) const {
  return switches_.count(name) != 0 || !NormalizeSwitchName(name).empty();
}

bool CCommandLine::GetSwitchValue(const std::wstring& name, std::wstring& value) const {
  value.clear();
  auto found = switches_.find(name);
  if (found == switches_.end()) {
    const std::wstring normalized = NormalizeSwitchName(name);
    if (normalized.empty()) {
      return false;
    }
    found = switches_.find(normalized);
  }
  value = found->second;
  return true;
}

std::wstring CCommandLine::StartSourceTag(const std::wstring& from_value) {
  static const struct {
    const wchar_t* from;
    const wchar_t* tag;
  } kTags[] = {
      {L"task", L"auto"},
      {L"reg_run", L"auto_reg"},
      {L"svc", L"svc"},
      {L"startmenu", L"menu"},
      {L"main", L"main"},
      {L"desktop", L"lnk"},
      {L"tray", L"tray"},
      {L"newinstall", L"newinstall"},
      {L"upinstall", L"upinstall"},
      {L"contextmenu", L"contextmenu"},
      {L"openwith", L"shell"},
  };
  for (const auto& entry : kTags) {
    if (from_value == entry.from) {
      return entry.tag;
    }
  }
  return L"unknown";
}
