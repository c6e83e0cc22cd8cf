#include <windows.h>

#include "app/orvane_app.h"

// The application object: its construction is the process's static
// initialisation (log, settings, language, data folders).
COrvaneApp the_app;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR command_line, int) {
  return CWinApp::RunApplication(instance, command_line);
}
