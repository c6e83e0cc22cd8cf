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
};
