#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "effects/effect_copy_to_clipboard.h"
#include "image/obj_image.h"
#include "support/message_box_watcher.h"
#include "support/test_paths.h"

namespace {

// What the clipboard holds, read back through the platform.
struct ClipboardContents {
  std::vector<BYTE> dib;
  std::vector<std::wstring> files;
  bool has_drop_effect = false;
  DWORD drop_effect = 0;
};

ClipboardContents ReadClipboard() {
  ClipboardContents contents;
  if (!OpenClipboard(nullptr)) {
    ADD_FAILURE() << "cannot open the clipboard";
    return contents;
  }
  if (HANDLE dib = GetClipboardData(CF_DIB)) {
    const auto* bytes = static_cast<const BYTE*>(GlobalLock(dib));
    contents.dib.assign(bytes, bytes + GlobalSize(dib));
    GlobalUnlock(dib);
  }
  if (HANDLE drop = GetClipboardData(CF_HDROP)) {
    auto* files = static_cast<HDROP>(GlobalLock(drop));
    const UINT count = DragQueryFileW(files, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      wchar_t name[MAX_PATH] = {};
      DragQueryFileW(files, i, name, MAX_PATH);
      contents.files.push_back(name);
    }
    GlobalUnlock(drop);
  }
  if (HANDLE effect = GetClipboardData(RegisterClipboardFormatW(L"Preferred DropEffect"))) {
    contents.has_drop_effect = true;
    contents.drop_effect = *static_cast<const DWORD*>(GlobalLock(effect));
    GlobalUnlock(effect);
  }
  CloseClipboard();
  return contents;
}

// A 3 x 2 picture whose every byte differs, stored top-down.
FCObjImage Sample() {
  FCObjImage image;
  EXPECT_TRUE(image.Allocate(3, -2, 32));
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 12; ++x) {
      image.RowPointer(y)[x] = static_cast<BYTE>(y * 12 + x + 1);
    }
  }
  return image;
}

TEST(ClipboardEffect, PutsTheDibAndTheFile) {
  test_support::ScratchFolder scratch(L"clipboard");
  const std::wstring path = scratch.File(L"picture.png");
  ASSERT_TRUE(test_support::WriteFileBytes(path, "png"));
  FCObjImage image = Sample();
  FCEffectCopyToClipboard effect(path);
  RunEffect(effect, image, nullptr);

  const ClipboardContents contents = ReadClipboard();
  ASSERT_GE(contents.dib.size(), sizeof(BITMAPINFOHEADER) + 24);
  BITMAPINFOHEADER header = {};
  std::memcpy(&header, contents.dib.data(), sizeof(header));
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biWidth, 3);
  EXPECT_EQ(header.biHeight, -2);
  EXPECT_EQ(header.biPlanes, 1);
  EXPECT_EQ(header.biBitCount, 32);
  EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(header.biSizeImage, 0u);
  EXPECT_EQ(std::memcmp(contents.dib.data() + 40, image.GetMemStart(), 24), 0);
  EXPECT_EQ(contents.files, std::vector<std::wstring>{path});
  EXPECT_TRUE(contents.has_drop_effect);
  EXPECT_EQ(contents.drop_effect, static_cast<DWORD>(DROPEFFECT_COPY));
}

TEST(ClipboardEffect, AFileThatIsGoneLeavesOnlyThePicture) {
  FCObjImage image = Sample();
  for (const wchar_t* path : {L"Z:\\no\\such\\picture.png", L""}) {
    FCEffectCopyToClipboard effect(path);
    RunEffect(effect, image, nullptr);
    const ClipboardContents contents = ReadClipboard();
    EXPECT_FALSE(contents.dib.empty());
    EXPECT_TRUE(contents.files.empty());
    EXPECT_FALSE(contents.has_drop_effect);
  }
}

TEST(ClipboardEffect, APictureTooLargeForMemoryIsReported) {
  // 2^25 x 2^21 pixels: more than the address space, on either system.
  std::vector<BYTE> never_read(64);
  FCObjImage huge;
  huge.WrapExternal(1 << 25, 1 << 21, never_read.data());
  ASSERT_TRUE(huge.IsValid());
  test_support::MessageBoxWatcher watcher;
  FCEffectCopyToClipboard effect(L"");
  RunEffect(effect, huge, nullptr);
  huge.Unwrap();
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, FCEffectCopyToClipboard::kTooLargeText);
  EXPECT_EQ(seen[0].caption.rfind(L"错误码 : ", 0), 0u) << seen[0].caption.size();
  EXPECT_GT(seen[0].caption.size(), 6u);
}

}  // namespace
