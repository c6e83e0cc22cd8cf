#pragma once

#include <windows.h>

#include <memory>

#include "app/app_names.h"
#include "app/ipc/channel_listener.h"
#include "basic_lib/single_thread_runner.h"
#include "config/window_placement.h"
#include "framework/dialog.h"
#include "framework/gdi_objects.h"
#include "image/convert_command.h"
#include "integration/default_viewer.h"
#include "popup_dialog/convert_msg_box.h"
#include "popup_dialog/dlg_about2.h"
#include "popup_dialog/dlg_feedback.h"
#include "popup_dialog/dlg_set_default_viewer2.h"
#include "popup_dialog/dlg_setting2.h"
#include "main_messages.h"
#include "widgets/main_view/wnd_main_image_view.h"
#include "widgets/png_button.h"
#include "widgets/wnd_main_logo.h"
#include "widgets/wnd_main_menubar.h"
#include "widgets/wnd_main_toolbar.h"

// The one main window: a frameless dialog run modally, owning the widget
// windows of the title strip, the toolbar and the picture view, and turning
// keys, menu choices and messages of other processes into operations.
class COrvaneDlg : public CDialog, public IChannelListener2, public IConvertFormatChooser {
 public:
  COrvaneDlg();
  ~COrvaneDlg() override;

  BOOL OnInitDialog() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  void OnCancel() override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnCommand(UINT id, UINT code, HWND control) override;
  bool OnSize(UINT type, int width, int height) override;
  bool OnPaint() override;
  bool OnTimer(UINT_PTR id) override;

  // The tray channel (routing id 2): type 2 closes the window.
  void OnMessageReceived(const IPC::Message& message) override;
  int32_t GetRoutingId() override;
  void OnPeerGone(bool session_ending) override;

  // Command 20014's chooser: the conversion box, modal to this window.
  int Choose(HWND owner, const std::wstring& file_name, const std::vector<std::wstring>& labels,
             int* selected_index) override;
  CConvertMsgBox* convert_box() const { return convert_box_.get(); }

  // Frame.
  void LayoutChildren();
  void ToggleFullScreen();
  bool IsFullScreen() const { return full_screen_ != 0; }
  bool IsClosing() const { return closing_; }

  // Geometry of the children in a client area of width w and height h.
  static RECT ToolbarRect(int w, int h, bool docked_bottom);
  static RECT ImageViewRect(int w, int h, bool docked_bottom);

  static constexpr int kTitleStripHeight = 31;
  static constexpr int kDragStripBottom = 29;

  WndMainImageView& image_view() { return image_view_; }
  WndMainToolbar& toolbar() { return toolbar_; }
  // The picture state the toolbar's buttons follow.
  static wnd_main_toolbar::PictureState CurrentPictureState();

 private:
  // Messages.
  void RunCommand(UINT id);
  // Makes the viewer the default one (1) or not (0) and tells the tray program.
  void ApplyDefaultViewer(int value);
  void OnDefaultViewerPrompt();
  LRESULT OnCopyData(const COPYDATASTRUCT* data);
  void OnDropFiles(HDROP drop);
  void OnGetMinMaxInfo(MINMAXINFO* info);
  LRESULT OnNcHitTest(LPARAM lparam);
  LRESULT OnCtlColor(HDC dc, HWND control);
  void OnTitleWidth(int width, int height);
  void OnStartupOpen();
  void OnOpenHandedOver(const wchar_t* path);
  void OnClose();
  void OnQuickIndexChanged(LPARAM state);
  void SendStartStatistic();
  void CloseChannel();

  // Commands on the picture (orvanedlg_commands.cpp); false when id is not
  // one of them.
  bool OnPictureCommand(UINT id);
  void ShowNeighbour(int offset);
  void DeleteCurrentPicture();
  void ShowOpenDialog();
  // Command 20010: the resize dialog, then the job on resize_worker_.
  void ResizeAndSave();
  void OnResizeDone(bool saved, bool same_file);
  void EnableToolbar(bool enable);
  void ShowAbout();

  // Commands.
  void StartOrderlyClose();
  void ToggleAlwaysOnTop();
  void SetToolbarDock(int dock);
  // A folder opens its first picture once the folder list has listed it.
  void OpenPath(const std::wstring& path);
  void OpenPicture(const std::wstring& path);
  void OnFolderPictureFound();
  void BringForward();

  void CreateTitleFonts();
  void PlaceWindowButtons(UINT size_type, int width);

  WndMainImageView image_view_;
  WndMainLogo logo_;
  WndMainMenubar menu_bar_;
  WndMainToolbar toolbar_;
  HACCEL accelerators_ = nullptr;
  std::unique_ptr<RECT> saved_rect_;
  UINT quit_message_ = 0;
  CBrush background_brush_;
  CFont title_font_;
  CFont title_font_bold_;
  CPngButton close_button_;
  CPngButton maximize_button_;
  CPngButton minimize_button_;
  RECT region_rect_ = {};
  int corner_width_ = 0;
  int corner_height_ = 0;
  int full_screen_ = 0;
  bool closing_ = false;
  std::unique_ptr<CConvertMsgBox> convert_box_;
  CStartDefaultViewerCheck default_viewer_check_;
  std::unique_ptr<DlgSetDefaultViewer2> default_viewer_dialog_;
  std::unique_ptr<DlgAbout2> about_dialog_;
  // Created by the first resize; its destruction waits for a running job.
  std::unique_ptr<CSingleThreadRunner> resize_worker_;
  bool resize_running_ = false;  // from the job's start until UM_RESIZE_DONE
  std::unique_ptr<DlgSetting2> settings_dialog_;
  // Kept after its modal run until message 33284, the next form or the
  // window's end deletes it.
  std::unique_ptr<CFeedbackDlg> feedback_dialog_;

  // Runs the settings dialog modally on start page 0 or 4; nothing while one is open.
  void OpenSettings(int start_page);
  // Shows a new feedback form modally, replacing and deleting any earlier one.
  void OpenFeedback();
  // Asks the open popups to close with result 2 (the viewer is quitting).
  void ClosePopups();
};
