#include <windows.h>
#include <shlobj.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "support/config_sandbox.h"
#include "l10n/language_file.h"
#include "log/my_log.h"

using test_support::ConfigSandbox;
using test_support::ReadFileBytes;
using test_support::WriteFileBytes;
using win_util::PathExists;

namespace {

// The settings file as text: UTF-16LE after a byte order mark, else ANSI.
std::wstring DecodeSettings(const std::string& bytes) {
  if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) {
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                        (bytes.size() - 2) / sizeof(wchar_t));
  }
  return std::wstring(bytes.begin(), bytes.end());
}

std::string Utf16File(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  return bytes;
}

std::wstring EnglishOrLocaleDefault() {
  // What an absent language_id resolves to in a sandbox holding en.ini and cn_simp.ini.
  const std::wstring by_locale = CAppConfig::DefaultLanguageFile();
  return by_locale == L"cn_simp.ini" ? by_locale : L"en.ini";
}

}  // namespace

TEST(AppConfigTest, WithoutAFileEveryMemberHasItsDefault) {
  ConfigSandbox sandbox(L"config-defaults");
  auto config = sandbox.MakeConfig();
  EXPECT_EQ(L"", config->last_position);
  EXPECT_EQ(8, config->max_zoom_ratio);
  EXPECT_EQ(24, config->view_margin);
  EXPECT_EQ(RGB(39, 39, 39), config->canvas_back_color);
  EXPECT_EQ(0, config->hardware_zoom);
  EXPECT_EQ(0, config->gps_map_vendor);
  EXPECT_EQ(1, config->toolbar_dock);
  EXPECT_EQ(EnglishOrLocaleDefault(), config->language_id);
  EXPECT_EQ(1, config->show_delete_confirm);
  EXPECT_EQ(99, config->mouse_wheel_action);
  EXPECT_EQ(1, config->show_wheel_favorite);
  EXPECT_EQ(0, config->double_click_action);
  EXPECT_EQ(0, config->view_folder_loop);
  EXPECT_EQ(0, config->rotate_auto_save);
  EXPECT_EQ(0, config->long_image_mode);
  EXPECT_EQ(80, config->save_jpeg_quality);
  EXPECT_EQ(1, config->preload_enable);
  EXPECT_EQ(0, config->orientation_by_tag);
  EXPECT_EQ(0, config->ignore_embedded_icc);
  EXPECT_EQ(0, config->only_one_instance);
  EXPECT_EQ(0, config->completely_exit);
  EXPECT_EQ(1, config->quick_index_value);
  EXPECT_EQ(0, config->set_default_viewer);
  EXPECT_EQ(1, config->default_viewer_start_tip);
  EXPECT_EQ(0, config->user_set_default_viewer);
  EXPECT_EQ(0, config->lockscreen_enable);
  EXPECT_EQ(210, config->lockscreen_time);
  EXPECT_EQ(210, config->lockscreen_default_opt_time);
  EXPECT_EQ(0, config->lockscreen_user_changed_time);
  EXPECT_EQ(0, config->loaded_lockscreen_enable);
  EXPECT_EQ(210, config->loaded_lockscreen_time);
  EXPECT_NE(nullptr, config->canvas_brush);
  EXPECT_EQ(0, config->current_effect);
  EXPECT_EQ(1, config->fit_toggle_state);
  EXPECT_FALSE(PathExists(sandbox.settings_file()));  // loading writes nothing
}

struct LoadCase {
  const char* ini;  // file body after "[app]\r\n"
  std::function<int64_t(const CAppConfig&)> read;
  int64_t expected;
};

