#pragma once

#include <windows.h>

#include <memory>

#include "popup_dialog/context_menu.h"
#include "view_render/view_render.h"
#include "widgets/main_view/document_view.h"
#include "widgets/widget_window.h"

// The picture area of the main window: the view model of the shown picture,
// the page-turn arrows, the welcome, loading, error and tip items, and the
// mouse: wheel zoom or page turn, drag to pan, double-click zoom.
class WndMainImageView : public CWidgetWindow {
 public:
  WndMainImageView();
  ~WndMainImageView() override;

  // Rebuilds everything for the current image document's picture.
  void OnImageChanged();
  void OnEnterSizeMove() { live_resize = 1; }
  void OnExitSizeMove();
  // Fits the view model to a new view area (the frame calls it after
  // placing the window).
  using CWidgetWindow::OnSize;
  void OnSize();
  void ZoomStepCentre(int steps);
  void ToggleActualSize();
  void ScrollScreen(UINT command);
  void Rotate(bool clockwise);
  void ShowSavingTip();
  void HideSavingTip();
  void RemoveTransientItems();
  // Closes the open context menu, if any, without a command.
  void CloseContextMenu();
  // Opens the context menu at a screen point, replacing an open one.
  void OpenContextMenu(POINT at);
  // What the context menu enables and says for the current document and the
  // toolbar's actual-size flag.
  static CContextMenu::State ContextMenuState();
  // Whether the wheel zooms (else it turns pages) for the configured
  // mouse_wheel_action and the Ctrl key.
  static bool WheelZooms(int wheel_action, bool control);
  CContextMenu* context_menu_window() const { return context_menu.get(); }

  void DrawBackground(HDC dc, const RECT& paint_rect) override;
  void OnLButtonDown(int x, int y) override;
  void OnLButtonDblClk(int x, int y) override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  view_render::CViewRender* view_model() const { return view.get(); }
  // The view area in client coordinates.
  RECT ViewArea() const;

  int32_t live_resize = 0;

 private:
  void OnMouseWheel(WPARAM wparam, LPARAM lparam);
  void OnFolderListReady();
  void ShowNeighbourArrows();
  bool PressItem(CWidgetItem* item);
  void DragLoop(int x, int y);
  void RepaintNow();
  void AddLoadErrorItem(const std::wstring& path);
  // The renderer's first fit bitmap arrived, or it reports that none can be
  // made (result kFitBitmapFailed).
  void OnFitBitmapArrived(WPARAM result);
  HWND MainWindow() const { return GetParent(hwnd_); }

  std::unique_ptr<view_render::CViewRender> view;
  std::unique_ptr<CContextMenu> context_menu;
  CDocumentView document_;
  CDocumentPreloadCache preload_;
  bool painted_once_ = false;  // for the timing trace
};
