#include "widgets/main_view/wnd_main_image_view.h"

#include <shlwapi.h>
#include <windowsx.h>

#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "folder/current_folder_image.h"
#include "folder/system_cache.h"
#include "image/image_document.h"
#include "l10n/lang_string.h"
#include "log/timing_trace.h"
#include "main_messages.h"
#include "popup_dialog/dlg_mouse_wheel_favorite2.h"
#include "resource_ids.h"
#include "view_render/view_messages.h"
#include "widgets/main_view/main_view_items.h"
#include "widgets/main_view/main_view_layout.h"
#include "widgets/resource_picture.h"
#include "widgets/ui_event.h"
#include "widgets/window_title.h"

namespace {

FCObjImage LoadPicture(const wchar_t* name, bool premultiplied = false) {
  FCObjImage image;
  LoadResourcePicture(name, image, premultiplied);
  return image;
}

}  // namespace

using namespace main_view;

WndMainImageView::WndMainImageView() {
  // Straight alpha: the arrows are faded and premultiplied as they show.
  FCObjImage arrow;
  LoadResourcePicture(L"turn_page_indicator.png", arrow, false);
  AddItem(new CTurnPageItem(kPreviousArrow, this, arrow, false));
  AddItem(new CTurnPageItem(kNextArrow, this, arrow, true));
  RemoveTransientItems();
  SetLayout(new CMainViewLayout(arrow.Width()));
}

WndMainImageView::~WndMainImageView() {
  view.reset();
  DestroyWindowNow();
}

RECT WndMainImageView::ViewArea() const { return view_render::ViewAreaOf(GetClientRect()); }

void WndMainImageView::RemoveTransientItems() {
  for (int32_t id = kLoadError; id <= kSavingTip; ++id) {
    while (FindItem(id)) {
      RemoveItem(id);
    }
  }
  for (int32_t id : {kPreviousArrow, kNextArrow}) {
    if (CWidgetItem* arrow = FindItem(id)) {
      arrow->SetFlag(CWidgetItem::kVisible, false);
    }
  }
}

void WndMainImageView::OnImageChanged() {
  RemoveTransientItems();
  view.reset();

  CImageDocument* document = CImageDocument::Instance();
  const std::wstring path = document->GetPath();
  if (!path.empty()) {
    if (win_util::PathExists(path) && document->GetLoader()) {
      const RECT area = ViewArea();
      CSystemCache::GetInstance()->set_view_size(area.right - area.left, area.bottom - area.top);
      bool loading = false;
      view = view_render::CViewRender::Create(document_, &preload_, hwnd_, area.right - area.left,
                                              area.bottom - area.top, &loading);
      if (loading) {
        timing_trace::LoadingShown();
        AddItem(new CLoadingGifItem(this, LoadPicture(L"loading.png", true)));
      }
    } else if (win_util::PathExists(path)) {
      AddLoadErrorItem(path);
    } else {
      AddItem(
          new CTipItem(kFileMissingTip, LoadPicture(L"not_exist_bg.png", true), L"当前文件不存在"));
    }
    CCurrentFolderImage::GetInstance()->SetCurrent(hwnd_, path);
  } else {
    AddItem(new CWelcomeSlogonItem(LoadPicture(L"home_slogan.png", true)));
    AddItem(new CWelcomeOpenItem(LoadPicture(L"home_open.png", true)));
    document->Open(std::wstring());
  }

  Relayout();
  RepaintNow();
  CWindowTitle::GetInstance()->Refresh();
  CUIEventObserver::Broadcast(CUIEventViewImageChanged());
}

void WndMainImageView::AddLoadErrorItem(const std::wstring& path) {
  const std::wstring& title_name = CWindowTitle::GetInstance()->file_name();
  AddItem(new CLoadErrorItem(
      title_name.empty() ? std::wstring(PathFindFileNameW(path.c_str())) : title_name,
      GetLangString(L"app", L"LOAD_IMAGE_ERROR_TIP")));
}

void WndMainImageView::OnFitBitmapArrived(WPARAM result) {
  if (result == view_render::kFitBitmapFailed) {
    // A failure posted for an earlier picture is stale unless the current
    // view failed too.
    if (!view || !view->FitFailed() || FindItem(kLoadError)) {
      return;
    }
    AddLoadErrorItem(CImageDocument::Instance()->GetPath());
    Relayout();
  }
  RemoveItem(kLoading);
  Invalidate();
}

