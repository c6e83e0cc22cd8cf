#pragma once

#include "popup_dialog/window_impl_base.h"

// The base of every popup of the viewer: skins come from the global
// resource zip. initialised_ becomes 1 when the window has finished its
// initialisation (this InitWindow sets it; a subclass that overrides
// InitWindow sets it at the end of its own), so that handlers such as
// focus loss act only on a window that is fully there.
class CUseZipResourceDuiWnd : public WindowImplBase {
 public:
  UILIB_RESOURCETYPE GetResourceType() const override { return UILIB_ZIP; }
  std::wstring GetSkinFolder() override { return L""; }
  void InitWindow() override { initialised_ = 1; }
  bool IsInitialised() const { return initialised_ != 0; }

 protected:
  int initialised_ = 0;
};