TEST(AppConfigTest, LoadRulesClampAndNormalise) {
  auto zoom = [](const CAppConfig& c) { return c.max_zoom_ratio; };
  auto margin = [](const CAppConfig& c) { return c.view_margin; };
  auto quality = [](const CAppConfig& c) { return c.save_jpeg_quality; };
  auto hardware = [](const CAppConfig& c) { return c.hardware_zoom; };
  auto dock = [](const CAppConfig& c) { return c.toolbar_dock; };
  auto wheel = [](const CAppConfig& c) { return c.mouse_wheel_action; };
  auto favorite = [](const CAppConfig& c) { return c.show_wheel_favorite; };
  auto color = [](const CAppConfig& c) { return static_cast<int64_t>(c.canvas_back_color); };
  auto enable = [](const CAppConfig& c) { return c.lockscreen_enable; };
  auto time = [](const CAppConfig& c) { return c.lockscreen_time; };
  auto loaded_enable = [](const CAppConfig& c) { return c.loaded_lockscreen_enable; };
  auto loaded_time = [](const CAppConfig& c) { return c.loaded_lockscreen_time; };
  auto opt_time = [](const CAppConfig& c) { return c.lockscreen_default_opt_time; };
  auto changed_time = [](const CAppConfig& c) { return c.lockscreen_user_changed_time; };

  const LoadCase cases[] = {
      {"max_zoom_ratio=2", zoom, 4},
      {"max_zoom_ratio=40", zoom, 32},
      {"max_zoom_ratio=4", zoom, 4},
      {"max_zoom_ratio=31", zoom, 31},
      {"max_zoom_ratio=  12px", zoom, 12},
      {"max_zoom_ratio=abc", zoom, 4},         // unparseable reads as 0
      {"max_zoom_ratio=", zoom, 8},            // present but empty keeps the default
      {"max_zoom_ratio=4294967300", zoom, 4},  // low 32 bits: 4
      {"max_zoom_ratio=99999999999999999999999999", zoom, 4},
      {"view_margin=-5", margin, 0},
      {"view_margin=64", margin, 64},
      {"view_margin=100", margin, 64},
      {"view_margin=30", margin, 30},
      {"save_jpeg_quality=150", quality, 100},
      {"save_jpeg_quality=0", quality, 0},
      {"save_jpeg_quality=-1", quality, 0},
      {"save_jpeg_quality=55", quality, 55},
      {"hardware_zoom=5", hardware, 1},
      {"hardware_zoom=-1", hardware, 1},
      {"hardware_zoom=4294967296", hardware, 1},  // zero low bits, but not zero
      {"hardware_zoom=x", hardware, 0},
      {"toolbar_dock=0", dock, 0},
      {"toolbar_dock=", dock, 1},
      {"show_wheel_favorite=0\r\nmouse_wheel_action=99", wheel, 99},
      {"show_wheel_favorite=0\r\nmouse_wheel_action=5", wheel, 1},
      {"show_wheel_favorite=0\r\nmouse_wheel_action=-3", wheel, 1},
      {"show_wheel_favorite=0\r\nmouse_wheel_action=0", wheel, 0},
      {"show_wheel_favorite=0", wheel, 99},
      {"show_wheel_favorite=1\r\nmouse_wheel_action=0", wheel, 99},
      {"mouse_wheel_action=1", wheel, 99},  // prompt flag absent: still 1
      {"show_wheel_favorite=7\r\nmouse_wheel_action=0", favorite, 1},
      {"canvas_back_color=10,20,30", color, RGB(10, 20, 30)},
      {"canvas_back_color=300,0,0", color, RGB(44, 0, 0)},
      {"canvas_back_color=-1,256,511", color, RGB(255, 0, 255)},
      {"canvas_back_color=,10,,20,,30,", color, RGB(10, 20, 30)},
      {"canvas_back_color= 1, 2, 3", color, RGB(1, 2, 3)},
      {"canvas_back_color=+10,+20,-0", color, RGB(10, 20, 0)},
      {"canvas_back_color=10,20", color, RGB(39, 39, 39)},
      {"canvas_back_color=1,2,3,4", color, RGB(39, 39, 39)},
      {"canvas_back_color=", color, RGB(39, 39, 39)},
      {"[lockscreen]\r\nenable=2", enable, 0},
      {"[lockscreen]\r\nenable=1", enable, 1},
      {"[lockscreen]\r\nenable=01", enable, 1},
      {"[lockscreen]\r\nenable=1", loaded_enable, 1},
      {"[lockscreen]\r\ntime=15", time, 15},
      {"[lockscreen]\r\ntime=-4", time, -4},
      {"[lockscreen]\r\ntime=4294967311", time, 15},
      {"[lockscreen]\r\ntime=15", loaded_time, 15},
      {"[lockscreen]\r\ndefault_opt_time=30", opt_time, 30},
      {"[lockscreen]\r\nuser_changed_time=3", changed_time, 1},
      {"[other]\r\nmax_zoom_ratio=20", zoom, 8},  // only section "app" counts
  };
  ConfigSandbox sandbox(L"config-rules");
  for (const LoadCase& c : cases) {
    ASSERT_TRUE(sandbox.WriteSettings(std::string("[app]\r\n") + c.ini + "\r\n"));
    EXPECT_EQ(c.expected, c.read(*sandbox.MakeConfig())) << c.ini;
  }
}

