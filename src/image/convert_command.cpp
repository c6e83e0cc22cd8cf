#include "image/convert_command.h"

#include <shlwapi.h>

#include <algorithm>
#include <cwctype>

#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "image/default_save_name.h"
#include "image/image_document.h"
#include "popup_dialog/message_box.h"

namespace {

struct CTargetFormat {
  const wchar_t* label;
  const wchar_t* own_extensions;  // framed by commas
};

const CTargetFormat kTargetFormats[] = {
    {L"JPEG格式 (*.jpg)", L",.jpg,.jpeg,.jfif,.jpe,"},
    {L"PNG格式 (*.png)", L",.png,"},
    {L"TIFF格式 (*.tiff)", L",.tiff,.tif,"},
    {L"BMP格式 (*.bmp)", L",.bmp,.dib,"},
};

constexpr const wchar_t* kGifNotice = L"GIF图片格式暂不支持格式转换哦~";
constexpr const wchar_t* kGifNoticeButton = L"我知道了";

// stdcall: the module removes its four arguments itself.
using ConvertImgFn = int(__stdcall*)(const wchar_t* source, const wchar_t* target, int quality,
                                     int orientation);

std::wstring LowerExtension(const std::wstring& path) {
  std::wstring extension = PathFindExtensionW(path.c_str());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return extension;
}

}  // namespace

std::vector<std::wstring> ConvertTargetLabels(const std::wstring& extension) {
  std::vector<std::wstring> labels;
  const std::wstring probe = L"," + extension + L",";
  for (const CTargetFormat& format : kTargetFormats) {
    if (std::wstring(format.own_extensions).find(probe) == std::wstring::npos) {
      labels.push_back(format.label);
    }
  }
  return labels;
}

std::wstring ExtensionOfLabel(const std::wstring& label) {
  const size_t dot = label.find(L'.');
  if (dot == std::wstring::npos) {
    return std::wstring();
  }
  const size_t close = label.find(L')', dot);
  return label.substr(dot, close == std::wstring::npos ? std::wstring::npos : close - dot);
}

std::wstring GetRenderModulePath() { return CAppConfig::GetProgramFolder() + L"graph\\Render.dll"; }

bool ConvertCommand(HWND owner, IConvertFormatChooser& chooser, const std::wstring& module_path) {
  CImageDocument* document = CImageDocument::Instance();
  const std::wstring path = document->GetPath();
  if (path.empty()) {
    return false;
  }
  const std::wstring extension = LowerExtension(path);
  if (extension == L".gif") {
    CMessageBox::ShowNotice(owner, kGifNotice, kGifNoticeButton);
    return false;
  }
  const std::vector<std::wstring> labels = ConvertTargetLabels(extension);
  int selected = -1;
  const int result = chooser.Choose(owner, PathFindFileNameW(path.c_str()), labels, &selected);
  if (result != 1 || selected < 0 || selected >= static_cast<int>(labels.size())) {
    return false;
  }
  const std::wstring new_extension = ExtensionOfLabel(labels[static_cast<size_t>(selected)]);
  std::vector<wchar_t> target(path.size() + new_extension.size() + MAX_PATH, L'\0');
  std::copy(path.begin(), path.end(), target.begin());
  if (path.size() >= MAX_PATH || !PathRenameExtensionW(target.data(), new_extension.c_str())) {
    return false;
  }
  // Another picture of that name is not replaced: the copy gets a free name.
  const std::wstring free_target = FreeNameFor(target.data());
  if (free_target.empty()) {
    return false;
  }

  if (!win_util::PathExists(module_path)) {
    return false;
  }
  // The module stays loaded for the rest of the run.
  HMODULE module = LoadLibraryExW(module_path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const auto convert = win_util::GetProcAddressAs<ConvertImgFn>(module, "ConvertImg");
  if (!convert) {
    return false;
  }
  const CWICImageLoaderPtr loader = document->GetLoader();
  const int orientation = loader ? loader->exif().orientation : -1;
  const CAppConfig* config = CAppConfig::GetInstance();
  convert(path.c_str(), free_target.c_str(), config->save_jpeg_quality, orientation);
  return true;
}
