#pragma once

#include <windows.h>

#include <utility>

// Owns one GDI object and deletes it; a font, brush, bitmap, pen or region.
template <class Handle>
class CGdiObjectT {
 public:
  CGdiObjectT() = default;
  explicit CGdiObjectT(Handle handle) : handle_(handle) {}
  ~CGdiObjectT() { DeleteObject(); }
  CGdiObjectT(const CGdiObjectT&) = delete;
  CGdiObjectT& operator=(const CGdiObjectT&) = delete;
  CGdiObjectT(CGdiObjectT&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  CGdiObjectT& operator=(CGdiObjectT&& other) noexcept {
    if (this != &other) {
      Attach(std::exchange(other.handle_, nullptr));
    }
    return *this;
  }

  void Attach(Handle handle) {
    DeleteObject();
    handle_ = handle;
  }
  Handle Detach() { return std::exchange(handle_, nullptr); }
  void DeleteObject() {
    if (handle_) {
      ::DeleteObject(handle_);
      handle_ = nullptr;
    }
  }
  Handle get() const { return handle_; }
  operator Handle() const { return handle_; }
  bool IsEmpty() const { return handle_ == nullptr; }

 private:
  Handle handle_ = nullptr;
};

class CFont : public CGdiObjectT<HFONT> {
 public:
  bool CreateFontIndirect(const LOGFONTW& font) {
    Attach(::CreateFontIndirectW(&font));
    return !IsEmpty();
  }
};

class CBrush : public CGdiObjectT<HBRUSH> {
 public:
  bool CreateSolidBrush(COLORREF color) {
    Attach(::CreateSolidBrush(color));
    return !IsEmpty();
  }
};

using CBitmap = CGdiObjectT<HBITMAP>;
using CRgn = CGdiObjectT<HRGN>;
using CPen = CGdiObjectT<HPEN>;

// Selects an object into a DC and puts the previous one back. Given the
// DC's current object (GetCurrentObject), it only restores that object at
// the end of the scope.
class CSelectObject {
 public:
  CSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~CSelectObject() {
    if (previous_ && previous_ != HGDI_ERROR) {
      ::SelectObject(dc_, previous_);
    }
  }
  CSelectObject(const CSelectObject&) = delete;
  CSelectObject& operator=(const CSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A window's client-area DC for the scope; the screen's for a null window.
class CClientDC {
 public:
  explicit CClientDC(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  ~CClientDC() {
    if (dc_) {
      ::ReleaseDC(hwnd_, dc_);
    }
  }
  CClientDC(const CClientDC&) = delete;
  CClientDC& operator=(const CClientDC&) = delete;
  operator HDC() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint and EndPaint for the scope of a WM_PAINT handler.
class CPaintDC {
 public:
  explicit CPaintDC(HWND hwnd) : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &paint_); }
  ~CPaintDC() { ::EndPaint(hwnd_, &paint_); }
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;
  operator HDC() const { return dc_; }
  const RECT& PaintRect() const { return paint_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_ = {};
  HDC dc_;
};

// A memory DC compatible with another DC (the screen for null), deleted at
// the end of the scope.
class CMemoryDC {
 public:
  explicit CMemoryDC(HDC compatible) : dc_(::CreateCompatibleDC(compatible)) {}
  ~CMemoryDC() {
    if (dc_) {
      ::DeleteDC(dc_);
    }
  }
  CMemoryDC(const CMemoryDC&) = delete;
  CMemoryDC& operator=(const CMemoryDC&) = delete;
  HDC get() const { return dc_; }
  operator HDC() const { return dc_; }

 private:
  HDC dc_;
};
