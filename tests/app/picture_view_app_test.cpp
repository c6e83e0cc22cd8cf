#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "support/app_helpers.h"
#include "support/exif_builder.h"
#include "image/wic_factory.h"
#include "resource_ids.h"
#include "support/app_driver.h"
#include "support/test_paths.h"
#include "support/test_pictures.h"

namespace {

using test_support::LumoraProcess;
using test_support::ScreenPixel;

constexpr COLORREF kCanvas = RGB(39, 39, 39);

bool Near(COLORREF a, COLORREF b, int tolerance = 24) {
  return abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::string Text(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A folder of three pictures named so that natural order differs from plain
// order (Img1, img2, img10), each of one colour, and the viewer started on
// img2 in a known window rectangle.
class PictureViewApp : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_TRUE(
        test_support::WriteSolidPicture(folder_.File(L"img2.png"), 400, 300, RGB(30, 200, 30)));
    ASSERT_TRUE(
        test_support::WriteSolidPicture(folder_.File(L"img10.png"), 400, 300, RGB(30, 30, 200)));
    ASSERT_TRUE(
        test_support::WriteSolidPicture(folder_.File(L"Img1.png"), 400, 300, RGB(200, 30, 30)));
    // Left half red, right half blue: shows where the picture was moved to.
    ASSERT_TRUE(test_support::WriteTestPicture(
        folder_.File(L"split.png"), 400, 300,
        [](int x, int) { return x < 200 ? RGB(220, 20, 20) : RGB(20, 20, 220); }));
  }
  void TearDown() override {
    app_.Close();
    CoUninitialize();
  }

  void StartWith(const std::wstring& name) { StartWithPath(folder_.File(name)); }
  void StartWithPath(const std::wstring& path) {
    ASSERT_TRUE(app_.Start(L"\"" + path + L"\"")) << "CreateProcess error " << GetLastError();
    main_ = app_.WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
    SetWindowPos(main_, HWND_TOP, 80, 60, 900, 650, SWP_SHOWWINDOW);
    view_ = GetDlgItem(main_, IDC_IMAGE_VIEW);
    ASSERT_NE(view_, nullptr);
  }
  std::wstring Caption(const std::wstring& expected) { return app_.WaitForCaption(expected, 8000); }
  // The screen colour at the middle of the picture area, offset by (dx, dy).
  COLORREF ViewPixel(int dx = 0, int dy = 0) {
    test_support::PumpFor(400);
    RECT rect = {};
    GetWindowRect(view_, &rect);
    return ScreenPixel((rect.left + rect.right) / 2 + dx, (rect.top + rect.bottom) / 2 + dy);
  }
  // Polls, up to 5 s, until the screen at (dx, dy) from the middle of the
  // picture area comes near colour: a busy machine paints late.
  bool ViewShows(int dx, int dy, COLORREF colour, int tolerance = 24) {
    return test_support::WaitUntil([&] { return Near(ViewPixel(dx, dy), colour, tolerance); },
                                   5000);
  }
  // Grey text just below the middle of the picture area, left and right of
  // where the loading animation would turn: the load-error line.
  bool ShowsLoadErrorText() {
    test_support::PumpFor(400);
    RECT view = {};
    GetWindowRect(view_, &view);
    constexpr int kWidth = 500;
    constexpr int kHeight = 20;
    const int left = (view.left + view.right - kWidth) / 2;
    const int top = (view.top + view.bottom) / 2;
    const std::vector<uint32_t> band =
        test_support::ScreenPixels({left, top, left + kWidth, top + kHeight});
    for (size_t i = 0; i < band.size(); ++i) {
      if (abs(static_cast<int>(i % kWidth) - kWidth / 2) < 40) {
        continue;
      }
      const int r = (band[i] >> 16) & 0xFF;
      const int g = (band[i] >> 8) & 0xFF;
      const int b = band[i] & 0xFF;
      if (r >= 85 && abs(r - g) <= 8 && abs(g - b) <= 8) {
        return true;
      }
    }
    return false;
  }
  void Key(WPARAM key) { PostMessageW(main_, WM_KEYDOWN, key, 0); }
  void Character(wchar_t c) { PostMessageW(main_, WM_CHAR, c, 0); }
  void Command(UINT id) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main_, WM_COMMAND, id, 0, SMTO_BLOCK, 10000, &ignored);
  }
  LPARAM ViewCentreOnScreen() {
    RECT rect = {};
    GetWindowRect(view_, &rect);
    return MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  }

  test_support::ScratchFolder folder_{L"view"};
  LumoraProcess app_;
  HWND main_ = nullptr;
  HWND view_ = nullptr;
};

