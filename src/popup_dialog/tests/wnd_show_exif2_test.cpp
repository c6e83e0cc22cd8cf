// The picture information window on real pictures: a camera file's rows as
// exiftool reads them, following the next picture, a picture without
// metadata, its place beside the toolbar and how it asks to be closed.
#include "popup_dialog/wnd_show_exif2.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "config/app_config.h"
#include "image/image_document.h"
#include "l10n/lang_string.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "resource_ids.h"
#include "toolkit/ui_control.h"
#include "support/imaging.h"
#include "support/message_pump.h"
#include "support/screenshots.h"
#include "support/exiftool_reading.h"
#include "support/test_paths.h"
#include "support/test_window.h"
#include "widgets/ui_event.h"

namespace {

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test_support::ImagingEnvironment);

std::vector<WPARAM> g_commands;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND) {
    g_commands.push_back(wparam);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

std::wstring Fixture(const std::wstring& name) {
  return test_support::EnvironmentPath(L"LUMORA_INFO_FIXTURES") + L"\\" + name;
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring Printf(const wchar_t* format, double value) {
  wchar_t text[64];
  swprintf(text, 64, format, value);
  return text;
}

// Item index of a language list, split here on its own.
std::wstring LangListItem(int key, size_t index) {
  const std::wstring list = GetLangStringById(L"EXIF", key);
  size_t start = 0;
  for (size_t i = 0; i < index; ++i) {
    start = list.find(L'/', start) + 1;
  }
  return list.substr(start, list.find(L'/', start) - start);
}

class InfoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_commands.clear();
    owner_ = test_support::CreateTestWindow(L"info_window_test_owner", OwnerProc,
                                            WS_OVERLAPPEDWINDOW | WS_VISIBLE, 800, 700);
    ASSERT_NE(owner_, nullptr);
    dock_ = CAppConfig::GetInstance()->toolbar_dock;
    CAppConfig::GetInstance()->toolbar_dock = 0;
  }
  void TearDown() override {
    window_.reset();
    CImageDocument::Instance()->Close();
    CAppConfig::GetInstance()->toolbar_dock = dock_;
    DestroyWindow(owner_);
  }
  void Open(const std::wstring& fixture) {
    CImageDocument::Instance()->Open(Fixture(fixture));
    ASSERT_TRUE(CImageDocument::Instance()->GetLoader()) << fixture;
  }
  void Show() {
    window_ = std::make_unique<WndShowExif2>(owner_);
    ASSERT_TRUE(window_->CreateAt(kButton));
    test_support::PumpFor(200);
  }
  std::wstring Label(const wchar_t* name) const { return window_->LabelText(name); }
  bool Visible(const wchar_t* name) const {
    CControlUI* control = window_->GetPaintManager().FindControl(name);
    return control && control->IsVisible();
  }
  // Every label as exiftool's reading of the fixture says it must read.
  void ExpectRowsAsExiftoolReads(const std::wstring& fixture) {
    SCOPED_TRACE(std::string(fixture.begin(), fixture.end()));
    auto tool =
        test_support::ExiftoolReading(Fixture(fixture.substr(0, fixture.rfind(L'.')) + L".txt"));
    ASSERT_FALSE(tool["Make"].empty());
    EXPECT_EQ(Label(L"name"), fixture.substr(0, fixture.rfind(L'.')));
    EXPECT_EQ(Label(L"type"), L"JPG");
    wchar_t size_text[64] = {};
    StrFormatByteSizeW(std::stoll(tool["FileSize"]), size_text, 64);
    EXPECT_EQ(Label(L"capacity"), size_text);
    EXPECT_EQ(Label(L"size"), Widen(tool["ImageWidth"] + " * " + tool["ImageHeight"]));
    EXPECT_EQ(Label(L"modify_time"), Widen(tool["PrintFileModifyDate"]));
    std::string date = tool["DateTimeOriginal"];
    date[4] = date[7] = '-';
    EXPECT_EQ(Label(L"shooting_time"), Widen(date));
    EXPECT_EQ(Label(L"firm"), Widen(tool["Make"]));
    EXPECT_EQ(Label(L"dev_model"), Widen(tool["Model"]));
    EXPECT_EQ(Label(L"camera_lens"), Widen(tool["LensModel"]));
    EXPECT_EQ(Label(L"aperture_value"), Printf(L"F%.1f", std::stod(tool["FNumber"])));
    EXPECT_EQ(Label(L"time_of_exposure"), Widen(tool["PrintExposureTime"] + " sec"));
    EXPECT_EQ(Label(L"ISO"), Widen(tool["ISO"]));
    EXPECT_EQ(Label(L"focal_length"), Printf(L"%.1f mm", std::stod(tool["FocalLength"])));
    EXPECT_EQ(Label(L"resolving_power"), Widen(tool["XResolution"] + " dpi"));
    const int metering = std::stoi(tool["MeteringMode"]);
    EXPECT_EQ(Label(L"test_model"),
              metering >= 1 && metering <= 6 ? LangListItem(80, metering) : L"");
    EXPECT_EQ(Label(L"flash_lamp"), LangListItem(81, (std::stoi(tool["Flash"]) & 1) ? 0 : 1));
    EXPECT_EQ(Label(L"white_balance"), LangListItem(82, tool["WhiteBalance"] == "0" ? 1 : 0));
    EXPECT_EQ(Label(L"program"), LangListItem(83, std::stoi(tool["ExposureProgram"])));
    // exiftool's composite coordinates are signed: south and west negative.
    EXPECT_EQ(Label(L"gps"), Printf(L"%f", std::stod(tool["GPSLatitude"])) + L"," +
                                 Printf(L"%f", std::stod(tool["GPSLongitude"])));
    EXPECT_TRUE(Visible(L"gps_row"));
    EXPECT_TRUE(Visible(L"map"));
  }

  static constexpr RECT kButton = {600, 60, 634, 94};
  skin_test::SkinEnvironment skins_;
  HWND owner_ = nullptr;
  int dock_ = 0;
  std::unique_ptr<WndShowExif2> window_;
};

