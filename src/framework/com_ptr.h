#pragma once

#include <windows.h>
#include <unknwn.h>

#include <exception>
#include <utility>

// Raised by ThrowIfFailed and by using an empty ComPtr. Every image operation
// catches it itself and returns its empty result (null bitmap, false).
class CComError : public std::exception {
 public:
  explicit CComError(HRESULT hr) : hr_(hr) {}
  HRESULT hr() const { return hr_; }
  const char* what() const noexcept override { return "COM call failed"; }

 private:
  HRESULT hr_;
};

inline void ThrowIfFailed(HRESULT hr) {
  if (FAILED(hr)) {
    throw CComError(hr);
  }
}

// Owning COM interface pointer. Calling through an empty pointer raises
// CComError(E_POINTER) instead of faulting.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes a reference of its own to p.
  ComPtr(T* p) : ptr_(p) {  // NOLINT: implicit on purpose, like a raw pointer
    if (ptr_) {
      ptr_->AddRef();
    }
  }
  ComPtr(const ComPtr& other) : ComPtr(other.ptr_) {}
  // From a pointer to a derived interface (a frame as a bitmap source).
  template <class U>
  ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.Get())) {}  // NOLINT
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ~ComPtr() { Reset(); }

  ComPtr& operator=(const ComPtr& other) {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }

  T* Get() const { return ptr_; }
  T* operator->() const {
    if (!ptr_) {
      throw CComError(E_POINTER);
    }
    return ptr_;
  }
  explicit operator bool() const { return ptr_ != nullptr; }

  // Releases the current object and gives the address for an out parameter.
  T** Receive() {
    Reset();
    return &ptr_;
  }
  void Reset() {
    if (ptr_) {
      std::exchange(ptr_, nullptr)->Release();
    }
  }
  // Takes over a reference the caller owns.
  void Attach(T* p) {
    Reset();
    ptr_ = p;
  }
  // Hands the reference to the caller.
  T* Detach() { return std::exchange(ptr_, nullptr); }
  void Swap(ComPtr& other) noexcept { std::swap(ptr_, other.ptr_); }

  // QueryInterface; empty when the object does not implement U.
  template <class U>
  ComPtr<U> As() const {
    ComPtr<U> result;
    if (ptr_) {
      ptr_->QueryInterface(__uuidof(U), reinterpret_cast<void**>(result.Receive()));
    }
    return result;
  }

 private:
  T* ptr_ = nullptr;
};