TEST(AppConfigTest, EveryFlagKeyReachesItsMember) {
  struct FlagKey {
    const char* section;
    const char* key;
    int32_t CAppConfig::*member;
    int32_t default_value;
  };
  const FlagKey flags[] = {
      {"app", "hardware_zoom", &CAppConfig::hardware_zoom, 0},
      {"app", "gps_map_vendor", &CAppConfig::gps_map_vendor, 0},
      {"app", "toolbar_dock", &CAppConfig::toolbar_dock, 1},
      {"app", "show_delete_confirm", &CAppConfig::show_delete_confirm, 1},
      {"app", "show_wheel_favorite", &CAppConfig::show_wheel_favorite, 1},
      {"app", "double_click_action", &CAppConfig::double_click_action, 0},
      {"app", "view_folder_loop", &CAppConfig::view_folder_loop, 0},
      {"app", "rotate_auto_save", &CAppConfig::rotate_auto_save, 0},
      {"app", "long_image_mode", &CAppConfig::long_image_mode, 0},
      {"app", "preload_enable", &CAppConfig::preload_enable, 1},
      {"app", "orientation_by_tag", &CAppConfig::orientation_by_tag, 0},
      {"app", "ignore_embedded_icc", &CAppConfig::ignore_embedded_icc, 0},
      {"app", "only_one_instance", &CAppConfig::only_one_instance, 0},
      {"app", "set_default_viewer", &CAppConfig::set_default_viewer, 0},
      {"app", "default_viewer_start_tip", &CAppConfig::default_viewer_start_tip, 1},
      {"app", "completely_exit", &CAppConfig::completely_exit, 0},
      {"app", "user_set_default_viewer", &CAppConfig::user_set_default_viewer, 0},
      {"lockscreen", "user_changed_time", &CAppConfig::lockscreen_user_changed_time, 0},
  };
  ConfigSandbox sandbox(L"config-flags");
  for (const FlagKey& flag : flags) {
    const char* flipped = flag.default_value ? "0" : "9";
    ASSERT_TRUE(sandbox.WriteSettings(std::string("[") + flag.section + "]\r\n" + flag.key + "=" +
                                      flipped + "\r\n"));
    EXPECT_EQ(flag.default_value ? 0 : 1, sandbox.MakeConfig().get()->*flag.member) << flag.key;
  }
}

TEST(AppConfigTest, LanguageIdResolvesToAnInstalledFile) {
  struct Case {
    const char* ini;
    std::wstring expected;
  };
  const Case cases[] = {
      {"language_id=cn_simp.ini\r\n", L"cn_simp.ini"},
      {"language_id=fr.ini\r\n", L"en.ini"},  // not installed
      {"language_id=\r\n", L"en.ini"},        // present but empty
      {"language_id=cn_simp\r\n", L"en.ini"},
      {"", EnglishOrLocaleDefault()},  // absent: from the system locale
  };
  ConfigSandbox sandbox(L"config-language");
  const std::wstring current_before = GetCurrentLanguageFile();
  for (const Case& c : cases) {
    ASSERT_TRUE(sandbox.WriteSettings(std::string("[app]\r\n") + c.ini));
    EXPECT_EQ(c.expected, sandbox.MakeConfig()->language_id) << c.ini;
  }
  // Only the process-wide store picks the language of the texts.
  EXPECT_EQ(current_before, GetCurrentLanguageFile());

  // The fallback is what the next save stores.
  ASSERT_TRUE(sandbox.WriteSettings("[app]\r\nlanguage_id=fr.ini\r\n"));
  sandbox.MakeConfig()->Save();
  EXPECT_THAT(DecodeSettings(sandbox.ReadSettingsBytes()),
              testing::HasSubstr(L"\r\nlanguage_id=en.ini\r\n"));
}

