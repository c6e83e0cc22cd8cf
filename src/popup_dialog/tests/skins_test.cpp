// Every skin of res.zip builds, holds the controls its window relies on,
// and is left as a screenshot for a person to look at.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "l10n/language_file.h"
#include "popup_dialog/dlg_base.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "support/message_pump.h"
#include "support/screenshots.h"
#include "toolkit/ui_edit.h"
#include "toolkit/ui_list.h"

namespace {

// Shows one skin as a plain popup; "CenterEdit" is the settings dialog's
// own class.
class SkinPreview : public CUseZipResourceDuiWnd {
 public:
  explicit SkinPreview(std::wstring skin) : skin_(std::move(skin)) {}
  const wchar_t* GetWindowClassName() const override { return L"LumoraSkinPreview"; }
  std::wstring GetSkinFile() override { return skin_; }
  CControlUI* CreateControl(const wchar_t* name) override {
    return wcscmp(name, L"CenterEdit") == 0 ? new CEditUI() : nullptr;
  }

 private:
  std::wstring skin_;
};

struct SkinCase {
  const wchar_t* file;
  std::vector<const wchar_t*> controls;
};

const std::vector<SkinCase>& Skins() {
  static const std::vector<SkinCase> skins = {
      {L"msgbox.xml", {L"cls", L"content_area", L"btn_area"}},
      {L"convert_box.xml", {L"filename", L"dropList", L"cls", L"right_btn", L"left_btn"}},
      {L"listwnd.xml", {L"list"}},
      {L"deltip.xml", {L"ok", L"cancel", L"cls", L"notip"}},
      {L"default.xml", {L"ok", L"cancel", L"cls", L"notip"}},
      {L"mousewheel.xml", {L"turnpage", L"zoom", L"notip", L"ok", L"cls"}},
      {L"modifysize.xml",
       {L"item1", L"item2", L"item3", L"item4", L"recommend", L"wide", L"height", L"wide_percent",
        L"height_percent", L"lock", L"ok", L"cancel", L"cls"}},
      {L"about.xml", {L"version_desc", L"license", L"privacy", L"cls"}},
      {L"questionnaire.xml",
       {L"content", L"email", L"phone", L"content_tip", L"email_tip", L"phone_tip", L"commit",
        L"cls"}},
      {L"menu.xml", {L"list_menu", L"list_menu2", L"wheel_menu"}},
      {L"context_menu.xml", {L"list_menu"}},
      {L"effect.xml", {L"brighter", L"colorful", L"hd"}},
      {L"imginfo.xml",
       {L"name",
        L"type",
        L"capacity",
        L"size",
        L"modify_time",
        L"shooting_time",
        L"firm",
        L"dev_model",
        L"camera_lens",
        L"aperture_value",
        L"max_aperture_value",
        L"time_of_exposure",
        L"resolving_power",
        L"ISO",
        L"focal_length",
        L"test_model",
        L"flash_lamp",
        L"white_balance",
        L"program",
        L"cls"}},
      {L"setting.xml",
       {L"roller",
        L"turnpage",
        L"scale",
        L"dbclick",
        L"double",
        L"origin",
        L"gps",
        L"tencent",
        L"google",
        L"max_multiple",
        L"num_multiple",
        L"loop",
        L"rotate_save",
        L"ignore_icc",
        L"hard_speed_up",
        L"hard_speed_up_tip",
        L"confirm_del",
        L"long_graph",
        L"long_graph_tip",
        L"save_jpeg_quality_desc",
        L"quality_tip",
        L"edt_quality",
        L"only_one_wnd",
        L"cls_exit_service",
        L"quick_indexes",
        L"sys_panel",
        L"jpg",
        L"gif",
        L"png",
        L"bmp",
        L"tiff",
        L"ico",
        L"webp",
        L"tga",
        L"psd",
        L"jp2",
        L"pcx",
        L"raw",
        L"g3",
        L"dds",
        L"cut",
        L"xbm",
        L"xpm",
        L"wmf",
        L"pfm",
        L"pcd",
        L"j2k",
        L"hdr",
        L"sgi",
        L"exr",
        L"all",
        L"lockscreen_yes",
        L"lockscreen_no",
        L"minutes_5",
        L"edt_keys",
        L"reset",
        L"cls",
        L"page_list",
        L"pages",
        L"routine",
        L"habit",
        L"fileassoc",
        L"shotscreen"}},
  };
  return skins;
}

int ListCount(SkinPreview& window, const wchar_t* name) {
  auto* list = dynamic_cast<CListUI*>(window.GetPaintManager().FindControl(name));
  return list ? list->GetCount() : -1;
}

TEST(Skins, EverySkinBuildsWithTheControlsItsWindowNeeds) {
  skin_test::SkinEnvironment env;
  for (const wchar_t* language : {L"en", L"cn_simp"}) {
    ASSERT_TRUE(SetCurrentLanguageFile(std::wstring(language) + L".ini"));
    for (const SkinCase& skin : Skins()) {
      SCOPED_TRACE(std::string(skin.file, skin.file + wcslen(skin.file)));
      SkinPreview window(skin.file);
      ASSERT_TRUE(
          window.Create(nullptr, L"", kSkinnedPopupStyle & ~WS_VISIBLE, 0, RECT{0, 0, 0, 0}));
      ASSERT_NE(window.GetPaintManager().GetRoot(), nullptr);
      for (const wchar_t* name : skin.controls) {
        EXPECT_NE(window.GetPaintManager().FindControl(name), nullptr)
            << std::string(name, name + wcslen(name));
      }
      if (wcscmp(skin.file, L"menu.xml") == 0) {
        EXPECT_EQ(ListCount(window, L"list_menu"), 7);
        EXPECT_EQ(ListCount(window, L"list_menu2"), 2);
        auto* list = dynamic_cast<CListUI*>(window.GetPaintManager().FindControl(L"list_menu"));
        EXPECT_EQ(list->GetItemIndex(window.GetPaintManager().FindControl(L"wheel_menu")), 3);
      }
      if (wcscmp(skin.file, L"context_menu.xml") == 0) {
        EXPECT_EQ(ListCount(window, L"list_menu"), 10);
      }
      // One language on the screen is enough for a person to look at.
      if (wcscmp(language, L"en") != 0) {
        continue;
      }
      SetWindowPos(window.GetHWND(), nullptr, 120, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      window.ShowWindow(true, true);
      test_support::PumpUntil([&] { return window.GetPaintManager().IsInitialised(); }, 3000);
      test_support::PumpUntil([] { return false; }, 150);
      RECT shot = skin_test::ScreenRect(window.GetHWND());
      InflateRect(&shot, 12, 12);
      std::wstring name = skin.file;
      name.resize(name.size() - 4);
      test_support::SaveScreenPng(shot, L"skin_" + name);
    }
  }
  SetCurrentLanguageFile(L"en.ini");
  EXPECT_TRUE(env.failures().empty());
}

}  // namespace
