// The file commands of the real program, run from its window: delete (to the
// recycle bin), save as, copy, wallpaper and print.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "basic_lib/win_util.h"
#include "support/exif_builder.h"
#include "support/app_driver.h"
#include "support/app_helpers.h"
#include "support/fake_wia_registration.h"
#include "support/test_paths.h"
#include "support/test_pictures.h"

namespace {

using test_support::LumoraProcess;
using test_support::WaitUntil;
using test_support::WindowCaption;

constexpr UINT kDelete = 20009;
constexpr UINT kSaveAs = 21001;
constexpr UINT kCopy = 21002;
constexpr UINT kPrint = 21100;
constexpr UINT kWallpaper = 21101;
constexpr COLORREF kRed = RGB(220, 20, 20);
constexpr COLORREF kBlue = RGB(20, 20, 220);

bool Near(COLORREF a, COLORREF b, int tolerance = 30) {
  return abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::string Text(const std::wstring& text) { return std::string(text.begin(), text.end()); }

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

// A picture file decoded: its size and a colour lookup.
struct Decoded {
  UINT width = 0;
  UINT height = 0;
  std::vector<BYTE> bgra;
  COLORREF At(UINT x, UINT y) const {
    const BYTE* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
    return RGB(p[2], p[1], p[0]);
  }
};

Decoded DecodeFile(const std::wstring& path) {
  Decoded decoded;
  IWICImagingFactory* factory = nullptr;
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  IWICBitmapSource* bgra = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(&factory))) &&
      SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                   WICDecodeMetadataCacheOnDemand, &decoder)) &&
      SUCCEEDED(decoder->GetFrame(0, &frame)) &&
      SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame, &bgra)) &&
      SUCCEEDED(bgra->GetSize(&decoded.width, &decoded.height))) {
    decoded.bgra.resize(static_cast<size_t>(decoded.width) * decoded.height * 4);
    if (FAILED(bgra->CopyPixels(nullptr, decoded.width * 4, static_cast<UINT>(decoded.bgra.size()),
                                decoded.bgra.data()))) {
      decoded = Decoded();
    }
  }
  for (IUnknown* object : {static_cast<IUnknown*>(bgra), static_cast<IUnknown*>(frame),
                           static_cast<IUnknown*>(decoder), static_cast<IUnknown*>(factory)}) {
    if (object) {
      object->Release();
    }
  }
  return decoded;
}

// A text value of the user's desktop settings.
std::wstring DesktopSetting(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr,
                   value, &size) != ERROR_SUCCESS) {
    return std::wstring();
  }
  return value;
}

// The number of items in the recycle bin, as the shell counts them.
LONGLONG RecycleBinItems() {
  SHQUERYRBINFO info = {};
  info.cbSize = sizeof(info);
  return SUCCEEDED(SHQueryRecycleBinW(nullptr, &info)) ? info.i64NumItems : -1;
}

// A folder with a picture whose left half is red and right half blue, the
// viewer showing it.
class FileCommandsApp : public ::testing::Test {
 protected:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override {
    app_.Close();
    CoUninitialize();
  }

  static bool WriteSplitPicture(const std::wstring& path, int width, int height) {
    return test_support::WriteTestPicture(
        path, width, height, [width](int x, int) { return x < width / 2 ? kRed : kBlue; });
  }
  void Show(const std::wstring& path, const std::wstring& caption_part) {
    ASSERT_TRUE(app_.Start(L"\"" + path + L"\""));
    main_ = app_.WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Contains(WindowCaption(main_), caption_part); }))
        << Text(WindowCaption(main_));
  }
  // Runs a command in the window and returns once it has been handled.
  void Command(UINT id) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main_, WM_COMMAND, id, 0, SMTO_BLOCK, 20000, &ignored);
  }

  test_support::ScratchFolder folder_{L"file-commands"};
  LumoraProcess app_;
  HWND main_ = nullptr;
};

