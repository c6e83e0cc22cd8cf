// The main window's commands on the current picture: zoom, stepping through
// the folder, rotation, deletion, opening, saving, copying and the shell
// hand-offs.
#include "app/orvanedlg.h"

#include <shlwapi.h>

#include "basic_lib/win32_system.h"
#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "folder/current_folder_image.h"
#include "folder/system_cache.h"
#include "framework/file_dialog.h"
#include "image/image_document.h"
#include "image/image_format.h"
#include "image/save_as_command.h"
#include "integration/stat_reporter.h"
#include "l10n/lang_string.h"
#include "popup_dialog/message_box.h"
#include "resource_ids.h"

bool COrvaneDlg::OnPictureCommand(UINT id) {
  CImageDocument* document = CImageDocument::Instance();
  switch (id) {
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
    case ID_SHOW_LOCATION: {
      const CWICImageLoaderPtr loader = document->GetLoader();
      if (loader && !loader->exif().gps.empty()) {
        CAppConfig::GetInstance()->OpenMapLink(loader->exif().gps);
      }
      CStatReporter::Send(L"feature", L"location");
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
    default:
      return false;
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
  // The confirmation dialog arrives with the skinned popups; until then the
  // file goes to the recycle bin, from where it can be restored.
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
  CFileDialog dialog(true, nullptr, initial.c_str(), 0, filter.c_str(), hwnd_);
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

void COrvaneDlg::OnResizeDone(bool saved, bool same_file) {
  if (!saved) {
    CMessageBox::ShowMessage(hwnd_, GetLangString(L"FILE", L"SAVE_ERROR"), 0, L"center", 0);
  }
  if (same_file) {
    OpenPath(CImageDocument::Instance()->GetPath());
  } else {
    image_view_.HideSavingTip();
  }
}
