#include "image/save_as_command.h"

#include <commdlg.h>

#include "config/app_config.h"
#include "image/default_save_name.h"
#include "image/file_filters.h"
#include "image/image_document.h"
#include "image/image_format.h"
#include "popup_dialog/dlg_save_as_file.h"

bool SaveAsCommand(HWND owner) {
  CImageDocument* document = CImageDocument::Instance();
  if (!document->GetLoader()) {
    return false;
  }
  const std::wstring initial_name = MakeDefaultSaveName(document->GetPath());
  DlgSaveAsFile dialog(false, LUMORA_SAVE_DEFAULT_EXT, initial_name.c_str(), OFN_OVERWRITEPROMPT,
                       LUMORA_SAVE_FILTER, owner);
  if (dialog.DoModal() != IDOK) {
    return false;
  }
  std::wstring path = ApplySaveExtension(dialog.GetPathName(), dialog.GetFilterIndex());
  // The dialog asked about replacing the name as typed, not about the one
  // the extension was added to: that one is not replaced unasked.
  if (path != dialog.GetPathName()) {
    path = FreeNameFor(path);
    if (path.empty()) {
      return false;
    }
  }
  const CAppConfig* config = CAppConfig::GetInstance();
  return document->SaveAs(path, config->save_jpeg_quality);
}
