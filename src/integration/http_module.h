#pragma once

#include <string>

#include "integration/http_task.h"

// The HTTP library "zudad.dll". It is loaded on the first request for its
// factory and never unloaded; HttpInit is called once.
class CHttpModule {
 public:
  // The request factory, or null when the module, HttpInit, HttpUninit or
  // the factory is missing. Only the first call loads (from module_path,
  // normally the program folder's copy); every later call, from any
  // thread, gets the first call's answer.
  static IHttpTaskFactory* Factory(const std::wstring& module_path);
  // The program folder's "zudad.dll".
  static std::wstring DefaultPath();
};
