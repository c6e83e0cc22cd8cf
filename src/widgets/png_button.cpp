#include "widgets/png_button.h"

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include "framework/com_ptr.h"
#include "framework/gdi_objects.h"

namespace {

constexpr COLORREF kBackground = RGB(39, 39, 39);

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> LoadPngResource(UINT resource_id) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resource_id), L"PNG");
  if (!found) {
    return nullptr;
  }
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, found);
  if (!data || size == 0) {
    return nullptr;
  }
  ComPtr<IStream> stream;
  stream.Attach(SHCreateMemStream(static_cast<const BYTE*>(data), size));
  if (!stream) {
    return nullptr;
  }
  // The bitmap reads the stream lazily and keeps its own reference.
  std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream.Get()));
  if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) {
    return nullptr;
  }
  return bitmap;
}

CPngButton::CPngButton() = default;
CPngButton::~CPngButton() = default;

bool CPngButton::Attach(UINT id, HWND parent) {
  if (!SubclassDlgItem(id, parent)) {
    return false;
  }
  const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  SetWindowLongPtrW(hwnd_, GWL_STYLE,
                    (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW | WS_CLIPSIBLINGS);
  return true;
}

bool CPngButton::LoadFromResource(UINT resource_id, int mode, int leave_behaviour) {
  image_ = LoadPngResource(resource_id);
  mode_ = (mode == 1 || mode == 3 || mode == 4) ? mode : 3;
  leave_behaviour_ = leave_behaviour;
  if (!image_) {
    return false;
  }
  if (hwnd_) {
    const int cell_width = static_cast<int>(image_->GetWidth()) / CellCount();
    SetWindowPos(hwnd_, nullptr, 0, 0, cell_width, static_cast<int>(image_->GetHeight()),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
  }
  return true;
}

void CPngButton::SetState(int state) {
  if (state_ != state) {
    state_ = state;
    Invalidate();
  }
}

void CPngButton::DrawButton(HDC dc, int width, int height) const {
  RECT all = {0, 0, width, height};
  CBrush background;
  background.CreateSolidBrush(kBackground);
  FillRect(dc, &all, background);
  if (!image_) {
    return;
  }
  const int state = (hwnd_ && !IsWindowEnabled(hwnd_)) ? kDisabled : state_;
  const int image_w = static_cast<int>(image_->GetWidth());
  const int image_h = static_cast<int>(image_->GetHeight());
  int cell = 0;
  if (mode_ == 3) {
    cell = state == kHover ? 1 : state == kPressed ? 2 : 0;
  } else if (mode_ == 4) {
    cell = state - 1;
  }
  const int cell_w = image_w / CellCount();
  Gdiplus::Graphics graphics(dc);
  graphics.DrawImage(image_.get(), Gdiplus::Rect(0, 0, cell_w, image_h), cell * cell_w, 0, cell_w,
                     image_h, Gdiplus::UnitPixel);
}

bool CPngButton::OnPaint() {
  // Owner drawing without a round trip through the parent.
  CPaintDC paint(hwnd_);
  const RECT client = GetClientRect();
  DrawButton(paint, client.right, client.bottom);
  return true;
}

LRESULT CPngButton::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_HOVER | TME_LEAVE, hwnd_, 1};
        tracking_ = TrackMouseEvent(&track) != FALSE;
      }
      break;
    case WM_MOUSEHOVER:
      SetState(kHover);
      break;
    case WM_MOUSELEAVE:
      tracking_ = false;
      SetState(leave_behaviour_ == kLeaveKeepPressed && was_pressed_ ? kPressed : kNormal);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      was_pressed_ = true;
      SetState(kPressed);
      break;
    case WM_LBUTTONUP:
      SetState(kHover);
      break;
    case WM_ERASEBKGND:
      return 1;
    default:
      break;
  }
  return CWnd::WindowProc(message, wparam, lparam);
}
