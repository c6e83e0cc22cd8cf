#pragma once

#include <windows.h>

#include <commctrl.h>

// A tooltip control owned by this object.
class CToolTipCtrl {
 public:
  CToolTipCtrl() = default;
  ~CToolTipCtrl() { DestroyWindow(); }
  CToolTipCtrl(const CToolTipCtrl&) = delete;
  CToolTipCtrl& operator=(const CToolTipCtrl&) = delete;

  bool Create(DWORD style);
  void DestroyWindow();
  void Activate(bool active);
  bool AddTool(HWND owner, const wchar_t* text, const RECT& rect, UINT_PTR tool_id);
  void RelayEvent(MSG* msg);
  int GetToolCount() const;

  HWND GetSafeHwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};