// With the confirmation off, Delete recycles at once.
TEST_F(FileCommandsApp, DeleteMovesThePictureToTheRecycleBinAndShowsTheNext) {
  test_support::SettingsGuard settings;
  settings.Set(L"show_delete_confirm", L"0");
  const std::wstring name = L"gone-" + std::to_wstring(GetCurrentProcessId()) + L".png";
  ASSERT_TRUE(WriteSplitPicture(folder_.File(name), 40, 30));
  ASSERT_TRUE(test_support::WriteSolidPicture(folder_.File(L"next.png"), 40, 30, kBlue));
  Show(folder_.File(name), L"[1/2]");
  const LONGLONG before = RecycleBinItems();

  Command(kDelete);
  EXPECT_FALSE(win_util::PathExists(folder_.File(name)));
  EXPECT_EQ(RecycleBinItems(), before + 1) << "in the recycle bin, where it can be restored";
  EXPECT_TRUE(WaitUntil([&] { return Contains(WindowCaption(main_), L"next.png"); }))
      << Text(WindowCaption(main_));
  EXPECT_TRUE(WaitUntil([&] { return Contains(WindowCaption(main_), L"[1/1]"); }))
      << Text(WindowCaption(main_));
}

TEST_F(FileCommandsApp, SaveAsWritesTheFileNamedInTheDialog) {
  const std::wstring source = folder_.File(L"source.png");
  ASSERT_TRUE(WriteSplitPicture(source, 40, 30));
  Show(source, L"source.png");
  const std::string before = test_support::ReadFileBytes(source);

  PostMessageW(main_, WM_COMMAND, kSaveAs, 0);
  HWND dialog = test_support::WaitForWindowOfClass(app_.pid(), L"#32770");
  ASSERT_NE(dialog, nullptr) << "the save dialog";
  const std::wstring target = folder_.File(L"saved copy.jpg");
  // The file name box of the common dialog, then its Save button.
  ASSERT_TRUE(SetDlgItemTextW(dialog, 0x47C, target.c_str()) ||
              SetDlgItemTextW(dialog, 0x480, target.c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 15000));
  // The window saves once the dialog has closed, before it handles another
  // message: the file is complete when this one is answered.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_BLOCK, 20000, &ignored);
  ASSERT_TRUE(win_util::PathExists(target));

  const Decoded saved = DecodeFile(target);
  ASSERT_EQ(saved.width, 40u);
  ASSERT_EQ(saved.height, 30u);
  EXPECT_TRUE(Near(saved.At(5, 15), kRed)) << std::hex << saved.At(5, 15);
  EXPECT_TRUE(Near(saved.At(35, 15), kBlue)) << std::hex << saved.At(35, 15);
  EXPECT_EQ(test_support::ReadFileBytes(source), before) << "the shown file is left alone";
}

TEST_F(FileCommandsApp, CopyPutsThePictureAndTheFileOnTheClipboard) {
  const std::wstring source = folder_.File(L"copied.png");
  ASSERT_TRUE(WriteSplitPicture(source, 40, 30));
  Show(source, L"copied.png");
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();

  Command(kCopy);
  ASSERT_TRUE(WaitUntil([] { return IsClipboardFormatAvailable(CF_DIB) != FALSE; }));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE dib = GetClipboardData(CF_DIB);
  ASSERT_NE(dib, nullptr);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->biWidth, 40);
  EXPECT_EQ(abs(header->biHeight), 30);
  ASSERT_EQ(header->biBitCount, 32);
  // Rows follow the header; a negative height stores the top row first.
  const auto* pixels = reinterpret_cast<const BYTE*>(header) + header->biSize +
                       (header->biCompression == BI_BITFIELDS ? 12 : 0);
  const int row = header->biHeight < 0 ? 15 : 30 - 1 - 15;
  const BYTE* left = pixels + (static_cast<size_t>(row) * 40 + 5) * 4;
  const BYTE* right = pixels + (static_cast<size_t>(row) * 40 + 35) * 4;
  EXPECT_TRUE(Near(RGB(left[2], left[1], left[0]), kRed));
  EXPECT_TRUE(Near(RGB(right[2], right[1], right[0]), kBlue));
  GlobalUnlock(dib);

  HANDLE drop = GetClipboardData(CF_HDROP);
  ASSERT_NE(drop, nullptr);
  wchar_t name[MAX_PATH] = {};
  EXPECT_EQ(DragQueryFileW(static_cast<HDROP>(drop), 0xFFFFFFFF, nullptr, 0), 1u);
  DragQueryFileW(static_cast<HDROP>(drop), 0, name, MAX_PATH);
  EXPECT_EQ(Text(name), Text(source));
  EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Preferred DropEffect")));
  EmptyClipboard();
  CloseClipboard();
}

