#pragma once

#include <windows.h>

#include <string>

#include "toolkit/paint_manager.h"
#include "toolkit/ui_defs.h"
#include "toolkit/window_wnd.h"

// Window style of every skinned popup at creation: WS_POPUP, WS_VISIBLE,
// WS_CLIPSIBLINGS, WS_CLIPCHILDREN, WS_CAPTION and WS_SYSMENU (the base
// removes WS_CAPTION).
constexpr DWORD kSkinnedPopupStyle = 0x96C80000;

// Where a window's skin comes from.
enum UILIB_RESOURCETYPE {
  UILIB_ZIP = 2,          // the toolkit's global resource zip ("res.zip")
  UILIB_ZIPRESOURCE = 4,  // a zip held in the program as resource type "ZIPRES"
};

// A skinned window: a native window plus a paint manager that owns the
// control tree built from the skin. On creation it drops WS_CAPTION, loads
// its skin (a skin that cannot be loaded is fatal, see skin_resources.h),
// takes the skin's size, attaches the drop shadow and calls InitWindow.
// It receives the tree's notifications (Notify), sees the keys of the
// window first (MessageHandler) and may make controls of its own classes
// (CreateControl). The virtual operations are declared in the order of
// their slots.
class WindowImplBase : public CWindowWnd,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
 public:
  WindowImplBase() = default;

  // Slot 0 is Close (CWindowWnd): posts WM_CLOSE with the result.
  // Slots 1 to 3: GetWindowClassName, GetSuperClassName, GetClassStyle.
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnFinalMessage(HWND hwnd) override;
  ~WindowImplBase() override;
  // Called once, after the tree is built.
  virtual void InitWindow() {}
  // A flag of the paint manager: the window is layered (per-pixel alpha).
  virtual void SetPaintManagerLayered(bool layered) { paint_manager_.SetLayered(layered); }
  virtual bool HasShadow() const { return paint_manager_.HasShadow(); }
  virtual RECT GetShadowSize() const { return paint_manager_.GetShadowSize(); }
  // "closebtn" closes with 1; "minbtn", "maxbtn", "restorebtn" send the
  // matching system command.
  virtual void OnClick(TNotifyUI& msg);
  virtual std::wstring GetSkinFolder() { return L""; }
  virtual std::wstring GetSkinFile() = 0;
  // Escape closes with 1 (and is consumed); Return is not consumed.
  virtual LRESULT ResponseDefaultKeyEvent(WPARAM wparam);
  virtual UILIB_RESOURCETYPE GetResourceType() const { return UILIB_ZIP; }
  virtual std::wstring GetZIPFileName() const;
  virtual UINT GetResourceID() const { return 0; }
  virtual LRESULT OnClose(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnDestroy(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnNcActivate(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnNcCalcSize(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnNcPaint(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  // Inside the skin's size box the edges resize the window; inside its
  // caption, points over controls that take no clicks drag it.
  virtual LRESULT OnNcHitTest(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnGetMinMaxInfo(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnMouseWheel(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnMouseHover(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  // Applies the skin's round corners as the window region.
  virtual LRESULT OnSize(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnChar(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnSysCommand(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnCreate(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnKeyDown(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnKillFocus(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnSetFocus(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnLButtonDown(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnLButtonUp(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  virtual LRESULT OnMouseMove(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  // Messages of the subclass; handled is false on entry.
  virtual LRESULT HandleCustomMessage(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled);
  // The current style without WS_CAPTION.
  virtual LONG GetStyle();

  // INotifyUI: "click" goes to OnClick.
  void Notify(TNotifyUI& msg) override;
  // IMessageFilterUI: the default keys.
  LRESULT MessageHandler(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override;
  // IDialogBuilderCallback: no classes of its own.
  CControlUI* CreateControl(const wchar_t* /*pstrClass*/) override { return nullptr; }
  BOOL PreTranslateMessage(MSG* msg) override;

  CPaintManagerUI& GetPaintManager() { return paint_manager_; }

 protected:
  // Controls that take clicks (and so are client area inside the caption).
  static bool TakesClicks(CControlUI* control);

  CPaintManagerUI paint_manager_;
};