void WndMainImageView::RepaintNow() {
  if (hwnd_) {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
}

void WndMainImageView::OnExitSizeMove() {
  live_resize = 0;
  if (view) {
    const RECT area = ViewArea();
    view->Resize(area.right - area.left, area.bottom - area.top);
    if (CImageDocument::Instance()->IsLongImage() && CAppConfig::GetInstance()->long_image_mode) {
      OnImageChanged();
    }
  }
  Invalidate();
}

void WndMainImageView::OnSize() {
  if (!live_resize && view) {
    const RECT area = ViewArea();
    view->Resize(area.right - area.left, area.bottom - area.top);
  }
  Invalidate();
}

void WndMainImageView::ZoomStepCentre(int steps) {
  if (!view) {
    return;
  }
  const RECT area = ViewArea();
  view->ZoomStep(steps, (area.right - area.left) / 2, (area.bottom - area.top) / 2);
  RepaintNow();
}

void WndMainImageView::ToggleActualSize() {
  if (!view) {
    return;
  }
  view->ToggleActualSize();
  RepaintNow();
}

void WndMainImageView::ScrollScreen(UINT command) {
  if (!view) {
    return;
  }
  const int distance = static_cast<int>(0.8 * GetSystemMetrics(SM_CYFULLSCREEN));
  view->Pan(0, command == ID_SCROLL_UP ? distance : -distance);
  Invalidate();
}

void WndMainImageView::Rotate(bool clockwise) {
  CImageDocument* document = CImageDocument::Instance();
  const CWICImageLoaderPtr loader = document->GetLoader();
  if (loader && loader->IsAnimatedGif()) {
    return;
  }
  document->SetDisplayBitmap(view ? view->GetFitBitmap(true) : nullptr);
  view.reset();
  document->Rotate(clockwise);
  OnImageChanged();
}

void WndMainImageView::ShowSavingTip() {
  RemoveTransientItems();
  AddItem(new CTipItem(kSavingTip, LoadPicture(L"not_exist_bg.png", true), L"保存图片中"));
  Relayout();
  RepaintNow();
}

void WndMainImageView::HideSavingTip() {
  RemoveItem(kSavingTip);
  ShowNeighbourArrows();
  Invalidate();
}

void WndMainImageView::ShowNeighbourArrows() {
  CCurrentFolderImage* folder = CCurrentFolderImage::GetInstance();
  if (CWidgetItem* previous = FindItem(kPreviousArrow)) {
    previous->SetFlag(CWidgetItem::kVisible, folder->HasNeighbour(-1));
  }
  if (CWidgetItem* next = FindItem(kNextArrow)) {
    next->SetFlag(CWidgetItem::kVisible, folder->HasNeighbour(1));
  }
}

void WndMainImageView::OnFolderListReady() {
  CWindowTitle::GetInstance()->Refresh();
  ShowNeighbourArrows();
  Relayout();
  CUIEventObserver::Broadcast(CUIEventFolderImageCollected());
  Invalidate();
}

void WndMainImageView::DrawBackground(HDC dc, const RECT& paint_rect) {
  FillRect(dc, &paint_rect, CAppConfig::GetInstance()->canvas_brush);
  if (!painted_once_) {
    painted_once_ = true;
    timing_trace::Record("window");
  }
  if (!view) {
    return;
  }
  const RECT area = ViewArea();
  POINT origin = {};
  GetViewportOrgEx(dc, &origin);
  SetViewportOrgEx(dc, origin.x + area.left, origin.y + area.top, nullptr);
  view->Paint(dc, area.right - area.left, area.bottom - area.top, live_resize != 0);
  SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
}

bool WndMainImageView::PressItem(CWidgetItem* item) {
  if (!item) {
    return false;
  }
  switch (item->id) {
    case kPreviousArrow:
      PostMessageW(MainWindow(), WM_KEYDOWN, VK_LEFT, 0);
      break;
    case kNextArrow:
      PostMessageW(MainWindow(), WM_KEYDOWN, VK_RIGHT, 0);
      break;
    case kWelcomeOpen:
      PostMessageW(MainWindow(), WM_COMMAND, ID_OPEN, 0);
      break;
    default:
      break;
  }
  return true;
}

void WndMainImageView::OnLButtonDown(int x, int y) {
  CWidgetItem* item = HitTest(x, y);
  if (item) {
    // Items act at the press, the welcome button too (the open dialog comes
    // up while the button is still held).
    PressItem(item);
    return;
  }
  if (view) {
    DragLoop(x, y);
  }
}

void WndMainImageView::DragLoop(int x, int y) {
  SetCapture(hwnd_);
  POINT last = {x, y};
  MSG msg;
  BOOL got = FALSE;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
    if (GetCapture() != hwnd_) {
      // The message fetched as the capture went belongs to someone.
      DispatchMessageW(&msg);
      break;
    }
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP) {
      // Pointer positions relative to this window, also beyond its edges.
      POINT point = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
      if (msg.hwnd != hwnd_) {
        MapWindowPoints(msg.hwnd, hwnd_, &point, 1);
      }
      if (view && view->Pan(point.x - last.x, point.y - last.y)) {
        RepaintNow();
      }
      last = point;
      if (msg.message == WM_LBUTTONUP) {
        break;
      }
      continue;
    }
    DispatchMessageW(&msg);
  }
  if (got == 0) {
    // WM_QUIT ends the loop that runs this one as well.
    PostQuitMessage(static_cast<int>(msg.wParam));
  }
  if (GetCapture() == hwnd_) {
    ReleaseCapture();
  }
  Invalidate();
}