TEST(AppConfigTest, LongValuesAreReadAgainWhole) {
  ConfigSandbox sandbox(L"config-long");
  // 300 characters: the colour only parses when the whole value is read.
  const std::string color = std::string(292, '0') + "10,20,30";
  ASSERT_EQ(300u, color.size());
  const std::string language = std::string(296, 'x') + ".ini";
  ASSERT_TRUE(sandbox.WriteSettings("[app]\r\ncanvas_back_color=" + color +
                                    "\r\nlanguage_id=" + language + "\r\n"));
  auto config = sandbox.MakeConfig();
  EXPECT_EQ(RGB(10, 20, 30), config->canvas_back_color);
  EXPECT_EQ(L"en.ini", config->language_id);  // too long for a language file name
}

TEST(AppConfigTest, LoadAgainReplacesOnlyKeysPresentInTheFile) {
  ConfigSandbox sandbox(L"config-reload");
  ASSERT_TRUE(sandbox.WriteSettings("[app]\r\nmax_zoom_ratio=16\r\n[lockscreen]\r\ntime=30\r\n"));
  auto config = sandbox.MakeConfig();
  config->max_zoom_ratio = 20;
  config->view_margin = 10;
  config->lockscreen_time = 45;
  config->last_position = L"1_2_3_4";
  config->Load();
  EXPECT_EQ(16, config->max_zoom_ratio);
  EXPECT_EQ(10, config->view_margin);
  EXPECT_EQ(30, config->lockscreen_time);
  EXPECT_EQ(30, config->loaded_lockscreen_time);
  EXPECT_EQ(L"1_2_3_4", config->last_position);  // Load leaves the placement alone
}

TEST(AppConfigTest, ReloadWheelSettingsReadsOnlyTheWheelKeys) {
  ConfigSandbox sandbox(L"config-wheel");
  auto config = sandbox.MakeConfig();
  ASSERT_TRUE(sandbox.WriteSettings(
      "[app]\r\nshow_wheel_favorite=0\r\nmouse_wheel_action=1\r\nmax_zoom_ratio=20\r\n"));
  config->ReloadWheelSettings();
  EXPECT_EQ(0, config->show_wheel_favorite);
  EXPECT_EQ(1, config->mouse_wheel_action);
  EXPECT_EQ(8, config->max_zoom_ratio);

  ASSERT_TRUE(sandbox.WriteSettings("[app]\r\nshow_wheel_favorite=1\r\nmouse_wheel_action=0\r\n"));
  config->ReloadWheelSettings();
  EXPECT_EQ(99, config->mouse_wheel_action);
}

TEST(AppConfigTest, SnipHotkeyIsReadFromSectionDefault) {
  struct Case {
    const char* ini;
    int32_t expected;
  };
  const Case cases[] = {
      {"", 0},
      {"[Default]\r\nsniptool_hotkey=\r\n", 0},
      {"[Default]\r\nsniptool_hotkey=1092\r\n", 1092},
      {"[Default]\r\nsniptool_hotkey=abc\r\n", 0},
      {"[app]\r\nsniptool_hotkey=1092\r\n", 0},
  };
  ConfigSandbox sandbox(L"config-hotkey");
  auto config = sandbox.MakeConfig();
  for (const Case& c : cases) {
    ASSERT_TRUE(sandbox.WriteSettings(c.ini));
    EXPECT_EQ(c.expected, config->ReadSnipHotkey()) << c.ini;
  }
}