TEST_F(PictureViewApp, OpensFittedAndStepsThroughTheFolderInNaturalOrder) {
  StartWith(L"img2.png");
  const std::wstring first = L"img2.png ( 400x300 ) - [2/4] 100%";
  ASSERT_EQ(Caption(first), first);
  EXPECT_TRUE(ViewShows(0, 0, RGB(30, 200, 30)));
  // The canvas colour around a picture smaller than the view.
  EXPECT_EQ(ViewPixel(-300, 0), kCanvas);
  EXPECT_EQ(ViewPixel(0, -200), kCanvas);

  const struct {
    WPARAM key;
    const wchar_t* caption;
    COLORREF colour;
  } steps[] = {
      {VK_RIGHT, L"img10.png ( 400x300 ) - [3/4] 100%", RGB(30, 30, 200)},
      {VK_RIGHT, L"split.png ( 400x300 ) - [4/4] 100%", RGB(220, 20, 20)},
      // The end of the folder does not wrap by default.
      {VK_RIGHT, L"split.png ( 400x300 ) - [4/4] 100%", RGB(220, 20, 20)},
      {VK_LEFT, L"img10.png ( 400x300 ) - [3/4] 100%", RGB(30, 30, 200)},
      {VK_LEFT, L"img2.png ( 400x300 ) - [2/4] 100%", RGB(30, 200, 30)},
      {VK_LEFT, L"Img1.png ( 400x300 ) - [1/4] 100%", RGB(200, 30, 30)},
      {VK_SPACE, L"img2.png ( 400x300 ) - [2/4] 100%", RGB(30, 200, 30)},
  };
  for (const auto& step : steps) {
    Key(step.key);
    EXPECT_EQ(Text(Caption(step.caption)), Text(step.caption));
    EXPECT_TRUE(ViewShows(-60, 0, step.colour)) << Text(step.caption);
  }
}

TEST_F(PictureViewApp, AFolderOnTheCommandLineOpensItsFirstPicture) {
  StartWithPath(folder_.path());
  const std::wstring first = L"Img1.png ( 400x300 ) - [1/4] 100%";
  ASSERT_EQ(Text(Caption(first)), Text(first));
  EXPECT_TRUE(ViewShows(0, 0, RGB(200, 30, 30)));
  Key(VK_RIGHT);
  const std::wstring second = L"img2.png ( 400x300 ) - [2/4] 100%";
  EXPECT_EQ(Text(Caption(second)), Text(second));
}