void WndMainImageView::OnLButtonDblClk(int x, int y) {
  CWidgetItem* item = HitTest(x, y);
  if (item) {
    PressItem(item);
    return;
  }
  if (view) {
    const RECT area = ViewArea();
    view->ZoomToggle(x - area.left, y - area.top);
    RepaintNow();
  }
}

void WndMainImageView::OnMouseWheel(WPARAM wparam, LPARAM lparam) {
  if (FindItem(kWelcomeOpen) || DlgMouseWheelFavorite2::Current()) {
    return;
  }
  CAppConfig* config = CAppConfig::GetInstance();
  if (config->mouse_wheel_action == 99) {
    config->ReloadWheelSettings();
    if (config->mouse_wheel_action == 99) {
      DlgMouseWheelFavorite2 dialog(*config);
      dialog.DoModal(MainWindow());
    }
  }
  const int delta = GET_WHEEL_DELTA_WPARAM(wparam);
  if (GetKeyState(VK_MENU) < 0) {
    PostMessageW(MainWindow(), WM_COMMAND, delta > 0 ? ID_SCROLL_UP : ID_SCROLL_DOWN, 0);
    return;
  }
  const bool control = (GET_KEYSTATE_WPARAM(wparam) & MK_CONTROL) != 0;
  if (WheelZooms(config->mouse_wheel_action, control)) {
    if (!view) {
      return;
    }
    POINT point = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    ScreenToClient(hwnd_, &point);
    const RECT area = ViewArea();
    view->ZoomStep(delta / WHEEL_DELTA, point.x - area.left, point.y - area.top);
    RepaintNow();
    return;
  }
  PostMessageW(MainWindow(), WM_COMMAND, delta > 0 ? ID_PREVIOUS : ID_NEXT, 0);
}

LRESULT WndMainImageView::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MOUSEWHEEL:
      OnMouseWheel(wparam, lparam);
      return 0;
    case UM_MENU_RESULT:
      if (!context_menu) {
        return 0;
      }
      if (static_cast<int>(wparam) != -1) {
        PostMessageW(MainWindow(), WM_COMMAND, LOWORD(wparam), 0);
      }
      CloseContextMenu();
      return 0;
    case WM_CONTEXTMENU: {
      POINT at = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      if (at.x == -1 && at.y == -1) {
        // From the keyboard (Shift+F10 or the menu key): the view's centre.
        RECT client = {};
        ::GetClientRect(hwnd_, &client);
        at = {(client.left + client.right) / 2, (client.top + client.bottom) / 2};
        ::ClientToScreen(hwnd_, &at);
      }
      OpenContextMenu(at);
      return 0;
    }
    case view_render::UM_FIT_BITMAP_ARRIVED:
      OnFitBitmapArrived(wparam);
      return 0;
    case UM_FOLDER_LIST_READY:
      OnFolderListReady();
      return 0;
    case WM_DESTROY:
      CloseContextMenu();
      view.reset();
      break;
    default:
      break;
  }
  return CWidgetWindow::WindowProc(message, wparam, lparam);
}

void WndMainImageView::CloseContextMenu() {
  std::unique_ptr<CContextMenu> menu = std::move(context_menu);
  if (menu && ::IsWindow(menu->GetHWND())) {
    ::DestroyWindow(menu->GetHWND());
  }
}

bool WndMainImageView::WheelZooms(int wheel_action, bool control) {
  // Ctrl gives the wheel the other of its two uses.
  return (wheel_action == 1) != control;
}

CContextMenu::State WndMainImageView::ContextMenuState() {
  CContextMenu::State state;
  const CImageDocument* document = CImageDocument::Instance();
  const std::wstring& path = document->GetPath();
  state.loaded = document->GetLoader() != nullptr;
  state.file_exists = !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  state.actual_size = CAppConfig::GetInstance()->fit_toggle_state != 0;
  return state;
}

void WndMainImageView::OpenContextMenu(POINT at) {
  CloseContextMenu();
  context_menu = std::make_unique<CContextMenu>(hwnd_, ContextMenuState());
  if (!context_menu->Open(MainWindow(), at)) {
    context_menu.reset();
  }
}
