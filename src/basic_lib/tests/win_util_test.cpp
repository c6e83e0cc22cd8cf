#include "basic_lib/win_util.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/test_paths.h"

namespace {

using test_support::ScratchFolder;
using test_support::WriteFileBytes;

TEST(WinUtil, ExistenceTellsFilesFromFolders) {
  ScratchFolder folder(L"win-util");
  const std::wstring file = folder.File(L"a.txt");
  ASSERT_TRUE(WriteFileBytes(file, "x"));
  const std::wstring missing = folder.File(L"missing.txt");

  EXPECT_TRUE(win_util::PathExists(file));
  EXPECT_TRUE(win_util::FileExists(file));
  EXPECT_FALSE(win_util::FolderExists(file));

  EXPECT_TRUE(win_util::PathExists(folder.path()));
  EXPECT_FALSE(win_util::FileExists(folder.path()));
  EXPECT_TRUE(win_util::FolderExists(folder.path()));

  for (const std::wstring& nothing : {missing, std::wstring()}) {
    EXPECT_FALSE(win_util::PathExists(nothing));
    EXPECT_FALSE(win_util::FileExists(nothing));
    EXPECT_FALSE(win_util::FolderExists(nothing));
  }
}

TEST(WinUtil, FolderCreationOneLevelOrTheWholeTree) {
  ScratchFolder folder(L"win-util-folders");
  const std::wstring deep = folder.File(L"a\\b\\c");
  EXPECT_FALSE(win_util::CreateFolder(deep));
  EXPECT_FALSE(win_util::FolderExists(deep));
  EXPECT_TRUE(win_util::CreateFolderTree(deep));
  EXPECT_TRUE(win_util::FolderExists(deep));
  // Existing folders count as made; a file in the way does not.
  EXPECT_TRUE(win_util::CreateFolder(deep));
  EXPECT_TRUE(win_util::CreateFolderTree(deep));
  const std::wstring file = folder.File(L"file");
  ASSERT_TRUE(WriteFileBytes(file, "x"));
  EXPECT_FALSE(win_util::CreateFolder(file));
  EXPECT_FALSE(win_util::CreateFolder(L""));
}

TEST(WinUtil, Separators) {
  struct Case {
    const wchar_t* path;
    const wchar_t* with;
    const wchar_t* without;
    const wchar_t* parent;
  };
  const Case cases[] = {
      {L"", L"", L"", L""},
      {L"C:\\", L"C:\\", L"C:", L""},
      {L"C:\\a", L"C:\\a\\", L"C:\\a", L"C:\\"},
      {L"C:\\a\\b\\\\", L"C:\\a\\b\\\\", L"C:\\a\\b", L"C:\\a\\"},
      {L"pictures/", L"pictures/\\", L"pictures", L""},
      {L"\\\\server\\share\\x", L"\\\\server\\share\\x\\", L"\\\\server\\share\\x",
       L"\\\\server\\share\\"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(win_util::WithTrailingSeparator(c.path), c.with) << c.path;
    EXPECT_EQ(win_util::WithoutTrailingSeparator(c.path), c.without) << c.path;
    EXPECT_EQ(win_util::ParentFolder(c.path), c.parent) << c.path;
  }
  const std::wstring program = win_util::ProgramFolder();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.back(), L'\\');
  EXPECT_TRUE(win_util::FolderExists(program));
}

TEST(WinUtil, EncodingsRoundTripAndRejectBrokenUtf8) {
  // ASCII, Chinese and a character outside the basic plane.
  const std::wstring text = L"a \u56fe\u7247 \U0001F600";
  const std::string utf8 = win_util::Utf16ToUtf8(text);
  EXPECT_EQ(utf8, "a \xE5\x9B\xBE\xE7\x89\x87 \xF0\x9F\x98\x80");
  EXPECT_EQ(win_util::ToUtf16(utf8, CP_UTF8), text);
  EXPECT_EQ(win_util::Utf16ToUtf8(L""), "");
  EXPECT_EQ(win_util::ToUtf16("", CP_UTF8), L"");
  // A lone continuation byte is not UTF-8: refused when asked to be strict.
  EXPECT_EQ(win_util::ToUtf16("a\x80z", CP_UTF8, MB_ERR_INVALID_CHARS), L"");
  EXPECT_EQ(win_util::ToUtf16("abc", CP_ACP), L"abc");
}

TEST(WinUtil, TypedEntryPoints) {
  using GetTickCountFn = DWORD(WINAPI*)();
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto tick = win_util::GetProcAddressAs<GetTickCountFn>(kernel, "GetTickCount");
  ASSERT_NE(tick, nullptr);
  EXPECT_GT(tick(), 0u);
  EXPECT_EQ(win_util::GetProcAddressAs<GetTickCountFn>(kernel, "NoSuchExport"), nullptr);
  EXPECT_EQ(win_util::GetProcAddressAs<GetTickCountFn>(nullptr, "GetTickCount"), nullptr);
}

}  // namespace