TEST_F(InfoWindowTest, CameraRowsAsExiftoolReadsThemAndTheNextPicture) {
  Open(L"camera_south.jpg");
  Show();
  ASSERT_NE(window_->GetHWND(), nullptr);
  ExpectRowsAsExiftoolReads(L"camera_south.jpg");
  EXPECT_EQ(Label(L"gps"), L"-30.500000,-120.250000");
  EXPECT_EQ(Label(L"shooting_time"), L"2021-07-04 09:05:00");
  test_support::PumpFor(300);
  test_support::SaveScreenPng(skin_test::ScreenRect(window_->GetHWND()), L"info_window_camera");

  // The viewer switches to the next picture: the window follows.
  Open(L"camera_north.jpg");
  CUIEventObserver::Broadcast(CUIEventViewImageChanged());
  ExpectRowsAsExiftoolReads(L"camera_north.jpg");
  EXPECT_EQ(Label(L"gps"), L"45.750000,7.125000");
  EXPECT_EQ(Label(L"test_model"), L"") << "metering mode 255";
  EXPECT_EQ(Label(L"flash_lamp"), LangListItem(81, 1)) << "flash 16 did not fire";
  EXPECT_NE(Label(L"flash_lamp"), L"");
}

TEST_F(InfoWindowTest, APictureWithoutMetadataShowsOnlyItsFileRows) {
  Open(L"camera_south.jpg");
  Show();
  Open(L"plain.bmp");
  CUIEventObserver::Broadcast(CUIEventViewImageChanged());
  auto tool = test_support::ExiftoolReading(Fixture(L"plain.txt"));
  EXPECT_EQ(Label(L"name"), L"plain");
  EXPECT_EQ(Label(L"type"), L"BMP");
  EXPECT_NE(Label(L"capacity"), L"");
  EXPECT_EQ(Label(L"size"), Widen(tool["ImageWidth"] + " * " + tool["ImageHeight"]));
  EXPECT_EQ(Label(L"modify_time"), Widen(tool["PrintFileModifyDate"]));
  for (const wchar_t* name :
       {L"shooting_time", L"firm", L"dev_model", L"camera_lens", L"aperture_value",
        L"max_aperture_value", L"time_of_exposure", L"resolving_power", L"ISO", L"focal_length",
        L"test_model", L"flash_lamp", L"white_balance", L"program", L"gps"}) {
    EXPECT_EQ(Label(name), L"") << std::wstring(name);
  }
  EXPECT_FALSE(Visible(L"gps_row"));
  EXPECT_FALSE(Visible(L"map"));
  test_support::PumpFor(300);
  test_support::SaveScreenPng(skin_test::ScreenRect(window_->GetHWND()), L"info_window_plain");

  // A file that went away leaves the file rows empty too.
  CImageDocument::Instance()->Open(Fixture(L"missing.jpg"));
  window_->RefreshLabels();
  EXPECT_EQ(Label(L"name"), L"");
  EXPECT_EQ(Label(L"size"), L"");
}

