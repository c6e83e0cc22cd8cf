#include "integration/http_module.h"

#include <windows.h>

#include <mutex>

#include "basic_lib/win_util.h"
#include "integration/companion_entry_points.h"
#include "log/my_log.h"

namespace {

struct LoadedHttpModule {
  HMODULE module = nullptr;
  HttpInitFn init = nullptr;
  HttpUninitFn uninit = nullptr;
  ZlibUncompressFn uncompress = nullptr;
  ZlibCompressFn compress = nullptr;
  ZlibCompressBoundFn compress_bound = nullptr;
  IHttpTaskFactory* factory = nullptr;
};

LoadedHttpModule Load(const std::wstring& module_path) {
  LoadedHttpModule loaded;
  loaded.module = LoadLibraryExW(module_path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!loaded.module) {
    LOG_INFO << "HTTP module not loaded, error " << GetLastError();
    return loaded;
  }
  loaded.init = win_util::GetProcAddressAs<HttpInitFn>(loaded.module, "HttpInit");
  loaded.uninit = win_util::GetProcAddressAs<HttpUninitFn>(loaded.module, "HttpUninit");
  loaded.uncompress =
      win_util::GetProcAddressAs<ZlibUncompressFn>(loaded.module, "zlib_uncompress");
  loaded.compress = win_util::GetProcAddressAs<ZlibCompressFn>(loaded.module, "zlib_compress");
  loaded.compress_bound =
      win_util::GetProcAddressAs<ZlibCompressBoundFn>(loaded.module, "zlib_compressBound");
  if (loaded.init && loaded.uninit) {
    loaded.factory = loaded.init();
  }
  if (!loaded.factory) {
    LOG_INFO << "HTTP module incomplete";
  }
  return loaded;
}

}  // namespace

IHttpTaskFactory* CHttpModule::Factory(const std::wstring& module_path) {
  static std::once_flag once;
  static LoadedHttpModule loaded;
  std::call_once(once, [&] { loaded = Load(module_path); });
  return loaded.uninit ? loaded.factory : nullptr;
}

std::wstring CHttpModule::DefaultPath() { return win_util::ProgramFolder() + kHttpModuleName; }
