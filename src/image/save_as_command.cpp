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
  const std::wstring path = ApplySaveExtension(dialog.GetPathName(), dialog.GetFilterIndex());
  const CAppConfig* config = CAppConfig::GetInstance();
  return document->SaveAs(path, config->save_jpeg_quality);
}
