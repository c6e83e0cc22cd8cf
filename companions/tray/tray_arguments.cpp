#include "tray/tray_arguments.h"

namespace {

constexpr wchar_t kHandOverSwitch[] = L" --need-upgrade-privilege-now";

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Trimmed(const std::wstring& text) {
  size_t start = 0;
  size_t end = text.size();
  while (start < end && IsSpace(text[start])) {
    ++start;
  }
  while (end > start && IsSpace(text[end - 1])) {
    --end;
  }
  return text.substr(start, end - start);
}

// The value of the last "--name=value" token outside quotes.
std::wstring SwitchValue(const std::wstring& text, const std::wstring& name) {
  const std::wstring prefix = L"--" + name + L"=";
  std::wstring value;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'"') {
      quoted = !quoted;
    }
    const bool token_start = i == 0 || IsSpace(text[i - 1]);
    if (!quoted && token_start && text.compare(i, prefix.size(), prefix) == 0) {
      size_t end = i + prefix.size();
      while (end < text.size() && !IsSpace(text[end])) {
        ++end;
      }
      value = text.substr(i + prefix.size(), end - i - prefix.size());
    }
  }
  return value;
}

}  // namespace

TrayArguments ParseTrayArguments(const std::wstring& text) {
  TrayArguments arguments;
  const std::wstring padded = L" " + text;
  const size_t hand_over = padded.rfind(kHandOverSwitch);
  if (hand_over != std::wstring::npos) {
    const size_t after = hand_over + wcslen(kHandOverSwitch);
    if (after == padded.size() || IsSpace(padded[after])) {
      arguments.update_hand_over = true;
      arguments.viewer_arguments = Trimmed(padded.substr(0, hand_over));
      const std::wstring own = padded.substr(after);
      arguments.from = SwitchValue(own, L"from");
      arguments.entry = SwitchValue(own, L"entry");
      return arguments;
    }
  }
  arguments.from = SwitchValue(text, L"from");
  arguments.entry = SwitchValue(text, L"entry");
  return arguments;
}

std::wstring ArgumentsOf(const std::wstring& command_line) {
  size_t i = 0;
  if (!command_line.empty() && command_line[0] == L'"') {
    const size_t close = command_line.find(L'"', 1);
    i = close == std::wstring::npos ? command_line.size() : close + 1;
  } else {
    while (i < command_line.size() && !IsSpace(command_line[i])) {
      ++i;
    }
  }
  while (i < command_line.size() && IsSpace(command_line[i])) {
    ++i;
  }
  return command_line.substr(i);
}
