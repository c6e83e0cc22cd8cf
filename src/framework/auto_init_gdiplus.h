#pragma once

#include <windows.h>
#include <gdiplus.h>

// Starts GDI+ (input version 1) for the object's life.
class FCAutoInitGDIPlus {
 public:
  FCAutoInitGDIPlus() {
    Gdiplus::GdiplusStartupInput input;
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~FCAutoInitGDIPlus() {
    if (started_) {
      Gdiplus::GdiplusShutdown(token_);
    }
  }
  FCAutoInitGDIPlus(const FCAutoInitGDIPlus&) = delete;
  FCAutoInitGDIPlus& operator=(const FCAutoInitGDIPlus&) = delete;

 private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};
