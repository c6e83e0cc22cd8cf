#pragma once

#include <cstdint>

#include "popup_dialog/dlg_base.h"

// Offers, at start-up, to make the viewer the default one again. "ok"
// closes with 1 (make it the default), "cancel", "cls" and Escape with 2.
// Whichever closes it, a ticked "notip" clears *start_tip (the caller's
// setting, in memory), so the offer is not made at later starts.
class DlgSetDefaultViewer2 : public CDlgBase {
 public:
  static constexpr UINT kAccepted = 1;
  static constexpr UINT kDeclined = 2;

  explicit DlgSetDefaultViewer2(int32_t* start_tip) : start_tip_(start_tip) {}

  const wchar_t* GetWindowClassName() const override { return L"DlgSetDefaultViewer2"; }
  std::wstring GetSkinFile() override { return L"default.xml"; }
  void OnClick(TNotifyUI& msg) override;
  LRESULT ResponseDefaultKeyEvent(WPARAM wparam) override;

 private:
  // Closes the dialog with result, taking "notip" into account first.
  void Finish(UINT result);
  bool NoTipTicked();

  int32_t* start_tip_;
};
