// The main window's commands on the current picture: zoom, stepping through
// the folder, rotation, deletion, opening, saving, copying and the shell
// hand-offs.
#include "app/orvanedlg.h"

#include <shlwapi.h>

#include <memory>

#include "app/orvane_app.h"
#include "basic_lib/win32_system.h"
#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "folder/current_folder_image.h"
#include "folder/system_cache.h"
#include "framework/auto_init_com.h"
#include "image/image_document.h"
#include "image/image_format.h"
#include "image/save_as_command.h"
#include "integration/stat_reporter.h"
#include "l10n/lang_string.h"
#include "popup_dialog/dlg_delete_confirm2.h"
#include "popup_dialog/dlg_mouse_wheel_favorite2.h"
#include "popup_dialog/dlg_open_file.h"
#include "popup_dialog/dlg_resize_image2.h"
#include "popup_dialog/message_box.h"
#include "resource_ids.h"

namespace {

// How long closing the window waits for a running resize job.
constexpr DWORD kResizeJobWaitMs = 2000;

}  // namespace

wnd_main_toolbar::PictureState COrvaneDlg::CurrentPictureState() {
  wnd_main_toolbar::PictureState state;
  CImageDocument* document = CImageDocument::Instance();
  if (const CWICImageLoaderPtr loader = document->GetLoader()) {
    state.loaded = true;
    state.has_gps = !loader->exif().gps.empty();
    state.animated_gif = loader->IsAnimatedGif();
  }
  CCurrentFolderImage* folder = CCurrentFolderImage::GetInstance();
  state.has_previous = folder->HasNeighbour(-1);
  state.has_next = folder->HasNeighbour(1);
  state.file_exists = win_util::PathExists(document->GetPath());
  return state;
}

bool COrvaneDlg::OnPictureCommand(UINT id) {
  CImageDocument* document = CImageDocument::Instance();
  switch (id) {
    case ID_INFO_WINDOW:
      image_view_.CloseContextMenu();
      toolbar_.OnInfoCommand();
      return true;
    case ID_EFFECT:
      toolbar_.OnEffectCommand();
      return true;
    case ID_ACTUAL_SIZE:
      image_view_.CloseContextMenu();
      image_view_.ToggleActualSize();
      return true;
    case ID_ZOOM_IN:
    case ID_ZOOM_OUT:
      image_view_.ZoomStepCentre(id == ID_ZOOM_IN ? 1 : -1);
      return true;
    case ID_PREVIOUS:
      ShowNeighbour(-1);
      return true;
    case ID_NEXT:
      ShowNeighbour(1);
      return true;
    case ID_ROTATE_LEFT:
    case ID_ROTATE_RIGHT:
      image_view_.Rotate(id == ID_ROTATE_RIGHT);
      return true;
    case ID_SCROLL_UP:
    case ID_SCROLL_DOWN:
      image_view_.ScrollScreen(id);
      return true;
    case ID_DELETE:
      DeleteCurrentPicture();
      return true;
    case ID_RESIZE:
      ResizeAndSave();
      return true;
    case ID_SHOW_LOCATION: {
      const CWICImageLoaderPtr loader = document->GetLoader();
      // Without a location the command does nothing, statistic included.
      if (loader && !loader->exif().gps.empty()) {
        CAppConfig::GetInstance()->OpenMapLink(loader->exif().gps);
        CStatReporter::Send(L"feature", L"location");
      }
      return true;
    }
    case ID_OPEN:
      image_view_.CloseContextMenu();
      ShowOpenDialog();
      return true;
    case ID_SAVE_AS:
      image_view_.CloseContextMenu();
      SaveAsCommand(hwnd_);
      return true;
    case ID_COPY:
      image_view_.CloseContextMenu();
      document->CopyToClipboard();
      return true;
    case ID_SHOW_IN_FOLDER:
      if (win_util::PathExists(document->GetPath())) {
        win32_system::ShowInFolder(document->GetPath());
      }
      return true;
    case ID_OPEN_WITH:
      win32_system::OpenWithDialog(document->GetPath());
      return true;
    case ID_PRINT:
      image_view_.CloseContextMenu();
      document->Print();
      return true;
    case ID_WALLPAPER:
      document->SetAsWallpaper();
      return true;
    case ID_EFFECT_CHANGED:
      if (image_view_.IsWindow()) {
        image_view_.OnImageChanged();
      }
      return true;
    case ID_CONVERT:
      if (!convert_box_) {
        ConvertCommand(hwnd_, *this);
      }
      return true;
    case ID_NO_ACTION:
      return true;
    case ID_SETTINGS:
      OpenSettings(0);
      return true;
    case ID_FEEDBACK:
      OpenFeedback();
      return true;
    default:
      return false;
  }
}

void COrvaneDlg::OpenSettings(int start_page) {
  if (settings_dialog_) {
    return;
  }
  settings_dialog_ = std::make_unique<DlgSetting2>(start_page);
  settings_dialog_->set_notify_window(hwnd_);
  settings_dialog_->set_refresh_receivers([] {
    if (COrvaneApp* app = COrvaneApp::GetInstance()) {
      app->RefreshReceivers();
    }
  });
  settings_dialog_->DoModal(hwnd_);
  const bool redraw = settings_dialog_->redraw() != 0;
  settings_dialog_.reset();
  if (redraw) {
    const std::wstring path = CImageDocument::Instance()->GetPath();
    if (!path.empty()) {
      OpenPath(path);
    }
    ::InvalidateRect(hwnd_, nullptr, FALSE);
  }
}

