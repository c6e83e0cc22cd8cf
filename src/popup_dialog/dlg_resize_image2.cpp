#include "popup_dialog/dlg_resize_image2.h"

#include <commdlg.h>

#include <utility>

#include "image/default_save_name.h"
#include "image/file_filters.h"
#include "image/image_format.h"
#include "l10n/lang_string.h"
#include "popup_dialog/dlg_save_as_file.h"
#include "popup_dialog/message_box.h"
#include "toolkit/ui_control.h"
#include "toolkit/ui_combo.h"
#include "toolkit/ui_edit.h"
#include "toolkit/ui_option.h"

namespace {

const wchar_t* const kPresetNames[CResizeSizes::kPresetCount] = {L"item1", L"item2", L"item3",
                                                                 L"item4"};

}  // namespace

DlgResizeImage2::DlgResizeImage2(int source_width, int source_height, std::wstring current_path)
    : sizes_(source_width, source_height), current_path_(std::move(current_path)) {}

void DlgResizeImage2::InitWindow() {
  for (int i = 0; i < CResizeSizes::kPresetCount; ++i) {
    if (CControlUI* item = paint_manager_.FindControl(kPresetNames[i])) {
      item->SetText(sizes_.PresetText(i));
    }
  }
  ShowAll();
  CDlgBase::InitWindow();
}

void DlgResizeImage2::ShowNumber(const wchar_t* name, int value) {
  if (CControlUI* edit = paint_manager_.FindControl(name)) {
    edit->SetText(std::to_wstring(value));
  }
}

void DlgResizeImage2::ShowAll() {
  ShowNumber(L"wide", sizes_.width());
  ShowNumber(L"height", sizes_.height());
  ShowNumber(L"wide_percent", sizes_.width_percent());
  ShowNumber(L"height_percent", sizes_.height_percent());
}

bool DlgResizeImage2::Locked() {
  auto* lock = dynamic_cast<COptionUI*>(paint_manager_.FindControl(L"lock"));
  return lock && lock->IsSelected();
}

void DlgResizeImage2::Notify(TNotifyUI& msg) {
  if (!msg.pSender) {
    return;
  }
  const std::wstring& name = msg.pSender->GetName();
  if (msg.sType == ui_notify::kItemSelect && name == L"recommend") {
    sizes_.ChoosePreset(static_cast<int>(msg.wParam));
    ShowAll();
    return;
  }
  if (msg.sType == ui_notify::kTextChanged) {
    if (auto* edit = dynamic_cast<CEditUI*>(msg.pSender)) {
      OnTextChanged(name, edit);
    }
    return;
  }
  CDlgBase::Notify(msg);
}

void DlgResizeImage2::OnTextChanged(const std::wstring& name, CEditUI* edit) {
  std::wstring text = edit->GetText();
  if (text.empty()) {
    text = L"0";
    edit->SetText(text);
    // Selected, so that the next digit typed replaces it.
    if (HWND native = edit->GetNativeWindow()) {
      SendMessageW(native, EM_SETSEL, 0, -1);
    }
  }
  const bool lock = Locked();
  if (name == L"wide") {
    sizes_.TypeWidth(text, lock);
    ShowNumber(L"wide_percent", sizes_.width_percent());
    if (lock) {
      ShowNumber(L"height_percent", sizes_.height_percent());
      ShowNumber(L"height", sizes_.height());
    }
  } else if (name == L"height") {
    sizes_.TypeHeight(text, lock);
    ShowNumber(L"height_percent", sizes_.height_percent());
    if (lock) {
      ShowNumber(L"wide_percent", sizes_.width_percent());
      ShowNumber(L"wide", sizes_.width());
    }
  } else if (name == L"wide_percent") {
    sizes_.TypeWidthPercent(text, lock);
    ShowNumber(L"wide", sizes_.width());
    if (lock) {
      if (CControlUI* other = paint_manager_.FindControl(L"height_percent")) {
        other->SetText(text);
      }
      ShowNumber(L"height", sizes_.height());
    }
  } else if (name == L"height_percent") {
    sizes_.TypeHeightPercent(text, lock);
    ShowNumber(L"height", sizes_.height());
    if (lock) {
      if (CControlUI* other = paint_manager_.FindControl(L"wide_percent")) {
        other->SetText(text);
      }
      ShowNumber(L"wide", sizes_.width());
    }
  }
}

void DlgResizeImage2::OnClick(TNotifyUI& msg) {
  const std::wstring& name = msg.pSender->GetName();
  if (name == L"ok") {
    if (!sizes_.IsSavable()) {
      CMessageBox::ShowMessage(GetHWND(), GetLangString(L"DLG_RESIZE", L"9"), 0, L"center", 0);
      return;
    }
    ChooseTargetAndFinish();
  } else if (name == L"cancel" || name == L"cls") {
    Close(2);
  } else {
    CDlgBase::OnClick(msg);
  }
}

LRESULT DlgResizeImage2::ResponseDefaultKeyEvent(WPARAM wparam) {
  // Escape is a cancel here: 1 would mean a target was chosen.
  if (wparam == VK_ESCAPE) {
    Close(2);
    return TRUE;
  }
  return CDlgBase::ResponseDefaultKeyEvent(wparam);
}

void DlgResizeImage2::ChooseTargetAndFinish() {
  const std::wstring initial_name = MakeDefaultSaveName(current_path_);
  DlgSaveAsFile dialog(false, LUMORA_SAVE_DEFAULT_EXT, initial_name.c_str(), OFN_OVERWRITEPROMPT,
                       LUMORA_SAVE_FILTER, GetHWND());
  if (dialog.DoModal() != IDOK) {
    return;
  }
  target_path_ = ApplySaveExtension(dialog.GetPathName(), dialog.GetFilterIndex());
  Close(1);
}