TEST_F(PictureViewApp, KeysAndWheelZoomAboutTheView) {
  test_support::SettingsGuard settings;
  settings.Set(L"show_wheel_favorite", L"0");
  settings.Set(L"mouse_wheel_action", L"0");
  StartWith(L"img2.png");
  ASSERT_EQ(Caption(L"img2.png ( 400x300 ) - [2/4] 100%"), L"img2.png ( 400x300 ) - [2/4] 100%");
  Character(L'+');
  EXPECT_EQ(Text(Caption(L"img2.png ( 400x300 ) - [2/4] 110%")),
            "img2.png ( 400x300 ) - [2/4] 110%");
  Character(L'=');
  EXPECT_EQ(Text(Caption(L"img2.png ( 400x300 ) - [2/4] 121%")),
            "img2.png ( 400x300 ) - [2/4] 121%");
  Character(L'-');
  EXPECT_EQ(Text(Caption(L"img2.png ( 400x300 ) - [2/4] 108%")),
            "img2.png ( 400x300 ) - [2/4] 108%");
  // Ctrl+wheel zooms while the wheel is set to turn pages.
  PostMessageW(view_, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 2 * WHEEL_DELTA), ViewCentreOnScreen());
  EXPECT_EQ(Text(Caption(L"img2.png ( 400x300 ) - [2/4] 130%")),
            "img2.png ( 400x300 ) - [2/4] 130%");
  // The plain wheel turns the page.
  PostMessageW(view_, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), ViewCentreOnScreen());
  EXPECT_EQ(Text(Caption(L"img10.png ( 400x300 ) - [3/4] 100%")),
            "img10.png ( 400x300 ) - [3/4] 100%");
}

TEST_F(PictureViewApp, DoubleClickTogglesAndDragPans) {
  StartWith(L"split.png");
  const std::wstring fitted = L"split.png ( 400x300 ) - [4/4] 100%";
  ASSERT_EQ(Caption(fitted), fitted);
  // A small window, so that the picture at 200% is wider than the view.
  SetWindowPos(main_, nullptr, 80, 60, 700, 500, SWP_NOZORDER);
  // Double-click: twice the fit ratio about the pointer, and back.
  RECT view = {};
  GetClientRect(view_, &view);
  const LPARAM centre = MAKELPARAM(view.right / 2, view.bottom / 2);
  PostMessageW(view_, WM_LBUTTONDBLCLK, MK_LBUTTON, centre);
  EXPECT_EQ(Text(Caption(L"split.png ( 400x300 ) - [4/4] 200%")),
            "split.png ( 400x300 ) - [4/4] 200%");
  // At 200% the boundary between the halves stays in the middle.
  EXPECT_TRUE(ViewShows(-40, 0, RGB(220, 20, 20)));
  EXPECT_TRUE(ViewShows(40, 0, RGB(20, 20, 220)));

  // Drag 150 pixels to the left (the picture can move 50): the blue half
  // comes under the point left of the middle. The drag captures the mouse,
  // which needs the window in the foreground.
  SetForegroundWindow(main_);
  test_support::PumpFor(200);
  PostMessageW(view_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(view.right / 2 - 80, view.bottom / 2));
  PostMessageW(view_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(view.right / 2 - 150, view.bottom / 2));
  PostMessageW(view_, WM_LBUTTONUP, 0, MAKELPARAM(view.right / 2 - 150, view.bottom / 2));
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(view_, WM_LBUTTONDOWN, MK_LBUTTON, centre, SMTO_BLOCK, 10000, &ignored);
  EXPECT_TRUE(ViewShows(-40, 0, RGB(20, 20, 220)));

  PostMessageW(view_, WM_LBUTTONDBLCLK, MK_LBUTTON, centre);
  EXPECT_EQ(Text(Caption(fitted)), Text(fitted));
}

TEST_F(PictureViewApp, RotationTurnsTheViewOnly) {
  StartWith(L"split.png");
  ASSERT_EQ(Caption(L"split.png ( 400x300 ) - [4/4] 100%"), L"split.png ( 400x300 ) - [4/4] 100%");
  const std::string before = test_support::ReadFileBytes(folder_.File(L"split.png"));
  Command(ID_ROTATE_RIGHT);
  EXPECT_EQ(Text(Caption(L"split.png ( 300x400 ) - [4/4] 100%")),
            "split.png ( 300x400 ) - [4/4] 100%");
  // Turned clockwise, the red left half is now on top.
  EXPECT_TRUE(ViewShows(0, -60, RGB(220, 20, 20)));
  EXPECT_TRUE(ViewShows(0, 60, RGB(20, 20, 220)));
  // Without rotate_auto_save the file stays as it was.
  EXPECT_EQ(test_support::ReadFileBytes(folder_.File(L"split.png")), before);
}

