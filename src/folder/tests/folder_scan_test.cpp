#include "folder/folder_scan.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <string>
#include <vector>

#include "basic_lib/win_util.h"
#include "folder/current_folder_image.h"
#include "folder/explorer_view_order.h"
#include "framework/auto_init_com.h"
#include "support/test_paths.h"
#include "view_render/message_window.h"

namespace {

using Names = std::deque<std::wstring>;
using test_support::ScratchFolder;

TEST(FolderScan, ExplorerOrderReplacesTheSortedListWhenItHoldsThePicture) {
  struct Case {
    const char* what;
    std::vector<std::wstring> explorer;
    std::wstring current;
    Names names;
    int index;
  };
  const Case cases[] = {
      {"date order, without folders and other files",
       {L"c.jpg", L"album.jpg", L"notes.txt", L"A.jpg", L"b.png"},
       L"a.JPG",
       {L"c.jpg", L"A.jpg", L"b.png"},
       1},
      {"the picture is not in the window",
       {L"c.jpg", L"b.png"},
       L"A.jpg",
       {L"A.jpg", L"b.png", L"c.jpg"},
       0},
      {"no Explorer window", {}, L"c.jpg", {L"A.jpg", L"b.png", L"c.jpg"}, 2},
      {"no Explorer window, picture gone", {}, L"d.jpg", {L"A.jpg", L"b.png", L"c.jpg"}, -1},
  };
  for (const Case& c : cases) {
    CFolderScanResult result;
    result.subdirectories = {L".", L"..", L"ALBUM.JPG"};
    result.names = {L"A.jpg", L"b.png", L"c.jpg"};
    ApplyExplorerOrder(c.explorer, c.current, &result);
    EXPECT_EQ(c.names, result.names) << c.what;
    EXPECT_EQ(c.index, result.current_index) << c.what;
  }
}

TEST(FolderScan, NoExplorerWindowGivesNoOrder) {
  ScratchFolder folder(L"explorer");
  test_support::MakeFiles(folder, {L"a.jpg"});
  FCAutoInitializeCOM com;
  std::atomic<int32_t> abort{0};
  std::vector<std::wstring> names = {L"stale"};
  // The platform has no Explorer windows; the shell must answer that
  // without failing the scan.
  EXPECT_FALSE(ReadExplorerViewOrder(folder.path(), abort, &names));
  EXPECT_TRUE(names.empty());
  abort = 1;
  names = {L"stale"};
  EXPECT_FALSE(ReadExplorerViewOrder(folder.path(), abort, &names));
  EXPECT_TRUE(names.empty());
}

TEST(FolderScan, AnExplorerWindowShowsTheFolderOfTheCurrentPicture) {
  // The folder the list keeps for a picture, beside the folder a window
  // reports for its view.
  const struct {
    const wchar_t* picture;
    const wchar_t* view_folder;
    bool same;
  } cases[] = {
      {L"C:\\x.jpg", L"C:\\", true},
      {L"C:\\x.jpg", L"c:\\", true},
      {L"C:\\x.jpg", L"D:\\", false},
      {L"C:\\Lumora test pictures\\x.jpg", L"c:\\LUMORA TEST PICTURES", true},
      {L"C:\\Lumora test pictures\\x.jpg", L"C:\\Lumora test pictures\\", true},
      {L"C:\\Lumora test pictures\\x.jpg", L"C:\\Lumora test pictures\\2020\\..", true},
      {L"C:\\Lumora test pictures\\x.jpg", L"C:\\Lumora test pictures 2", false},
      {L"C:\\Lumora test pictures\\x.jpg", L"C:\\", false},
      {L"C:\\x.jpg", L"", false},
  };
  FCAutoInitializeCOM com;
  for (const auto& c : cases) {
    const std::wstring picture = c.picture;
    const std::wstring view_folder = c.view_folder;
    SCOPED_TRACE(testing::Message() << std::string(picture.begin(), picture.end()) << " in "
                                    << std::string(view_folder.begin(), view_folder.end()));
    CCurrentFolderImage list;
    list.SetCurrent(nullptr, picture);
    EXPECT_EQ(c.same, IsSameFolder(view_folder, list.folder()));
  }
}

TEST(FolderScan, AbortedScanFindsNoCurrentPicture) {
  ScratchFolder folder(L"abort");
  test_support::MakeFiles(folder, {L"a.jpg", L"b.jpg"});
  FCAutoInitializeCOM com;
  std::atomic<int32_t> abort{0};
  CFolderScanResult whole = ScanFolder(folder.path(), L"b.jpg", abort);
  EXPECT_EQ(Names({L"a.jpg", L"b.jpg"}), whole.names);
  EXPECT_EQ(1, whole.current_index);
  EXPECT_EQ(1u, whole.subdirectories.count(L"."));

  abort = 1;
  // A stopped scan's result is never adopted: it has no current picture.
  EXPECT_EQ(-1, ScanFolder(folder.path(), L"b.jpg", abort).current_index);
}

TEST(FolderScan, AFolderOpensAsItsFirstPicture) {
  ScratchFolder folder(L"resolve");
  test_support::MakeFiles(folder, {L"notes.txt", L"b10.png", L"B2.jpg"});
  // A folder whose name looks like a picture sorts first but is no picture.
  ASSERT_TRUE(CreateDirectoryW(folder.File(L"a.jpg").c_str(), nullptr));
  ScratchFolder empty(L"resolve-empty");
  FCAutoInitializeCOM com;
  std::atomic<int32_t> abort{0};
  const CFolderScanResult found = ScanFolderForFirstPicture(folder.path(), abort);
  EXPECT_EQ(Names({L"B2.jpg", L"b10.png"}), found.names);
  EXPECT_EQ(0, found.current_index);
  EXPECT_EQ(-1, ScanFolderForFirstPicture(empty.path(), abort).current_index);
  abort = 1;
  EXPECT_EQ(-1, ScanFolderForFirstPicture(folder.path(), abort).current_index);

  EXPECT_TRUE(win_util::FolderExists(folder.path()));
  EXPECT_TRUE(win_util::FolderExists(folder.path() + L"\\"));
  EXPECT_FALSE(win_util::FolderExists(folder.File(L"b10.png")));
  EXPECT_FALSE(win_util::FolderExists(folder.File(L"gone")));
  EXPECT_FALSE(win_util::FolderExists(L""));
  EXPECT_EQ(folder.path(), FullFolderPath(folder.path() + L"\\"));
  EXPECT_EQ(L"C:", FullFolderPath(L"C:\\"));
}

}  // namespace
