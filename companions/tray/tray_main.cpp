#include <windows.h>

#include "tray/tray_app.h"
#include "tray/tray_arguments.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int) {
  return CTrayApp(instance).Run(ArgumentsOf(GetCommandLineW()));
}
