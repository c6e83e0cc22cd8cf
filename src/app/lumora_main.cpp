#include <windows.h>

#include "app/command_line.h"
#include "app/start_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command_line, int show_command) {
  CCommandLine::GetInstance()->Parse(command_line ? command_line : L"");

  CStartWindow window;
  if (!window.Create(show_command)) {
    return 1;
  }
  const int exit_code = window.RunModal();
  CCommandLine::DestroyInstance();
  return exit_code;
}
