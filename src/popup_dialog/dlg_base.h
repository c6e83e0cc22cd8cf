#pragma once

#include "popup_dialog/use_zip_resource_dui_wnd.h"

// A modal skinned dialog.
class CDlgBase : public CUseZipResourceDuiWnd {
 public:
  // Creates the dialog owned by owner (the application's main window when
  // null), centres it on the owner and runs it modally; returns the result
  // of its close, or 0 when it could not be created.
  UINT DoModal(HWND owner = nullptr);
};

// Creates window (a skinned popup) owned by owner, centred on it, and runs
// it modally. A window left without content (its skin resource missing) is
// not run: 0 at once, instead of an invisible modal loop.
UINT RunSkinnedModal(WindowImplBase& window, HWND owner);