TEST_F(PictureViewApp, OrientationSixPhotoIsShownUpright) {
  // Stored 300 wide and 200 high, red left and blue right, tagged
  // orientation 6 (turn clockwise to view).
  const std::wstring stored = folder_.File(L"stored.jpg");
  ASSERT_TRUE(test_support::WriteTestPicture(
      stored, 300, 200, [](int x, int) { return x < 150 ? RGB(220, 20, 20) : RGB(20, 20, 220); }));
  const std::string jpeg = test_support::ReadFileBytes(stored);
  const test_support::Bytes tagged =
      test_support::WithExif(test_support::Bytes(jpeg.begin(), jpeg.end()),
                             test_support::TiffBuilder(false)
                                 .Shorts(test_support::TiffBuilder::kPrimary, 274, {6})
                                 .Build());
  ASSERT_TRUE(test_support::WriteFileBytes(folder_.File(L"photo.jpg"),
                                           std::string(tagged.begin(), tagged.end())));
  DeleteFileW(stored.c_str());

  StartWith(L"photo.jpg");
  const std::wstring upright = L"photo.jpg ( 200x300 ) - [4/5] 100%";
  EXPECT_EQ(Text(Caption(upright)), Text(upright));
  EXPECT_TRUE(ViewShows(0, -90, RGB(220, 20, 20), 40));
  EXPECT_TRUE(ViewShows(0, 90, RGB(20, 20, 220), 40));
  EXPECT_EQ(ViewPixel(-200, 0), kCanvas);
}

