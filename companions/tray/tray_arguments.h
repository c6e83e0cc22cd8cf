#pragma once

#include <string>

// The tray program's command line: "--from=<source>" and, when a viewer hands
// a pending update over, "<the viewer's arguments> --need-upgrade-privilege-now
// --entry=main --from=main".
struct TrayArguments {
  std::wstring from;
  std::wstring entry;
  bool update_hand_over = false;
  // The viewer's own arguments, verbatim, when it handed over.
  std::wstring viewer_arguments;
};

// text is the command line after the program name.
TrayArguments ParseTrayArguments(const std::wstring& text);

// The part of a full command line after the program name.
std::wstring ArgumentsOf(const std::wstring& command_line);