TEST_F(FileCommandsApp, WallpaperOfAnOrientationSixPhotoIsUpright) {
  // Stored 60 wide and 40 high, red left and blue right, tagged orientation
  // 6: upright it is 40 wide and 60 high, red above and blue below.
  const std::wstring stored = folder_.File(L"stored.jpg");
  ASSERT_TRUE(WriteSplitPicture(stored, 60, 40));
  const std::string jpeg = test_support::ReadFileBytes(stored);
  const test_support::Bytes tagged =
      test_support::WithExif(test_support::Bytes(jpeg.begin(), jpeg.end()),
                             test_support::TiffBuilder(false)
                                 .Shorts(test_support::TiffBuilder::kPrimary, 274, {6})
                                 .Build());
  const std::wstring photo = folder_.File(L"photo.jpg");
  ASSERT_TRUE(test_support::WriteFileBytes(photo, std::string(tagged.begin(), tagged.end())));
  DeleteFileW(stored.c_str());
  // What the desktop shows now, put back afterwards.
  std::wstring previous = DesktopSetting(L"Wallpaper");
  const std::wstring previous_style = DesktopSetting(L"WallpaperStyle");
  const std::wstring wallpaper = test_support::DataFolder() + L"temp\\wallpaper.jpg";
  DeleteFileW(wallpaper.c_str());
  Show(photo, L"photo.jpg ( 40x60 )");

  Command(kWallpaper);
  ASSERT_TRUE(win_util::PathExists(wallpaper));
  // Where the desktop reads it (this process keeps the value it read before).
  EXPECT_EQ(lstrcmpiW(DesktopSetting(L"Wallpaper").c_str(), wallpaper.c_str()), 0)
      << Text(DesktopSetting(L"Wallpaper"));
  EXPECT_EQ(Text(DesktopSetting(L"WallpaperStyle")), "6") << "fitted, keeping the aspect";
  const Decoded upright = DecodeFile(wallpaper);
  ASSERT_EQ(upright.width, 40u);
  ASSERT_EQ(upright.height, 60u);
  EXPECT_TRUE(Near(upright.At(20, 10), kRed)) << std::hex << upright.At(20, 10);
  EXPECT_TRUE(Near(upright.At(20, 50), kBlue)) << std::hex << upright.At(20, 50);
  SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, &previous[0], SPIF_UPDATEINIFILE);
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"WallpaperStyle", REG_SZ,
                  previous_style.c_str(),
                  static_cast<DWORD>((previous_style.size() + 1) * sizeof(wchar_t)));
}

TEST_F(FileCommandsApp, PrintingAPictureTheProgramDoesNotWriteGoesThroughAJpegCopy) {
  // A picture of a format the program does not write (a PNG under a
  // Photoshop name, decoded by its content), and one it does.
  test_support::FakeWiaRegistration wizard;
  ASSERT_TRUE(wizard.ok());
  const std::wstring png = folder_.File(L"layers.png");
  ASSERT_TRUE(WriteSplitPicture(png, 40, 30));
  const std::wstring psd = folder_.File(L"layers.psd");
  ASSERT_TRUE(MoveFileW(png.c_str(), psd.c_str()));
  const std::wstring temp_print = test_support::DataFolder() + L"temp\\tempprint.jpg";
  DeleteFileW(temp_print.c_str());
  Show(psd, L"layers.psd");

  Command(kPrint);
  ASSERT_TRUE(WaitUntil([&] { return !wizard.Log().empty(); }));
  EXPECT_EQ(wizard.Log(), "wizard " + Text(temp_print) + "\n");
  const Decoded printed = DecodeFile(temp_print);
  ASSERT_EQ(printed.width, 40u);
  ASSERT_EQ(printed.height, 30u);
  EXPECT_TRUE(Near(printed.At(5, 15), kRed));
  EXPECT_TRUE(Near(printed.At(35, 15), kBlue));
  app_.Close();

  // A PNG is handed to the wizard as it is.
  const std::wstring plain = folder_.File(L"plain.png");
  ASSERT_TRUE(WriteSplitPicture(plain, 40, 30));
  Show(plain, L"plain.png");
  Command(kPrint);
  ASSERT_TRUE(WaitUntil([&] { return wizard.Log().size() > Text(temp_print).size() + 8; }));
  EXPECT_EQ(wizard.Log(), "wizard " + Text(temp_print) + "\nwizard " + Text(plain) + "\n");
}

}  // namespace