// Damaged and odd files among good ones: the viewer steps onto each, says it
// cannot open it or shows what it could decode, and stays responsive, while
// the neighbour preload decodes the same files in the background.
TEST_F(PictureViewApp, StepsThroughDamagedFilesWithoutFailing) {
  const std::wstring whole = folder_.File(L"whole.jpg");
  constexpr COLORREF kWholeColour = RGB(20, 120, 200);
  ASSERT_TRUE(test_support::WriteSolidPicture(whole, 640, 480, kWholeColour));
  const std::string jpeg = test_support::ReadFileBytes(whole);
  DeleteFileW(whole.c_str());
  const test_support::Bytes plain(jpeg.begin(), jpeg.end());

  // An EXIF block whose first directory lies far outside the segment and
  // whose text field claims two billion characters.
  test_support::Bytes wild_tiff = {'I', 'I', 42, 0, 0x00, 0xFF, 0xFF, 0x7F};
  const test_support::Bytes wild_exif = test_support::WithExif(plain, wild_tiff);
  const test_support::Bytes huge_text = test_support::WithExif(
      plain, test_support::TiffBuilder(true)
                 .Raw(test_support::TiffBuilder::kPrimary, 271, 2, 0x7FFFFFFF, {'A', 'B', 'C', 0})
                 .Shorts(test_support::TiffBuilder::kPrimary, 274, {9})
                 .Build());
  // A segment length running past the end of the file.
  const std::string cut_segment(
      "\xFF\xD8\xFF\xE1\xFF\xF0"
      "Exif\0\0MM\0*",
      16);
  // A TGA header claiming 65535 x 65535 true-colour pixels.
  std::string huge_tga(18, '\0');
  huge_tga[2] = 2;
  huge_tga[12] = huge_tga[13] = huge_tga[14] = huge_tga[15] = '\xFF';
  huge_tga[16] = 32;
  huge_tga += std::string(64, '\x7F');
  std::string garbage(5000, '\0');
  unsigned seed = 12345;
  for (char& c : garbage) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 16);
  }

  // readable: the pixels decode, whatever the damage around them. (This
  // platform's decoder refuses a JPEG cut short; some fill in the rest.)
  const struct {
    const wchar_t* name;
    std::string bytes;
    bool readable;
  } files[] = {
      {L"x1_empty.jpg", std::string(), false},
      {L"x2_garbage.png", garbage, false},
      {L"x3_truncated.jpg", jpeg.substr(0, jpeg.size() * 2 / 5), false},
      {L"x4_wild.jpg", std::string(wild_exif.begin(), wild_exif.end()), true},
      {L"x5_longtext.jpg", std::string(huge_text.begin(), huge_text.end()), true},
      {L"x6_cut.jpg", cut_segment, false},
      {L"x7_huge.tga", huge_tga, false},
  };
  for (const auto& file : files) {
    ASSERT_TRUE(test_support::WriteFileBytes(folder_.File(file.name), file.bytes));
  }
  // Large enough to be rendered in the background, which a held key cancels.
  ASSERT_TRUE(
      test_support::WriteSolidPicture(folder_.File(L"x8.png"), 2000, 1500, RGB(30, 160, 160)));
  ASSERT_TRUE(
      test_support::WriteSolidPicture(folder_.File(L"x9ok.png"), 200, 100, RGB(200, 200, 30)));

  // Img1, img2, img10 and split come first; the good picture is the last.
  const int count = 4 + static_cast<int>(std::size(files)) + 2;
  auto shows_position = [&](int index) {
    const std::wstring position =
        L"[" + std::to_wstring(index) + L"/" + std::to_wstring(count) + L"]";
    return test_support::WaitUntil(
        [&] { return test_support::WindowCaption(main_).find(position) != std::wstring::npos; },
        8000);
  };

  StartWith(L"split.png");
  ASSERT_TRUE(shows_position(4)) << Text(test_support::WindowCaption(main_));
  for (int index = 5; index <= count; ++index) {
    Key(VK_RIGHT);
    EXPECT_TRUE(shows_position(index))
        << "at " << index << ": " << Text(test_support::WindowCaption(main_));
    ASSERT_EQ(WaitForSingleObject(app_.process(), 0), WAIT_TIMEOUT) << "ended at " << index;
    if (index - 5 < static_cast<int>(std::size(files))) {
      const auto& file = files[index - 5];
      EXPECT_EQ(!file.readable, ShowsLoadErrorText()) << Text(file.name);
      if (file.readable) {
        EXPECT_TRUE(ViewShows(0, 0, kWholeColour)) << Text(file.name);
      }
    } else if (index == count - 1) {
      EXPECT_TRUE(
          test_support::WaitUntil([&] { return Near(ViewPixel(), RGB(30, 160, 160)); }, 8000))
          << "the large picture";
    }
  }
  const std::wstring good = L"x9ok.png ( 200x100 ) - [" + std::to_wstring(count) + L"/" +
                            std::to_wstring(count) + L"] 100%";
  EXPECT_EQ(Text(Caption(good)), Text(good));
  EXPECT_TRUE(ViewShows(0, 0, RGB(200, 200, 30)));

  // Back again over the same files, now from the preload cache.
  for (int index = count - 1; index >= 4; --index) {
    Key(VK_LEFT);
    EXPECT_TRUE(shows_position(index)) << "back at " << index;
  }
  EXPECT_EQ(WaitForSingleObject(app_.process(), 0), WAIT_TIMEOUT);
  EXPECT_TRUE(ViewShows(-60, 0, RGB(220, 20, 20)));

  // A held key: pictures replace each other while their work is still
  // running; the viewer ends at the last one, then at the first.
  for (int i = 0; i < 2 * count; ++i) {
    Key(VK_RIGHT);
  }
  EXPECT_EQ(Text(Caption(good)), Text(good));
  for (int i = 0; i < 2 * count; ++i) {
    Key(VK_LEFT);
  }
  const std::wstring first = L"Img1.png ( 400x300 ) - [1/" + std::to_wstring(count) + L"] 100%";
  EXPECT_EQ(Text(Caption(first)), Text(first));
  EXPECT_TRUE(ViewShows(0, 0, RGB(200, 30, 30)));
}

