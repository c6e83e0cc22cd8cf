#pragma once

#include <windows.h>

#include "popup_dialog/use_zip_resource_dui_wnd.h"

// The display enhancement chooser (skin "effect.xml"): the options
// "brighter", "colorful" and "hd" carry the modes 1 to 3, the current mode's
// option is shown selected. Clicking an option posts UM_EFFECT_CHOSEN with
// its mode to the owner; losing the keyboard focus once created posts it
// with 0. The owner destroys the window in both cases.
class CEffectWnd : public CUseZipResourceDuiWnd {
 public:
  CEffectWnd(HWND owner, int current_mode);
  ~CEffectWnd() override;

  // Creates the window with its top-left corner at the screen point (moved
  // into the screen's work area where it would reach past it), its size
  // from the skin, and shows it with the keyboard focus.
  bool CreateAt(POINT top_left);

  const wchar_t* GetWindowClassName() const override { return L"CEffectWnd"; }
  std::wstring GetSkinFile() override { return L"effect.xml"; }
  void InitWindow() override;
  void Notify(TNotifyUI& msg) override;
  LRESULT OnKillFocus(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;

  // The owner is about to destroy the window: nothing more is posted.
  void DetachOwner() { owner_ = nullptr; }

  // The option names by mode, 1 to 3.
  static const wchar_t* OptionName(int mode);

 private:
  HWND owner_;
  int current_mode_;
};