void COrvaneDlg::OpenFeedback() {
  feedback_dialog_ = std::make_unique<CFeedbackDlg>();
  CFeedbackDlg* dialog = feedback_dialog_.get();
  dialog->set_notify_window(hwnd_);
  // The object may be gone when the run returns (message 33284).
  dialog->DoModal(hwnd_);
}

void COrvaneDlg::ClosePopups() {
  if (about_dialog_ && about_dialog_->GetHWND()) {
    about_dialog_->Close(2);
  }
  if (default_viewer_dialog_ && default_viewer_dialog_->GetHWND()) {
    default_viewer_dialog_->Close(DlgSetDefaultViewer2::kDeclined);
  }
  if (settings_dialog_ && settings_dialog_->GetHWND()) {
    ::PostMessageW(settings_dialog_->GetHWND(), WM_CLOSE, 2, 0);
  }
  if (feedback_dialog_ && feedback_dialog_->GetHWND()) {
    ::PostMessageW(feedback_dialog_->GetHWND(), WM_CLOSE, 2, 0);
  }
  // The view's wheel question runs its own loop, which would keep the
  // window until answered; closed unanswered, it stores nothing.
  if (DlgMouseWheelFavorite2* wheel = DlgMouseWheelFavorite2::Current()) {
    if (wheel->GetHWND()) {
      wheel->Close(2);
    }
  }
}

void COrvaneDlg::ShowNeighbour(int offset) {
  const std::wstring path = CCurrentFolderImage::GetInstance()->Neighbour(offset);
  if (path.empty()) {
    return;
  }
  CSystemCache::GetInstance()->set_direction(offset < 0 ? kPreloadBackward : kPreloadForward);
  OpenPath(path);
}

void COrvaneDlg::DeleteCurrentPicture() {
  image_view_.CloseContextMenu();
  const std::wstring path = CImageDocument::Instance()->GetPath();
  if (!win_util::PathExists(path)) {
    return;
  }
  int32_t& show_confirm = CAppConfig::GetInstance()->show_delete_confirm;
  if (show_confirm != 0) {
    DlgDeleteConfirm2 dialog(&show_confirm);
    if (dialog.DoModal(hwnd_) != 1) {
      return;
    }
  }
  if (!CImageDocument::Instance()->MoveToRecycleBin()) {
    return;
  }
  OpenPath(CCurrentFolderImage::GetInstance()->OnDeleted(path));
}

void COrvaneDlg::ShowOpenDialog() {
  // The folder of the current picture, with a trailing backslash.
  std::wstring initial;
  const std::wstring current = CImageDocument::Instance()->GetPath();
  if (!current.empty()) {
    wchar_t canonical[MAX_PATH] = {};
    if (current.size() < MAX_PATH && PathCanonicalizeW(canonical, current.c_str())) {
      PathRemoveFileSpecW(canonical);
      initial = win_util::WithTrailingSeparator(canonical);
    }
  }
  const std::wstring filter = GetOpenFileFilter(GetLangString(L"FILE", L"SUPPORT_FILE"));
  DlgOpenFile dialog(true, nullptr, initial.c_str(), 0, filter.c_str(), hwnd_);
  if (dialog.DoModal() == IDOK) {
    OpenPath(dialog.GetPathName());
  }
}

int COrvaneDlg::Choose(HWND owner, const std::wstring& file_name,
                       const std::vector<std::wstring>& labels, int* selected_index) {
  convert_box_ = std::make_unique<CConvertMsgBox>(owner, file_name, labels);
  const int result = static_cast<int>(convert_box_->RunModal());
  *selected_index = convert_box_->GetSelectedIndex();
  convert_box_.reset();
  return result;
}

void COrvaneDlg::ResizeAndSave() {
  CImageDocument* document = CImageDocument::Instance();
  if (resize_running_) {
    return;
  }
  const CWICImageLoaderPtr loader = document->GetLoader();
  if (!loader || !loader->source()) {
    return;
  }
  CStatReporter::Send(L"feature", L"clip");
  const SIZE size = document->GetOrientedSize();
  DlgResizeImage2 dialog(size.cx, size.cy, document->GetPath());
  if (dialog.DoModal(hwnd_) != 1 || dialog.target_path().empty()) {
    return;
  }
  image_view_.ShowSavingTip();
  EnableToolbar(false);
  resize_running_ = true;
  if (!resize_worker_) {
    resize_worker_ = std::make_unique<CSingleThreadRunner>(kResizeJobWaitMs);
  }
  // Taken here: the job reads nothing the window or the document own.
  auto request = std::make_shared<CImageDocument::CResizeRequest>(
      document->MakeResizeRequest(dialog.target_path(), static_cast<UINT>(dialog.sizes().width()),
                                  static_cast<UINT>(dialog.sizes().height())));
  HWND window = hwnd_;
  resize_worker_->PostTask([request, window] {
    FCAutoInitializeCOM com;
    bool same_file = false;
    const bool saved = CImageDocument::SaveResized(*request, same_file);
    if (::IsWindow(window)) {
      PostMessageW(window, UM_RESIZE_DONE, saved ? 1 : 0, same_file ? 1 : 0);
    }
  });
}

void COrvaneDlg::EnableToolbar(bool enable) {
  if (HWND toolbar = GetDlgItem(hwnd_, IDC_TOOLBAR)) {
    EnableWindow(toolbar, enable ? TRUE : FALSE);
  }
}

void COrvaneDlg::OnResizeDone(bool saved, bool same_file) {
  resize_running_ = false;
  EnableToolbar(true);
  if (!saved) {
    CMessageBox::ShowMessage(hwnd_, GetLangString(L"FILE", L"SAVE_ERROR"), 0, L"center", 0);
  }
  if (same_file) {
    OpenPath(CImageDocument::Instance()->GetPath());
  } else {
    image_view_.HideSavingTip();
  }
}
