#include "popup_dialog/wnd_show_exif2.h"

#include "config/app_config.h"
#include "image/image_document.h"
#include "popup_dialog/image_info_labels.h"
#include "popup_dialog/work_area.h"
#include "resource_ids.h"
#include "toolkit/ui_control.h"

WndShowExif2::WndShowExif2(HWND main_window) : main_window_(main_window) {}

WndShowExif2::~WndShowExif2() { DestroyWindowNow(); }

bool WndShowExif2::CreateAt(const RECT& button_rect) {
  if (!Create(main_window_, L"", kSkinnedPopupStyle & ~WS_VISIBLE, 0, RECT{})) {
    return false;
  }
  PlaceAt(button_rect);
  // Shown active: under Wine a popup shown without the activation can stay
  // beneath its owner on the screen. The viewer's keys still reach the main
  // window, whose loop translates them for its owned windows as well.
  ShowWindow(true, true);
  return true;
}

POINT WndShowExif2::PlacementFor(const RECT& button_rect, int window_height, int toolbar_dock) {
  return {button_rect.left,
          toolbar_dock == 1 ? button_rect.top - window_height : button_rect.bottom};
}

void WndShowExif2::PlaceAt(const RECT& button_rect) {
  if (!hwnd_) {
    return;
  }
  RECT window = {};
  ::GetWindowRect(hwnd_, &window);
  POINT top_left = PlacementFor(button_rect, window.bottom - window.top,
                                CAppConfig::GetInstance()->toolbar_dock);
  // The information button sits at the right end of the toolbar: a window
  // that would reach past the screen's edge is kept inside its work area.
  top_left = work_area::KeptOnScreen(
      top_left, SIZE{window.right - window.left, window.bottom - window.top}, button_rect);
  SetWindowPos(hwnd_, nullptr, top_left.x, top_left.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WndShowExif2::InitWindow() {
  RefreshLabels();
  CUseZipResourceDuiWnd::InitWindow();
}

void WndShowExif2::RefreshLabels() {
  if (!hwnd_) {
    return;
  }
  CImageDocument* document = CImageDocument::Instance();
  const CWICImageLoaderPtr loader = document->GetLoader();
  const image_info::Labels labels = image_info::MakeLabels(
      image_info::FindFile(document->GetPath()), document->GetOrientedSize(),
      loader ? &loader->exif() : nullptr, image_info::ExifLists::FromLanguage());
  for (const auto& [name, text] : labels) {
    if (CControlUI* label = paint_manager_.FindControl(name)) {
      label->SetText(text);
      label->SetToolTip(text);
    }
  }
  // The position's row and its map link only where there is a position.
  const bool has_position = !labels.at(L"gps").empty();
  for (const wchar_t* row : {L"gps_row", L"map"}) {
    if (CControlUI* control = paint_manager_.FindControl(row)) {
      control->SetVisible(has_position);
    }
  }
}

std::wstring WndShowExif2::LabelText(const wchar_t* name) const {
  CControlUI* label = paint_manager_.FindControl(name);
  return label ? label->GetText() : std::wstring();
}

void WndShowExif2::OnClick(TNotifyUI& msg) {
  const std::wstring name = msg.pSender ? msg.pSender->GetName() : std::wstring();
  if (name == L"cls") {
    AskToClose();
  } else if (name == L"map") {
    PostMessageW(main_window_, WM_COMMAND, ID_SHOW_LOCATION, 0);
  } else {
    CUseZipResourceDuiWnd::OnClick(msg);
  }
}

LRESULT WndShowExif2::ResponseDefaultKeyEvent(WPARAM wparam) {
  if (wparam == VK_ESCAPE) {
    AskToClose();
    return TRUE;
  }
  return FALSE;
}

LRESULT WndShowExif2::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
  AskToClose();
  handled = TRUE;
  return 0;
}

void WndShowExif2::AskToClose() { PostMessageW(main_window_, WM_COMMAND, ID_INFO_WINDOW, 0); }

void WndShowExif2::OnUIEvent(const CUIEventParam& event) {
  if (event.TypeId() == CUIEventViewImageChanged::Type()) {
    RefreshLabels();
  }
}
