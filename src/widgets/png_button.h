#pragma once

#include <windows.h>

#include <memory>

#include "framework/wnd.h"

namespace Gdiplus {
class Bitmap;
}

// An owner-drawn push button painted from a PNG strip of state cells.
class CPngButton : public CWnd {
 public:
  enum State { kNormal = 1, kHover = 2, kPressed = 3, kDisabled = 4 };
  enum LeaveBehaviour { kLeaveNormal = 16, kLeaveKeepPressed = 17 };

  CPngButton();
  ~CPngButton() override;

  // Binds the dialog's button and makes it owner-drawn.
  bool Attach(UINT id, HWND parent);
  // mode: 1 (the whole picture), 3 (normal, hover, pressed) or 4 (and
  // disabled). The button is resized to one cell.
  bool LoadFromResource(UINT resource_id, int mode, int leave_behaviour = kLeaveNormal);

  int state() const { return state_; }
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnPaint() override;

  // Draws into dc for the given size; called for WM_DRAWITEM by the parent.
  void DrawButton(HDC dc, int width, int height) const;

 private:
  void SetState(int state);
  int CellCount() const { return mode_ == 1 ? 1 : mode_; }

  std::unique_ptr<Gdiplus::Bitmap> image_;
  int mode_ = 3;
  int state_ = kNormal;
  bool was_pressed_ = false;
  bool tracking_ = false;
  int leave_behaviour_ = kLeaveNormal;
};

// A PNG resource of this program as a GDI+ bitmap, or null.
std::unique_ptr<Gdiplus::Bitmap> LoadPngResource(UINT resource_id);
