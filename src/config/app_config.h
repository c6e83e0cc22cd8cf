#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "basic_lib/singleton.h"

// The user's settings from config.ini in the data folder, as public members
// read and changed on the user-interface thread, plus a few run-time values
// shared between areas. Members are in the order the file's keys are listed.
class CAppConfig : public CSingletonT<CAppConfig> {
 public:
  // The process-wide store (GetInstance): config.ini in the data folder,
  // language files in the program's locales folder. Creates the data folder,
  // loads the file and makes its language file the one the texts come from.
  CAppConfig();
  // A store on a settings file of the caller's choice, with its language
  // resolved in |language_folder| (trailing backslash); it changes nothing
  // else in the process. For tests and tools.
  CAppConfig(const std::wstring& settings_file, const std::wstring& language_folder);
  ~CAppConfig();
  CAppConfig(const CAppConfig&) = delete;
  CAppConfig& operator=(const CAppConfig&) = delete;

  // Stored in section "app" unless noted.
  std::wstring last_position;  // "MAX" or "l_t_r_b"; not read by Load
  int32_t max_zoom_ratio = 8;  // 4 to 32
  int32_t view_margin = 24;    // 0 to 64
  COLORREF canvas_back_color = RGB(39, 39, 39);
  int32_t hardware_zoom = 0;
  int32_t gps_map_vendor = 0;  // 1: map service A, 0: map service B
  int32_t toolbar_dock = 1;    // 1: bottom edge, 0: below the title
  std::wstring language_id;    // language file name
  int32_t show_delete_confirm = 1;
  int32_t mouse_wheel_action = 99;  // 0 page turn, 1 zoom, 99 not chosen
  int32_t show_wheel_favorite = 1;
  int32_t double_click_action = 0;  // 0 twice the fit ratio, 1 actual size
  int32_t view_folder_loop = 0;
  int32_t rotate_auto_save = 0;
  int32_t long_image_mode = 0;
  int32_t save_jpeg_quality = 80;  // 0 to 100
  int32_t preload_enable = 1;
  int32_t preload_memory_mb = 64;  // 0 to 1024 MB of preloaded fit bitmaps; read, not written
  int32_t orientation_by_tag = 0;
  int32_t ignore_embedded_icc = 0;
  int32_t only_one_instance = 0;
  int32_t completely_exit = 0;
  int32_t quick_index_value = 1;  // not stored
  int32_t set_default_viewer = 0;
  int32_t default_viewer_start_tip = 1;
  int32_t user_set_default_viewer = 0;
  // Section "lockscreen".
  int32_t lockscreen_enable = 0;
  int32_t lockscreen_time = 210;
  int32_t lockscreen_default_opt_time = 210;
  int32_t lockscreen_user_changed_time = 0;
  // Not stored: copies taken by Load to detect lock-screen changes on Save.
  int32_t loaded_lockscreen_enable = 0;
  int32_t loaded_lockscreen_time = 210;
  // Not stored: run-time state shared between areas.
  HBRUSH canvas_brush = nullptr;
  int32_t current_effect = 0;    // display enhancement 0 to 3
  int32_t fit_toggle_state = 1;  // state of the 20002 toggle

  // Re-reads sections "app" and "lockscreen"; keys absent from the file keep
  // the member's current value. Out-of-range values are clamped.
  void Load();
  // Writes every stored member; the "lockscreen" section only once the user
  // has changed it. The file is replaced only when the new one is complete.
  void Save();
  // Re-reads show_wheel_favorite and mouse_wheel_action only.
  void ReloadWheelSettings();
  // "Default"/sniptool_hotkey: virtual key in bits 0-7, modifiers in 8-15; 0 when absent.
  int32_t ReadSnipHotkey() const;
  // "app"/feedback_service: the address of the feedback service
  // ("http://host[:port]") where it differs from the language file's; empty
  // when absent. Read only: the program never writes it.
  std::wstring ReadFeedbackService() const;

  // The language file for the system's default locale, e.g. "cn_simp.ini".
  static std::wstring DefaultLanguageFile();
  static std::wstring LanguageFileForLocale(const std::wstring& locale_name);

  // last_position becomes "MAX" or the window rectangle in screen coordinates.
  void SaveWindowPlacement(HWND window);
  // Places or maximises |window| as last_position says, fitted to the work
  // area; an empty last_position is first set to the default rectangle.
  void RestoreWindowPlacement(HWND window);

  // The web map link for a GPS position "latitude,longitude" with the
  // chosen gps_map_vendor; empty for a malformed position.
  std::wstring MapLink(const std::wstring& location) const;
  // Opens MapLink in the browser; false when there is nothing to open or
  // the shell refused.
  bool OpenMapLink(const std::wstring& location) const;

  const std::wstring& settings_file() const { return settings_file_; }

  // The per-user data folder "<roaming app data>\Lumora\" and the program
  // folder, both with a trailing backslash.
  static std::wstring GetDataFolder();
  static std::wstring GetProgramFolder();

 private:
  void Construct(const std::wstring& language_folder, bool make_language_current);
  bool ReadNumber(const wchar_t* section, const wchar_t* key, int64_t* value) const;
  bool ReadText(const wchar_t* section, const wchar_t* key, std::wstring* value) const;
  void LoadWheelSettings();

  std::wstring settings_file_;
};