TEST(AppConfigTest, SaveWritesEveryKeyInOrderAndNoLockscreenSection) {
  ConfigSandbox sandbox(L"config-save");
  auto config = sandbox.MakeConfig();
  config->last_position = L"10_20_1010_820";
  config->max_zoom_ratio = 16;
  config->canvas_back_color = RGB(1, 2, 3);
  config->language_id = L"cn_simp.ini";
  config->mouse_wheel_action = 1;
  config->show_wheel_favorite = 0;
  config->save_jpeg_quality = 95;
  config->Save();

  const std::wstring expected =
      L"[app]\r\n"
      L"last_position=10_20_1010_820\r\n"
      L"max_zoom_ratio=16\r\n"
      L"view_margin=24\r\n"
      L"canvas_back_color=1,2,3\r\n"
      L"hardware_zoom=0\r\n"
      L"gps_map_vendor=0\r\n"
      L"toolbar_dock=1\r\n"
      L"language_id=cn_simp.ini\r\n"
      L"show_delete_confirm=1\r\n"
      L"mouse_wheel_action=1\r\n"
      L"show_wheel_favorite=0\r\n"
      L"double_click_action=0\r\n"
      L"view_folder_loop=0\r\n"
      L"rotate_auto_save=0\r\n"
      L"long_image_mode=0\r\n"
      L"save_jpeg_quality=95\r\n"
      L"preload_enable=1\r\n"
      L"preload_thread=3\r\n"
      L"orientation_by_tag=0\r\n"
      L"ignore_embedded_icc=0\r\n"
      L"only_one_instance=0\r\n"
      L"set_default_viewer=0\r\n"
      L"default_viewer_start_tip=1\r\n"
      L"completely_exit=0\r\n"
      L"user_set_default_viewer=0\r\n";
  const std::string bytes = sandbox.ReadSettingsBytes();
  EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));
  EXPECT_EQ(expected, DecodeSettings(bytes));
  EXPECT_FALSE(PathExists(sandbox.settings_file() + L".saving"));

  // What was saved loads back, the placement included.
  auto reloaded = sandbox.MakeConfig();
  EXPECT_EQ(L"10_20_1010_820", reloaded->last_position);
  EXPECT_EQ(16, reloaded->max_zoom_ratio);
  EXPECT_EQ(RGB(1, 2, 3), reloaded->canvas_back_color);
  EXPECT_EQ(L"cn_simp.ini", reloaded->language_id);
  EXPECT_EQ(1, reloaded->mouse_wheel_action);
  EXPECT_EQ(95, reloaded->save_jpeg_quality);
}

TEST(AppConfigTest, LockscreenSectionIsWrittenOnlyOnceTouched) {
  struct Case {
    const char* name;
    const char* lockscreen;  // the file's section body, or null for none
    std::function<void(CAppConfig&)> change;
    bool written;
  };
  const Case cases[] = {
      {"untouched", nullptr, [](CAppConfig&) {}, false},
      {"flag changed", nullptr, [](CAppConfig& c) { c.lockscreen_enable = 1; }, true},
      {"interval changed", nullptr, [](CAppConfig& c) { c.lockscreen_time = 60; }, true},
      {"default interval only", nullptr, [](CAppConfig& c) { c.lockscreen_default_opt_time = 60; },
       false},
      {"changed before", "user_changed_setting=1\r\n", [](CAppConfig&) {}, true},
      {"not changed before", "user_changed_setting=0\r\n", [](CAppConfig&) {}, false},
      {"changed and back", nullptr,
       [](CAppConfig& c) {
         c.lockscreen_time = 60;
         c.lockscreen_time = 210;
       },
       false},
  };
  for (const Case& c : cases) {
    ConfigSandbox sandbox(L"config-lockscreen");
    if (c.lockscreen) {
      ASSERT_TRUE(sandbox.WriteSettings(std::string("[lockscreen]\r\n") + c.lockscreen));
    }
    auto config = sandbox.MakeConfig();
    c.change(*config);
    config->Save();
    const std::wstring text = DecodeSettings(sandbox.ReadSettingsBytes());
    const bool has_section_keys = text.find(L"user_changed_setting=1") != std::wstring::npos;
    EXPECT_EQ(c.written, has_section_keys) << c.name << "\n" << testing::PrintToString(text);
  }

  ConfigSandbox sandbox(L"config-lockscreen-order");
  auto config = sandbox.MakeConfig();
  config->lockscreen_enable = 1;
  config->lockscreen_time = 60;
  config->lockscreen_user_changed_time = 1;
  config->Save();
  const std::wstring text = DecodeSettings(sandbox.ReadSettingsBytes());
  EXPECT_THAT(text, testing::EndsWith(L"[lockscreen]\r\n"
                                      L"enable=1\r\n"
                                      L"time=60\r\n"
                                      L"user_changed_time=1\r\n"
                                      L"user_changed_setting=1\r\n"
                                      L"default_opt_time=210\r\n"));
}

