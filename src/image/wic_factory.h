#pragma once

#include <wincodec.h>

// The process-wide imaging factory (the version-1 WIC factory class, in
// process). Created once at start-up after COM, released at exit; shared by
// every thread in between.
class CWICFactory {
 public:
  // Idempotent; COM must be initialised on the calling thread.
  static HRESULT Create();
  static void Release();
  // No added reference; null before Create and after Release.
  static IWICImagingFactory* Get();
  // The same for the image operations: throws CComError when there is no
  // factory, which the operation catches like any other imaging failure.
  static IWICImagingFactory* Required();
};
