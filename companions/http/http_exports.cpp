// Entry points of zudad.dll, the HTTP library.
#include <windows.h>
#include <zlib.h>

#include <type_traits>

#include "http/http_task_factory.h"
#include "integration/companion_entry_points.h"

extern "C" {

__declspec(dllexport) IHttpTaskFactory* __stdcall HttpInit() {
  CHttpTaskFactory& factory = CHttpTaskFactory::Instance();
  factory.Open();
  return &factory;
}

__declspec(dllexport) void __stdcall HttpUninit() { CHttpTaskFactory::Instance().Shutdown(); }

__declspec(dllexport) int __stdcall zlib_compress(unsigned char* dest, unsigned long* dest_len,
                                                  const unsigned char* source,
                                                  unsigned long source_len) {
  if (!dest || !dest_len || (!source && source_len != 0)) {
    return Z_STREAM_ERROR;
  }
  return compress(dest, dest_len, source, source_len);
}

__declspec(dllexport) int __stdcall zlib_uncompress(unsigned char* dest, unsigned long* dest_len,
                                                    const unsigned char* source,
                                                    unsigned long source_len) {
  if (!dest || !dest_len || (!source && source_len != 0)) {
    return Z_STREAM_ERROR;
  }
  return uncompress(dest, dest_len, source, source_len);
}

__declspec(dllexport) unsigned long __stdcall zlib_compressBound(unsigned long source_len) {
  return compressBound(source_len);
}

}  // extern "C"

static_assert(std::is_same<decltype(&HttpInit), HttpInitFn>::value, "HttpInit");
static_assert(std::is_same<decltype(&HttpUninit), HttpUninitFn>::value, "HttpUninit");
static_assert(std::is_same<decltype(&zlib_compress), ZlibCompressFn>::value, "zlib_compress");
static_assert(std::is_same<decltype(&zlib_uncompress), ZlibUncompressFn>::value, "zlib_uncompress");
static_assert(std::is_same<decltype(&zlib_compressBound), ZlibCompressBoundFn>::value,
              "zlib_compressBound");