TEST(AppConfigTest, SaveLeavesOtherSectionsAndAnUntouchedLockscreenAlone) {
  ConfigSandbox sandbox(L"config-keep");
  ASSERT_TRUE(
      sandbox.WriteSettings("[Default]\r\nsniptool_hotkey=1092\r\n"
                            "[lockscreen]\r\nenable=2\r\ntime=999\r\n"
                            "[app]\r\nmax_zoom_ratio=12\r\nsomething_else=kept\r\n"));
  auto config = sandbox.MakeConfig();
  EXPECT_EQ(0, config->lockscreen_enable);
  config->Save();
  const std::wstring text = DecodeSettings(sandbox.ReadSettingsBytes());
  EXPECT_THAT(text, testing::HasSubstr(L"[Default]\r\nsniptool_hotkey=1092\r\n"));
  EXPECT_THAT(text, testing::HasSubstr(L"[lockscreen]\r\nenable=2\r\ntime=999\r\n"));
  EXPECT_THAT(text, testing::HasSubstr(L"something_else=kept\r\n"));
  EXPECT_THAT(text, testing::Not(testing::HasSubstr(L"user_changed_setting")));
  EXPECT_EQ(1092, sandbox.MakeConfig()->ReadSnipHotkey());
}

TEST(AppConfigTest, SaveCreatesAMissingDataFolderAndKeepsUnicode) {
  ConfigSandbox sandbox(L"config-folder");
  const std::wstring nested = sandbox.folder().File(L"new\\deeper\\config.ini");
  CAppConfig config(nested, sandbox.language_folder());
  config.language_id = L"\x4E2D\x6587.ini";
  config.Save();
  ASSERT_TRUE(PathExists(nested));
  wchar_t value[64] = {};
  GetPrivateProfileStringW(L"app", L"language_id", L"", value, 64, nested.c_str());
  EXPECT_STREQ(L"\x4E2D\x6587.ini", value);
}

TEST(AppConfigTest, SavingOverAUtf16FileKeepsItsTexts) {
  ConfigSandbox sandbox(L"config-utf16");
  ASSERT_TRUE(
      WriteFileBytes(sandbox.settings_file(),
                     Utf16File(L"[app]\r\nmax_zoom_ratio=20\r\n[Default]\r\nnote=\x4E2D\r\n")));
  auto config = sandbox.MakeConfig();
  EXPECT_EQ(20, config->max_zoom_ratio);
  config->Save();
  EXPECT_THAT(DecodeSettings(sandbox.ReadSettingsBytes()),
              testing::HasSubstr(L"[Default]\r\nnote=\x4E2D\r\n"));
}

TEST(AppConfigTest, BadFilesLoadAsDefaults) {
  ConfigSandbox sandbox(L"config-bad");

  ASSERT_TRUE(sandbox.WriteSettings(""));
  EXPECT_EQ(8, sandbox.MakeConfig()->max_zoom_ratio);

  // Binary without a section header: nothing in it can be a key of ours.
  std::string binary;
  for (int i = 0; i < 100000; ++i) {
    char c = static_cast<char>((i * 2654435761u) >> 24);
    binary.push_back(c == '[' ? '\0' : c);
  }
  ASSERT_TRUE(sandbox.WriteSettings(binary));
  {
    auto config = sandbox.MakeConfig();
    EXPECT_EQ(8, config->max_zoom_ratio);
    EXPECT_EQ(RGB(39, 39, 39), config->canvas_back_color);
    EXPECT_EQ(99, config->mouse_wheel_action);
  }

  // Huge: the keys after the filler are still read.
  auto filled = [](size_t size) {
    std::string text = "[filler]\r\n";
    for (int i = 0; text.size() < size; ++i) {
      text += "key" + std::to_string(i) + "=" + std::string(100, 'x') + "\r\n";
    }
    return text + "[app]\r\nmax_zoom_ratio=16\r\nview_margin=-2147483648\r\n";
  };
  ASSERT_TRUE(sandbox.WriteSettings(filled(8 * 1024 * 1024)));
  EXPECT_EQ(16, sandbox.MakeConfig()->max_zoom_ratio);
  // Saving rewrites the file once per key; a smaller big file keeps this quick.
  const std::string huge = filled(256 * 1024);
  ASSERT_TRUE(sandbox.WriteSettings(huge));
  {
    auto config = sandbox.MakeConfig();
    EXPECT_EQ(16, config->max_zoom_ratio);
    EXPECT_EQ(0, config->view_margin);
    config->Save();  // and is saved over without loss
  }
  const std::string saved = sandbox.ReadSettingsBytes();
  EXPECT_GT(saved.size(), huge.size());
  EXPECT_EQ(16, sandbox.MakeConfig()->max_zoom_ratio);
}