TEST_F(PictureViewApp, AnimatedGifPlays) {
  // Three frames of 200 ms: red, lime, blue (written by the build).
  wchar_t fixtures[MAX_PATH] = {};
  ASSERT_NE(0u, GetEnvironmentVariableW(L"LUMORA_VIEW_FIXTURES", fixtures, MAX_PATH));
  ASSERT_TRUE(CopyFileW((std::wstring(fixtures) + L"\\anim_screen.gif").c_str(),
                        folder_.File(L"anim.gif").c_str(), FALSE));
  StartWith(L"anim.gif");
  const std::wstring caption = L"anim.gif ( 200x150 ) - [1/5] 100%";
  EXPECT_EQ(Text(Caption(caption)), Text(caption));

  bool seen[3] = {};
  const COLORREF colours[3] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 4000 && !(seen[0] && seen[1] && seen[2])) {
    RECT rect = {};
    GetWindowRect(view_, &rect);
    const COLORREF pixel = ScreenPixel((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    for (int i = 0; i < 3; ++i) {
      seen[i] = seen[i] || Near(pixel, colours[i]);
    }
    test_support::PumpFor(40);
  }
  EXPECT_TRUE(seen[0]) << "red frame";
  EXPECT_TRUE(seen[1]) << "lime frame";
  EXPECT_TRUE(seen[2]) << "blue frame";
}

// A phone's HEIC and AVIF photos and a camera's DNG, each stored turned or on
// its side: the external decoder module opens them upright, and the folder
// steps through them like any other picture.
TEST_F(PictureViewApp, PhoneAndCameraPhotosOpenUprightAndStep) {
  // The small photo's checks lie 8 pixels from the middle of the view, so
  // the picture area must be the whole view: with the toolbar at the top the
  // view keeps a margin at its bottom, which moves the picture up.
  test_support::SettingsGuard settings;
  settings.Set(L"view_margin", L"0");
  wchar_t fixtures[MAX_PATH] = {};
  ASSERT_NE(0u, GetEnvironmentVariableW(L"LUMORA_DECODER_FIXTURES", fixtures, MAX_PATH));
  const struct {
    const wchar_t* fixture;
    const wchar_t* name;
  } files[] = {
      {L"heic_irot.heic", L"photo_a.heic"},
      {L"avif_irot.avif", L"photo_b.avif"},
      {L"raw_preview.dng", L"photo_c.dng"},
  };
  for (const auto& file : files) {
    ASSERT_TRUE(CopyFileW((std::wstring(fixtures) + L"\\" + file.fixture).c_str(),
                          folder_.File(file.name).c_str(), FALSE));
  }
  // All three show the same 32 x 48 picture: red with a black mark at the
  // top left, blue top right, lime bottom left, white bottom right. The date
  // taken in the caption comes from the EXIF block the module hands over.
  auto expect_upright = [this](const std::wstring& caption) {
    EXPECT_EQ(Text(Caption(caption)), Text(caption));
    EXPECT_TRUE(ViewShows(-6, -8, RGB(255, 0, 0), 48)) << Text(caption);
    EXPECT_TRUE(ViewShows(6, -8, RGB(0, 0, 255), 48)) << Text(caption);
    EXPECT_TRUE(ViewShows(-6, 8, RGB(0, 255, 0), 48)) << Text(caption);
    EXPECT_TRUE(ViewShows(6, 8, RGB(255, 255, 255), 48)) << Text(caption);
    EXPECT_TRUE(ViewShows(-12, -20, RGB(0, 0, 0), 48)) << Text(caption);
  };
  StartWith(L"photo_a.heic");
  expect_upright(L"photo_a.he...heic ( 32x48 , 2023:04:05 06:07:08 ) - [4/7] 100%");
  Key(VK_RIGHT);
  expect_upright(L"photo_b.av...avif ( 32x48 , 2023:04:05 06:07:08 ) - [5/7] 100%");
  Key(VK_RIGHT);
  expect_upright(L"photo_c.dn...dng ( 32x48 , 2021:09:18 17:45:03 ) - [6/7] 100%");
  Key(VK_RIGHT);
  const std::wstring last = L"split.png ( 400x300 ) - [7/7] 100%";
  EXPECT_EQ(Text(Caption(last)), Text(last));
  Key(VK_LEFT);
  expect_upright(L"photo_c.dn...dng ( 32x48 , 2021:09:18 17:45:03 ) - [6/7] 100%");
  Key(VK_LEFT);
  expect_upright(L"photo_b.av...avif ( 32x48 , 2023:04:05 06:07:08 ) - [5/7] 100%");
  Key(VK_LEFT);
  expect_upright(L"photo_a.he...heic ( 32x48 , 2023:04:05 06:07:08 ) - [4/7] 100%");
}

}  // namespace

