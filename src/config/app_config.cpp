#include "config/app_config.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>
#include <mutex>

#include "basic_lib/win_util.h"
#include "config/config_values.h"
#include "config/map_link.h"
#include "config/settings_file_lock.h"
#include "config/window_placement.h"
#include "framework/handle.h"
#include "framework/ui_thread.h"
#include "l10n/language_file.h"
#include "log/my_log.h"

namespace {

constexpr const wchar_t* kApp = L"app";
constexpr const wchar_t* kLockscreen = L"lockscreen";
// The reader answers this default for a missing key; no value in an INI file
// can hold it, so a missing key and an empty value can be told apart.
constexpr const wchar_t* kMissing = L"\n";

using config_values::AsFlag;
using config_values::Clamp;
using config_values::Low32;
using config_values::ParseInt64;
using config_values::WheelAction;

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Gathers the writes of one Save into a copy of the settings file and puts
// the copy in place at the end, so that a failure half-way (a full disk, a
// crash) leaves the previous settings whole.
class CSettingsFileWriter {
 public:
  explicit CSettingsFileWriter(const std::wstring& settings_file)
      : settings_file_(settings_file), target_(settings_file + L".saving") {
    win_util::CreateFolderTree(FolderOf(settings_file));
    if (win_util::PathExists(settings_file)) {
      // Keep the sections this program does not own (written by others).
      if (!CopyFileW(settings_file.c_str(), target_.c_str(), FALSE)) {
        target_ = settings_file;
      }
    } else {
      // A byte order mark makes the profile writer keep texts in UTF-16.
      CHandle file(CreateFileW(target_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
      if (file) {
        DWORD written = 0;
        WriteFile(file.get(), "\xFF\xFE", 2, &written, nullptr);
      }
    }
  }
  ~CSettingsFileWriter() {
    if (target_ == settings_file_) {
      return;
    }
    if (!MoveFileExW(target_.c_str(), settings_file_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      // Held open by a reader that lets it be written but not replaced (a
      // scanner, an indexer): the settings are written into it instead of
      // being lost.
      CopyFileW(target_.c_str(), settings_file_.c_str(), FALSE);
      DeleteFileW(target_.c_str());
    }
  }
  CSettingsFileWriter(const CSettingsFileWriter&) = delete;
  CSettingsFileWriter& operator=(const CSettingsFileWriter&) = delete;

  void WriteText(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    WritePrivateProfileStringW(section, key, value.c_str(), target_.c_str());
  }
  void WriteNumber(const wchar_t* section, const wchar_t* key, int32_t value) {
    wchar_t text[32];
    swprintf(text, 32, L"%lld", static_cast<long long>(value));
    WriteText(section, key, text);
  }

 private:
  const std::wstring settings_file_;
  std::wstring target_;
};

RECT PrimaryWorkArea() {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

MONITORINFO MonitorNearest(const RECT& rect) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info);
  return info;
}

}  // namespace

CAppConfig::CAppConfig() : settings_file_(GetDataFolder() + L"config.ini") {
  win_util::CreateFolderTree(FolderOf(settings_file_));
  Construct(GetLanguageFolder(), true);
}

CAppConfig::CAppConfig(const std::wstring& settings_file, const std::wstring& language_folder)
    : settings_file_(settings_file) {
  Construct(language_folder, false);
}

CAppConfig::~CAppConfig() {
  if (canvas_brush) {
    DeleteObject(canvas_brush);
  }
}

void CAppConfig::Construct(const std::wstring& language_folder, bool make_language_current) {
  language_id = DefaultLanguageFile();
  Load();
  // Load leaves the placement alone so that a reload (the settings dialog
  // reloads) cannot move it; a start reopens the window where it was left.
  std::wstring position;
  RECT rect = {};
  if (ReadText(kApp, L"last_position", &position) &&
      (position == L"MAX" || window_placement::ParseRect(position, &rect))) {
    last_position = position;
  }
  // Names too long for the current language file name fall back to English.
  language_id = ResolveLanguageFile(language_id, language_folder);
  if (make_language_current) {
    SetCurrentLanguageFile(language_id);
  }
  canvas_brush = CreateSolidBrush(canvas_back_color);
}

bool CAppConfig::ReadNumber(const wchar_t* section, const wchar_t* key, int64_t* value) const {
  wchar_t buffer[32];
  const DWORD length =
      GetPrivateProfileStringW(section, key, kMissing, buffer, 32, settings_file_.c_str());
  if (length == 0 || (length == 1 && buffer[0] == L'\n')) {
    return false;
  }
  *value = ParseInt64(buffer);
  return true;
}

bool CAppConfig::ReadText(const wchar_t* section, const wchar_t* key, std::wstring* value) const {
  wchar_t buffer[256];
  const DWORD length =
      GetPrivateProfileStringW(section, key, kMissing, buffer, 256, settings_file_.c_str());
  if (length == 1 && buffer[0] == L'\n') {
    return false;
  }
  if (length < 249) {
    value->assign(buffer, length);
    return true;
  }
  std::wstring long_value(4096, L'\0');
  const DWORD long_length = GetPrivateProfileStringW(section, key, kMissing, &long_value[0], 4096,
                                                     settings_file_.c_str());
  long_value.resize(long_length);
  *value = long_value;
  return true;
}

void CAppConfig::Load() {
  LOG_INFO << "CAppConfig:" << settings_file_;
  int64_t value = 0;
  if (ReadNumber(kApp, L"max_zoom_ratio", &value)) {
    max_zoom_ratio = Clamp(value, 4, 32);
  }
  if (ReadNumber(kApp, L"view_margin", &value)) {
    view_margin = Clamp(value, 0, 64);
  }
  std::wstring text;
  uint32_t color = 0;
  if (ReadText(kApp, L"canvas_back_color", &text) &&
      config_values::ParseCanvasColor(text, &color)) {
    canvas_back_color = color;
  }
  if (ReadNumber(kApp, L"hardware_zoom", &value)) {
    hardware_zoom = AsFlag(value);
  }
  if (ReadNumber(kApp, L"gps_map_vendor", &value)) {
    gps_map_vendor = AsFlag(value);
  }
  if (ReadNumber(kApp, L"toolbar_dock", &value)) {
    toolbar_dock = AsFlag(value);
  }
  if (ReadText(kApp, L"language_id", &text)) {
    language_id = text;
  } else {
    language_id = DefaultLanguageFile();
  }
  if (ReadNumber(kApp, L"show_delete_confirm", &value)) {
    show_delete_confirm = AsFlag(value);
  }
  LoadWheelSettings();
  struct FlagKey {
    const wchar_t* key;
    int32_t CAppConfig::*member;
  };
  static const FlagKey kViewFlags[] = {
      {L"double_click_action", &CAppConfig::double_click_action},
      {L"view_folder_loop", &CAppConfig::view_folder_loop},
      {L"rotate_auto_save", &CAppConfig::rotate_auto_save},
      {L"long_image_mode", &CAppConfig::long_image_mode},
  };
  for (const FlagKey& flag : kViewFlags) {
    if (ReadNumber(kApp, flag.key, &value)) {
      this->*flag.member = AsFlag(value);
    }
  }
  if (ReadNumber(kApp, L"save_jpeg_quality", &value)) {
    save_jpeg_quality = Clamp(value, 0, 100);
  }
  // Read only: set by hand, so the file keeps its layout of keys.
  if (ReadNumber(kApp, L"preload_memory_mb", &value)) {
    preload_memory_mb = Clamp(value, 0, 1024);
  }
  static const FlagKey kOtherFlags[] = {
      {L"preload_enable", &CAppConfig::preload_enable},
      {L"orientation_by_tag", &CAppConfig::orientation_by_tag},
      {L"ignore_embedded_icc", &CAppConfig::ignore_embedded_icc},
      {L"only_one_instance", &CAppConfig::only_one_instance},
      {L"set_default_viewer", &CAppConfig::set_default_viewer},
      {L"default_viewer_start_tip", &CAppConfig::default_viewer_start_tip},
      {L"completely_exit", &CAppConfig::completely_exit},
      {L"user_set_default_viewer", &CAppConfig::user_set_default_viewer},
  };
  for (const FlagKey& flag : kOtherFlags) {
    if (ReadNumber(kApp, flag.key, &value)) {
      this->*flag.member = AsFlag(value);
    }
  }
  if (ReadNumber(kLockscreen, L"enable", &value)) {
    LOG_INFO << "CAppConfig enable:" << static_cast<long long>(value);
    lockscreen_enable = value == 1 ? 1 : 0;
  }
  if (ReadNumber(kLockscreen, L"time", &value)) {
    lockscreen_time = Low32(value);
  }
  if (ReadNumber(kLockscreen, L"default_opt_time", &value)) {
    lockscreen_default_opt_time = Low32(value);
  }
  if (ReadNumber(kLockscreen, L"user_changed_time", &value)) {
    lockscreen_user_changed_time = AsFlag(value);
  }
  loaded_lockscreen_enable = lockscreen_enable;
  loaded_lockscreen_time = lockscreen_time;
}

void CAppConfig::LoadWheelSettings() {
  int64_t value = 0;
  if (ReadNumber(kApp, L"show_wheel_favorite", &value)) {
    show_wheel_favorite = AsFlag(value);
  }
  if (ReadNumber(kApp, L"mouse_wheel_action", &value)) {
    mouse_wheel_action = WheelAction(value);
  }
  // While the wheel prompt is still to be offered, the action counts as not chosen.
  if (show_wheel_favorite == 1) {
    mouse_wheel_action = 99;
  }
}

void CAppConfig::ReloadWheelSettings() { LoadWheelSettings(); }

int32_t CAppConfig::ReadSnipHotkey() const {
  int64_t value = 0;
  return ReadNumber(L"Default", L"sniptool_hotkey", &value) ? Low32(value) : 0;
}

std::wstring CAppConfig::ReadFeedbackService() const {
  std::wstring value;
  return ReadText(kApp, L"feedback_service", &value) ? value : std::wstring();
}

void CAppConfig::Save() {
  ASSERT_UI_THREAD();
  // Read before anything is written: it decides whether the lock-screen
  // section is written at all.
  int64_t changed_setting = 0;
  const bool lockscreen_touched =
      (ReadNumber(kLockscreen, L"user_changed_setting", &changed_setting) &&
       changed_setting != 0) ||
      lockscreen_enable != loaded_lockscreen_enable || lockscreen_time != loaded_lockscreen_time;

  // Taken before the copy, so the keys of other writers ("Default") are
  // kept as the file holds them.
  CSettingsFileLock lock;
  CSettingsFileWriter file(settings_file_);
  file.WriteText(kApp, L"last_position", last_position);
  file.WriteNumber(kApp, L"max_zoom_ratio", max_zoom_ratio);
  file.WriteNumber(kApp, L"view_margin", view_margin);
  wchar_t color[48];
  swprintf(color, 48, L"%d,%d,%d", GetRValue(canvas_back_color), GetGValue(canvas_back_color),
           GetBValue(canvas_back_color));
  file.WriteText(kApp, L"canvas_back_color", color);
  file.WriteNumber(kApp, L"hardware_zoom", hardware_zoom);
  file.WriteNumber(kApp, L"gps_map_vendor", gps_map_vendor);
  file.WriteNumber(kApp, L"toolbar_dock", toolbar_dock);
  file.WriteText(kApp, L"language_id", language_id);
  file.WriteNumber(kApp, L"show_delete_confirm", show_delete_confirm);
  file.WriteNumber(kApp, L"mouse_wheel_action", mouse_wheel_action);
  file.WriteNumber(kApp, L"show_wheel_favorite", show_wheel_favorite);
  file.WriteNumber(kApp, L"double_click_action", double_click_action);
  file.WriteNumber(kApp, L"view_folder_loop", view_folder_loop);
  file.WriteNumber(kApp, L"rotate_auto_save", rotate_auto_save);
  file.WriteNumber(kApp, L"long_image_mode", long_image_mode);
  file.WriteNumber(kApp, L"save_jpeg_quality", save_jpeg_quality);
  file.WriteNumber(kApp, L"preload_enable", preload_enable);
  file.WriteNumber(kApp, L"preload_thread", 3);
  file.WriteNumber(kApp, L"orientation_by_tag", orientation_by_tag);
  file.WriteNumber(kApp, L"ignore_embedded_icc", ignore_embedded_icc);
  file.WriteNumber(kApp, L"only_one_instance", only_one_instance);
  file.WriteNumber(kApp, L"set_default_viewer", set_default_viewer);
  file.WriteNumber(kApp, L"default_viewer_start_tip", default_viewer_start_tip);
  file.WriteNumber(kApp, L"completely_exit", completely_exit);
  file.WriteNumber(kApp, L"user_set_default_viewer", user_set_default_viewer);
  if (lockscreen_touched) {
    file.WriteNumber(kLockscreen, L"enable", lockscreen_enable);
    file.WriteNumber(kLockscreen, L"time", lockscreen_time);
    file.WriteNumber(kLockscreen, L"user_changed_time", lockscreen_user_changed_time);
    file.WriteNumber(kLockscreen, L"user_changed_setting", 1);
    file.WriteNumber(kLockscreen, L"default_opt_time", lockscreen_default_opt_time);
  }
}

std::wstring CAppConfig::LanguageFileForLocale(const std::wstring& locale_name) {
  auto starts_with = [&locale_name](const wchar_t* prefix) {
    return StrCmpNIW(locale_name.c_str(), prefix, static_cast<int>(wcslen(prefix))) == 0;
  };
  auto equals = [&locale_name](const wchar_t* name) {
    return StrCmpIW(locale_name.c_str(), name) == 0;
  };
  if (starts_with(L"zh-CN") || starts_with(L"zh-SG") || equals(L"zh-Hans") || equals(L"zh")) {
    return L"cn_simp.ini";
  }
  struct Prefix {
    const wchar_t* prefix;
    const wchar_t* file;
  };
  static const Prefix kPrefixes[] = {
      {L"zh", L"cn_trad.ini"}, {L"fr", L"fr.ini"}, {L"de-", L"de.ini"}, {L"es-", L"es.ini"},
      {L"pt-", L"pt.ini"},     {L"ru", L"ru.ini"}, {L"ar", L"ar.ini"},  {L"it", L"it.ini"},
      {L"ja", L"ja.ini"},      {L"ko", L"ko.ini"},
  };
  for (const Prefix& entry : kPrefixes) {
    if (starts_with(entry.prefix)) {
      return entry.file;
    }
  }
  return L"en.ini";
}

std::wstring CAppConfig::DefaultLanguageFile() {
  wchar_t locale_name[LOCALE_NAME_MAX_LENGTH] = {};
  if (!GetSystemDefaultLocaleName(locale_name, LOCALE_NAME_MAX_LENGTH)) {
    return L"en.ini";
  }
  return LanguageFileForLocale(locale_name);
}

void CAppConfig::SaveWindowPlacement(HWND window) {
  if (!IsWindow(window)) {
    return;
  }
  if (IsZoomed(window)) {
    last_position = L"MAX";
    return;
  }
  RECT rect = {};
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  if (IsIconic(window) && GetWindowPlacement(window, &placement)) {
    // A minimised window's rectangle is off-screen; keep the one it returns to.
    if (placement.flags & WPF_RESTORETOMAXIMIZED) {
      last_position = L"MAX";
      return;
    }
    // The normal position is in work-area coordinates.
    rect = placement.rcNormalPosition;
    const MONITORINFO monitor = MonitorNearest(rect);
    OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left,
               monitor.rcWork.top - monitor.rcMonitor.top);
  } else {
    GetWindowRect(window, &rect);
  }
  last_position = window_placement::FormatRect(rect);
}

void CAppConfig::RestoreWindowPlacement(HWND window) {
  const RECT primary_work = PrimaryWorkArea();
  if (last_position.empty()) {
    last_position = window_placement::FormatRect(window_placement::DefaultRect(primary_work));
  }
  // A window left on another monitor reopens there while that monitor exists.
  RECT stored = {};
  RECT work = primary_work;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (window_placement::ParseRect(last_position, &stored)) {
    monitor = MonitorNearest(stored);
    work = monitor.rcWork;
  } else {
    GetMonitorInfoW(MonitorFromRect(&primary_work, MONITOR_DEFAULTTOPRIMARY), &monitor);
  }
  const window_placement::Decision decision = window_placement::Decide(last_position, work);
  if (!decision.maximize) {
    SetWindowPos(window, nullptr, decision.rect.left, decision.rect.top,
                 decision.rect.right - decision.rect.left, decision.rect.bottom - decision.rect.top,
                 SWP_NOACTIVATE | SWP_NOZORDER);
    return;
  }
  // Maximised, with the default rectangle to return to when the user restores it.
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  GetWindowPlacement(window, &placement);
  // The normal position is in work-area coordinates.
  placement.rcNormalPosition = window_placement::DefaultRect(work);
  OffsetRect(&placement.rcNormalPosition, monitor.rcMonitor.left - monitor.rcWork.left,
             monitor.rcMonitor.top - monitor.rcWork.top);
  placement.flags = 0;
  placement.showCmd = SW_SHOWMAXIMIZED;
  SetWindowPlacement(window, &placement);
}

std::wstring CAppConfig::MapLink(const std::wstring& location) const {
  return map_link::BuildMapLink(gps_map_vendor, location);
}

bool CAppConfig::OpenMapLink(const std::wstring& location) const {
  return map_link::OpenMapLink(gps_map_vendor, location);
}

std::wstring CAppConfig::GetDataFolder() {
  static std::once_flag once;
  static std::wstring folder;
  std::call_once(once, [] {
    wchar_t app_data[MAX_PATH] = {};
    wchar_t canonical[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, app_data);
    PathCanonicalizeW(canonical, app_data);
    folder = win_util::WithTrailingSeparator(canonical) + L"Lumora\\";
  });
  return folder;
}

std::wstring CAppConfig::GetProgramFolder() { return win_util::ProgramFolder(); }