TEST_F(InfoWindowTest, OpensBelowTheButtonOrAboveItWithTheToolbarAtTheBottom) {
  Open(L"camera_south.jpg");
  Show();
  RECT rect = skin_test::ScreenRect(window_->GetHWND());
  const int height = rect.bottom - rect.top;
  EXPECT_GT(height, 400);
  EXPECT_EQ(rect.left, kButton.left);
  EXPECT_EQ(rect.top, kButton.bottom);

  CAppConfig::GetInstance()->toolbar_dock = 1;
  const RECT moved = {100, 600, 134, 634};
  window_->PlaceAt(moved);
  rect = skin_test::ScreenRect(window_->GetHWND());
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.bottom, 600);
  EXPECT_EQ(rect.bottom - rect.top, height) << "the size stays the skin's";

  // At the right edge of the screen it stays on the screen.
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(owner_, MONITOR_DEFAULTTOPRIMARY), &monitor));
  const RECT& work = monitor.rcWork;
  window_->PlaceAt({work.right - 44, 600, work.right - 10, 634});
  rect = skin_test::ScreenRect(window_->GetHWND());
  EXPECT_EQ(rect.right, work.right);
  EXPECT_EQ(rect.bottom, 600);
}

TEST_F(InfoWindowTest, CloseAndMapAskTheMainWindow) {
  Open(L"camera_south.jpg");
  Show();
  ASSERT_TRUE(skin_test::ClickControl(*window_, L"map"));
  ASSERT_TRUE(test_support::PumpUntil([] { return !g_commands.empty(); }, 5000));
  EXPECT_EQ(g_commands, std::vector<WPARAM>{ID_SHOW_LOCATION});
  g_commands.clear();
  ASSERT_TRUE(skin_test::ClickControl(*window_, L"cls"));
  ASSERT_TRUE(test_support::PumpUntil([] { return !g_commands.empty(); }, 5000));
  EXPECT_EQ(g_commands, std::vector<WPARAM>{ID_INFO_WINDOW});
  // Escape and the system close ask the same and leave the window to the
  // toggle, so the toolbar's state stays true.
  g_commands.clear();
  skin_test::PressKey(window_->GetHWND(), VK_ESCAPE);
  PostMessageW(window_->GetHWND(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(test_support::PumpUntil([] { return g_commands.size() == 2; }, 5000));
  EXPECT_EQ(g_commands, (std::vector<WPARAM>{ID_INFO_WINDOW, ID_INFO_WINDOW}));
  EXPECT_TRUE(IsWindow(window_->GetHWND()));
}

}  // namespace