namespace {

// Where the delete confirmation's buttons sit in its 400 x 200 skin.
constexpr POINT kDeleteCancel = {210, 162};
constexpr POINT kDeleteOk = {322, 162};
constexpr POINT kDeleteNoTip = {40, 162};

}  // namespace

// With the confirmation on, Delete asks first: Cancel keeps the file and the
// picture, OK (with "do not ask again" ticked) recycles it, shows the next
// picture and stops asking, so the next Delete goes through at once.
TEST_F(PictureViewApp, DeleteAsksFirstAndDeletesOnlyOnOk) {
  test_support::SettingsGuard settings;
  settings.Set(L"show_delete_confirm", L"1");
  StartWith(L"img2.png");
  ASSERT_EQ(Caption(L"img2.png ( 400x300 ) - [2/4] 100%"), L"img2.png ( 400x300 ) - [2/4] 100%");

  PostMessageW(main_, WM_COMMAND, ID_DELETE, 0);
  HWND dialog = test_support::WaitForWindowOfClass(app_.pid(), L"DlgDeleteConfirm2");
  ASSERT_NE(dialog, nullptr);
  test_support::PumpFor(500);
  test_support::PostClick(dialog, kDeleteCancel);
  ASSERT_TRUE(test_support::WaitUntil([&] { return !IsWindow(dialog); }));
  test_support::PumpFor(300);
  EXPECT_NE(GetFileAttributesW(folder_.File(L"img2.png").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(test_support::WindowCaption(main_), L"img2.png ( 400x300 ) - [2/4] 100%");

  PostMessageW(main_, WM_COMMAND, ID_DELETE, 0);
  dialog = test_support::WaitForWindowOfClass(app_.pid(), L"DlgDeleteConfirm2");
  ASSERT_NE(dialog, nullptr);
  test_support::PumpFor(500);
  test_support::PostClick(dialog, kDeleteNoTip);
  test_support::PumpFor(200);
  test_support::PostClick(dialog, kDeleteOk);
  ASSERT_TRUE(test_support::WaitUntil([&] { return !IsWindow(dialog); }));
  EXPECT_TRUE(test_support::WaitUntil([&] {
    return GetFileAttributesW(folder_.File(L"img2.png").c_str()) == INVALID_FILE_ATTRIBUTES;
  }));
  const std::wstring next = L"img10.png ( 400x300 ) - [2/3] 100%";
  EXPECT_EQ(Caption(next), next);

  // Not asked any more.
  PostMessageW(main_, WM_COMMAND, ID_DELETE, 0);
  EXPECT_TRUE(test_support::WaitUntil([&] {
    return GetFileAttributesW(folder_.File(L"img10.png").c_str()) == INVALID_FILE_ATTRIBUTES;
  }));
  EXPECT_EQ(test_support::WaitForWindowOfClass(app_.pid(), L"DlgDeleteConfirm2", 300), nullptr);
}
