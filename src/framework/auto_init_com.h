#pragma once

#include <windows.h>
#include <objbase.h>

// Joins this thread to a single-threaded COM apartment for the object's life.
class FCAutoInitializeCOM {
 public:
  FCAutoInitializeCOM() : result_(CoInitialize(nullptr)) {}
  virtual ~FCAutoInitializeCOM() {
    if (SUCCEEDED(result_)) {
      CoUninitialize();
    }
  }
  FCAutoInitializeCOM(const FCAutoInitializeCOM&) = delete;
  FCAutoInitializeCOM& operator=(const FCAutoInitializeCOM&) = delete;

  bool succeeded() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};
