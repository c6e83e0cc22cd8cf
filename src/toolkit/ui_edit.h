#pragma once

#include <memory>

#include "framework/gdi_objects.h"
#include "framework/wnd.h"
#include "toolkit/ui_label.h"

class CEditUI;

// The platform edit window an edit control types into.
class CEditNativeWnd : public CWnd {
 public:
  explicit CEditNativeWnd(CEditUI* owner) : owner_(owner) {}
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  // The control is going away; the window reports nothing more.
  void DetachOwner() { owner_ = nullptr; }

 private:
  CEditUI* owner_;
};

// Text input on a native edit window laid over the control's text
// rectangle (the control draws its background, picture and border around
// it). Reports "textchanged" when the user changes the text (not when the
// program sets it), "setfocus" and "killfocus".
class CEditUI : public CLabelUI, public INativeChildUI {
 public:
  CEditUI();
  ~CEditUI() override;
  const wchar_t* GetClass() const override { return L"EditUI"; }

  std::wstring GetText() const override;
  void SetText(const std::wstring& text) override;
  void SetMaxChar(int count);
  int GetMaxChar() const { return max_char_; }
  void SetReadOnly(bool read_only);
  bool IsReadOnly() const { return read_only_; }
  void SetNativeBkColor(uint32_t argb);
  // The native edit window (null until the control is in a window).
  HWND GetNativeWindow() const { return native_ ? native_->GetSafeHwnd() : nullptr; }

  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void SetPos(const RECT& rect) override;
  void SetVisible(bool visible) override;
  void SetInternVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void DoInit() override;
  void DoEvent(TEventUI& event) override;
  bool WantsFocus() const override { return IsKeyboardEnabled(); }

  // From the native window, through the paint manager.
  void OnNativeCommand(UINT code) override;
  HBRUSH OnNativeColor(HDC dc) override;
  void OnNativeFocus(bool gained);

 protected:
  void PaintText(HDC /*dc*/) override {}

 private:
  void PlaceNative();
  void ShowNative();

  std::unique_ptr<CEditNativeWnd> native_;
  CBrush native_brush_;
  uint32_t native_bk_color_ = 0xFFFFFFFF;
  int max_char_ = 255;
  bool read_only_ = false;
  bool password_ = false;
  bool number_only_ = false;
  bool multiline_ = false;
  bool setting_text_ = false;
};