TEST(AppConfigTest, PlacementReadBackAcceptsOnlyWhatSaveWrites) {
  struct Case {
    const char* stored;
    const wchar_t* loaded;
  };
  const Case cases[] = {
      {"MAX", L"MAX"},
      {"100_100_900_700", L"100_100_900_700"},
      {"-1280_0_-200_700", L"-1280_0_-200_700"},
      {"garbage", L""},
      {"1_2_3", L""},
      {"", L""},
  };
  ConfigSandbox sandbox(L"config-position");
  for (const Case& c : cases) {
    ASSERT_TRUE(sandbox.WriteSettings(std::string("[app]\r\nlast_position=") + c.stored + "\r\n"));
    EXPECT_EQ(c.loaded, sandbox.MakeConfig()->last_position) << c.stored;
  }
}

TEST(AppConfigTest, LanguageFileFollowsTheLocaleTable) {
  struct Case {
    const wchar_t* locale;
    const wchar_t* file;
  };
  const Case cases[] = {
      {L"zh-CN", L"cn_simp.ini"}, {L"zh-SG", L"cn_simp.ini"}, {L"zh-Hans", L"cn_simp.ini"},
      {L"zh", L"cn_simp.ini"},    {L"ZH-cn", L"cn_simp.ini"}, {L"zh-Hans-CN", L"cn_trad.ini"},
      {L"zh-TW", L"cn_trad.ini"}, {L"zh-HK", L"cn_trad.ini"}, {L"zh-Hant", L"cn_trad.ini"},
      {L"fr-FR", L"fr.ini"},      {L"fr", L"fr.ini"},         {L"de-DE", L"de.ini"},
      {L"de", L"en.ini"},         {L"es-ES", L"es.ini"},      {L"es", L"en.ini"},
      {L"pt-BR", L"pt.ini"},      {L"ru-RU", L"ru.ini"},      {L"ar-SA", L"ar.ini"},
      {L"it-IT", L"it.ini"},      {L"ja-JP", L"ja.ini"},      {L"ko-KR", L"ko.ini"},
      {L"en-US", L"en.ini"},      {L"nl-NL", L"en.ini"},      {L"", L"en.ini"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.file, CAppConfig::LanguageFileForLocale(c.locale)) << c.locale;
  }
  wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
  ASSERT_GT(GetSystemDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH), 0);
  EXPECT_EQ(CAppConfig::LanguageFileForLocale(locale), CAppConfig::DefaultLanguageFile());
}

TEST(AppConfigTest, FoldersEndWithABackslash) {
  wchar_t app_data[MAX_PATH] = {};
  ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, app_data));
  std::wstring expected = app_data;
  if (expected.back() != L'\\') {
    expected += L'\\';
  }
  EXPECT_EQ(expected + L"Lumora\\", CAppConfig::GetDataFolder());

  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::wstring exe_path = exe;
  EXPECT_EQ(exe_path.substr(0, exe_path.find_last_of(L'\\') + 1), CAppConfig::GetProgramFolder());
}

TEST(AppConfigTest, LoadLogsTheFileAndTheLockscreenFlag) {
  ConfigSandbox sandbox(L"config-log");
  const std::wstring log_path = sandbox.folder().File(L"main.log");
  ASSERT_TRUE(WriteFileBytes(log_path + L".on", ""));
  CMyLog::GetInstance()->Open(log_path);
  ASSERT_TRUE(sandbox.WriteSettings("[lockscreen]\r\nenable=2\r\n"));
  sandbox.MakeConfig();
  CMyLog::DestroyInstance();  // closes main.log

  std::string narrow_path;
  for (wchar_t c : sandbox.settings_file()) {
    narrow_path.push_back(static_cast<char>(c));
  }
  const std::string log = ReadFileBytes(log_path);
  // "[I]", the line number right-aligned in four columns, the file's base name.
  const std::string tail = "][app_config] CAppConfig:" + narrow_path + "\r\n";
  const size_t at = log.find(tail);
  ASSERT_NE(std::string::npos, at) << log;
  ASSERT_GE(at, 8u);
  EXPECT_EQ("[I][", log.substr(at - 8, 4));
  EXPECT_NE(' ', log[at - 1]);
  EXPECT_THAT(log, testing::HasSubstr("][app_config] CAppConfig enable:2\r\n"));
}
