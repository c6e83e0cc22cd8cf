#pragma once

#include "popup_dialog/dlg_base.h"

class CAppConfig;

// Asks once what the mouse wheel should do: turn pages (0) or zoom (1).
// "ok" stores the choice as mouse_wheel_action (and, with "notip" ticked,
// stops asking: show_wheel_favorite 0), saves the settings and closes with
// 1; "cls" and Escape store the page turn the same way. While a dialog
// exists, Current() refers to it, and the picture view ignores the wheel.
class DlgMouseWheelFavorite2 : public CDlgBase {
 public:
  explicit DlgMouseWheelFavorite2(CAppConfig& config);
  ~DlgMouseWheelFavorite2() override;
  DlgMouseWheelFavorite2(const DlgMouseWheelFavorite2&) = delete;
  DlgMouseWheelFavorite2& operator=(const DlgMouseWheelFavorite2&) = delete;

  static DlgMouseWheelFavorite2* Current();

  const wchar_t* GetWindowClassName() const override { return L"DlgMouseWheelFavorite2"; }
  std::wstring GetSkinFile() override { return L"mousewheel.xml"; }
  void InitWindow() override;
  void Notify(TNotifyUI& msg) override;
  void OnClick(TNotifyUI& msg) override;
  LRESULT ResponseDefaultKeyEvent(WPARAM wparam) override;

  int action() const { return action_; }
  int no_tip() const { return no_tip_; }

 private:
  void StoreAndClose();

  CAppConfig& config_;
  int action_ = 0;
  int no_tip_ = 1;
};
