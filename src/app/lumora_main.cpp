#include <windows.h>
#include <gdiplus.h>

#include "app/command_line.h"
#include "app/orvanedlg.h"
#include "config/app_config.h"
#include "framework/wnd.h"
#include "image/wic_factory.h"
#include "log/my_log.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command_line, int) {
  CMyLog::GetInstance()->Open();
  CAppConfig::GetInstance();
  SetUiThread();
  CoInitialize(nullptr);
  Gdiplus::GdiplusStartupInput gdiplus_input;
  ULONG_PTR gdiplus_token = 0;
  Gdiplus::GdiplusStartup(&gdiplus_token, &gdiplus_input, nullptr);
  CWICFactory::Create();

  CCommandLine::GetInstance()->Parse(command_line ? command_line : L"");
  {
    COrvaneDlg main_window;
    main_window.DoModal();
  }

  CWICFactory::Release();
  Gdiplus::GdiplusShutdown(gdiplus_token);
  CoUninitialize();
  CCommandLine::DestroyInstance();
  CAppConfig::DestroyInstance();
  CMyLog::DestroyInstance();
  return 0;
}
