#pragma once

#include <windows.h>

#include <utility>

// Owns one kernel handle (a file, thread, process, event or mutex) and
// closes it. Both null and INVALID_HANDLE_VALUE count as no handle, so the
// results of CreateFileW and of OpenProcess can be held alike.
template <class Traits>
class CScopedHandleT {
 public:
  CScopedHandleT() = default;
  explicit CScopedHandleT(HANDLE handle) : handle_(handle) {}
  ~CScopedHandleT() { Close(); }
  CScopedHandleT(const CScopedHandleT&) = delete;
  CScopedHandleT& operator=(const CScopedHandleT&) = delete;
  CScopedHandleT(CScopedHandleT&& other) noexcept : handle_(other.Detach()) {}
  CScopedHandleT& operator=(CScopedHandleT&& other) noexcept {
    if (this != &other) {
      Attach(other.Detach());
    }
    return *this;
  }

  HANDLE get() const { return handle_; }
  bool IsValid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return IsValid(); }

  // Closes the current handle and takes over handle.
  void Attach(HANDLE handle) {
    Close();
    handle_ = handle;
  }
  // Hands the handle to the caller.
  HANDLE Detach() { return std::exchange(handle_, nullptr); }
  void Close() {
    if (IsValid()) {
      Traits::Close(handle_);
    }
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

struct CKernelHandleTraits {
  static void Close(HANDLE handle) { ::CloseHandle(handle); }
};

struct CFindHandleTraits {
  static void Close(HANDLE handle) { ::FindClose(handle); }
};

using CHandle = CScopedHandleT<CKernelHandleTraits>;
// A FindFirstFileW search.
using CFindHandle = CScopedHandleT<CFindHandleTraits>;
