#include "folder/current_folder_image.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "config/app_config.h"
#include "folder/system_cache.h"
#include "support/counting_window.h"
#include "support/message_pump.h"
#include "support/test_paths.h"
#include "widgets/window_title.h"

namespace {

using test_support::CountingWindow;
using test_support::MakeFiles;
using test_support::PumpFor;
using test_support::PumpUntil;
using test_support::ScratchFolder;
using Names = std::deque<std::wstring>;

class FolderListTest : public ::testing::Test {
 protected:
  void TearDown() override { CAppConfig::GetInstance()->view_folder_loop = 0; }

  // Shows path and waits until the list reports that it is ready.
  void ShowAndWait(const std::wstring& path) {
    const int before = notify_.count;
    list_.SetCurrent(notify_.hwnd, path);
    ASSERT_TRUE(PumpUntil([&] { return notify_.count > before; })) << path.c_str();
    ASSERT_FALSE(list_.IsScanning());
  }

  CSystemCache preload_;  // never resumed: it only collects what is asked of it
  CountingWindow notify_{UM_FOLDER_LIST_READY};
  CCurrentFolderImage list_{&preload_};
};

TEST_F(FolderListTest, AnOpenedFolderIsListedOnTheScanThreadBeforeItsFirstPictureOpens) {
  ScratchFolder shown(L"shown");
  MakeFiles(shown, {L"a.jpg", L"b.jpg"});
  ShowAndWait(shown.File(L"b.jpg"));
  ScratchFolder opened(L"opened");
  MakeFiles(opened, {L"img10.jpg", L"Img2.jpg", L"notes.txt"});
  ScratchFolder empty(L"opened-empty");
  CountingWindow found(UM_FOLDER_PICTURE_FOUND);

  list_.OpenFolder(found.hwnd, opened.path() + L"\\");
  // Nothing is listed on this thread: the call returns with the scan running
  // and the shown picture's list in place.
  EXPECT_TRUE(list_.IsScanning());
  EXPECT_EQ(0, found.count);
  EXPECT_EQ(Names({L"a.jpg", L"b.jpg"}), list_.names());
  EXPECT_TRUE(list_.TakeFoundPicture().empty());
  ASSERT_TRUE(PumpUntil([&] { return found.count == 1; }));
  EXPECT_FALSE(list_.IsScanning());
  const std::wstring first = list_.TakeFoundPicture();
  EXPECT_EQ(opened.File(L"Img2.jpg"), first);
  EXPECT_TRUE(list_.TakeFoundPicture().empty()) << "taken once";

  // Opening the picture finds it in the list: no second scan.
  const int ready = notify_.count;
  list_.SetCurrent(notify_.hwnd, first);
  EXPECT_FALSE(list_.IsScanning());
  EXPECT_EQ(ready + 1, notify_.count);
  EXPECT_EQ(Names({L"Img2.jpg", L"img10.jpg"}), list_.names());
  EXPECT_EQ(opened.File(L"img10.jpg"), list_.Neighbour(1));

  // A folder without pictures is opened as it is, to report the failure.
  list_.OpenFolder(found.hwnd, empty.path());
  ASSERT_TRUE(PumpUntil([&] { return found.count == 2; }));
  EXPECT_EQ(empty.path(), list_.TakeFoundPicture());

  // Showing another picture while a folder is listed drops the request.
  list_.OpenFolder(found.hwnd, opened.path());
  const int listed = notify_.count;
  list_.SetCurrent(notify_.hwnd, shown.File(L"a.jpg"));
  // Once the shown picture's folder is listed, the dropped request has had
  // every chance to report.
  ASSERT_TRUE(PumpUntil([&] { return notify_.count > listed && !list_.IsScanning(); }));
  PumpFor(50);
  EXPECT_EQ(2, found.count);
  EXPECT_TRUE(list_.TakeFoundPicture().empty());
  EXPECT_EQ(Names({L"a.jpg", L"b.jpg"}), list_.names());
}

TEST_F(FolderListTest, ScanSortsNaturallyAndSkipsFoldersAndOtherFiles) {
  ScratchFolder folder(L"natural");
  MakeFiles(folder, {L"img2.jpg", L"img10.jpg", L"Img1.jpg", L"notes.txt", L"hidden.png"});
  SetFileAttributesW(folder.File(L"hidden.png").c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(CreateDirectoryW(folder.File(L"holiday.jpg").c_str(), nullptr));

  list_.SetCurrent(notify_.hwnd, folder.File(L"img10.jpg"));
  // Until the scan reports, only the shown picture is known.
  EXPECT_TRUE(list_.IsScanning());
  EXPECT_EQ(Names({L"img10.jpg"}), list_.names());
  EXPECT_EQ(0, list_.current_index());
  EXPECT_EQ(CWindowTitle::PositionText(1, 1), CWindowTitle::GetInstance()->position_text());
  EXPECT_FALSE(list_.HasNeighbour(1));
  EXPECT_FALSE(list_.HasNeighbour(-1));
  EXPECT_TRUE(preload_.QueuedPaths().empty());

  ASSERT_TRUE(PumpUntil([&] { return notify_.count == 1; }));
  EXPECT_FALSE(list_.IsScanning());
  EXPECT_EQ(folder.path(), list_.folder());
  EXPECT_EQ(Names({L"hidden.png", L"Img1.jpg", L"img2.jpg", L"img10.jpg"}), list_.names());
  EXPECT_EQ(3, list_.current_index());
  EXPECT_EQ(CWindowTitle::PositionText(4, 4), CWindowTitle::GetInstance()->position_text());
  EXPECT_EQ(folder.File(L"img2.jpg"), list_.Neighbour(-1));
  EXPECT_TRUE(list_.Neighbour(1).empty());
  EXPECT_EQ(folder.path(), preload_.folder());
  // A new folder preloads next, previous, second and third next.
  EXPECT_EQ(std::vector<std::wstring>({folder.File(L"img2.jpg")}), preload_.QueuedPaths());
}

TEST_F(FolderListTest, PictureOfTheSameFolderIsFoundWithoutRescan) {
  ScratchFolder folder(L"same");
  MakeFiles(folder, {L"a.jpg", L"b.jpg", L"c.jpg"});
  ShowAndWait(folder.File(L"a.jpg"));

  // Names are looked up case-insensitively; the ready message comes at once.
  list_.SetCurrent(notify_.hwnd, folder.File(L"B.JPG"));
  EXPECT_FALSE(list_.IsScanning());
  EXPECT_EQ(2, notify_.count);
  EXPECT_EQ(1, list_.current_index());
  EXPECT_EQ(CWindowTitle::PositionText(2, 3), CWindowTitle::GetInstance()->position_text());
  EXPECT_EQ(std::vector<std::wstring>({folder.File(L"c.jpg"), folder.File(L"a.jpg")}),
            preload_.QueuedPaths());

  // A file that appeared since the scan is not in the list: scan again.
  MakeFiles(folder, {L"bb.jpg"});
  list_.SetCurrent(notify_.hwnd, folder.File(L"bb.jpg"));
  EXPECT_TRUE(list_.IsScanning());
  ASSERT_TRUE(PumpUntil([&] { return notify_.count == 3; }));
  EXPECT_EQ(Names({L"a.jpg", L"b.jpg", L"bb.jpg", L"c.jpg"}), list_.names());
  EXPECT_EQ(2, list_.current_index());
}

TEST_F(FolderListTest, NeighboursWithAndWithoutLoop) {
  ScratchFolder folder(L"loop");
  MakeFiles(folder, {L"1.jpg", L"2.jpg", L"3.jpg"});
  ShowAndWait(folder.File(L"1.jpg"));

  struct Case {
    const wchar_t* current;
    int offset;
    int loop;
    const wchar_t* expected;  // empty: no neighbour
  };
  const Case cases[] = {
      {L"1.jpg", 1, 0, L"2.jpg"},  {L"1.jpg", -1, 0, L""},      {L"3.jpg", 1, 0, L""},
      {L"3.jpg", -1, 0, L"2.jpg"}, {L"1.jpg", -1, 1, L"3.jpg"}, {L"3.jpg", 1, 1, L"1.jpg"},
      {L"2.jpg", 1, 1, L"3.jpg"},
  };
  for (const Case& c : cases) {
    CAppConfig::GetInstance()->view_folder_loop = c.loop;
    list_.SetCurrent(notify_.hwnd, folder.File(c.current));
    const std::wstring expected = *c.expected ? folder.File(c.expected) : std::wstring();
    EXPECT_EQ(expected, list_.Neighbour(c.offset))
        << c.current << " " << c.offset << " loop " << c.loop;
    EXPECT_EQ(!expected.empty(), list_.HasNeighbour(c.offset));
    // Asking does not move the position.
    EXPECT_EQ(folder.File(c.current), folder.File(list_.names()[list_.current_index()]));
  }
}

TEST_F(FolderListTest, SinglePictureHasNoNeighboursInEitherMode) {
  ScratchFolder folder(L"single");
  MakeFiles(folder, {L"only.png", L"readme.txt"});
  ShowAndWait(folder.File(L"only.png"));
  EXPECT_EQ(Names({L"only.png"}), list_.names());
  for (int loop : {0, 1}) {
    CAppConfig::GetInstance()->view_folder_loop = loop;
    EXPECT_FALSE(list_.HasNeighbour(1)) << loop;
    EXPECT_FALSE(list_.HasNeighbour(-1)) << loop;
  }
}

TEST_F(FolderListTest, DeletingPicturesNamesTheNextOne) {
  ScratchFolder folder(L"delete");
  MakeFiles(folder, {L"a.jpg", L"b.jpg", L"c.jpg"});
  ShowAndWait(folder.File(L"b.jpg"));

  // The one that followed the deleted picture.
  EXPECT_EQ(folder.File(L"c.jpg"), list_.OnDeleted(folder.File(L"b.jpg")));
  EXPECT_EQ(Names({L"a.jpg", L"c.jpg"}), list_.names());
  list_.SetCurrent(notify_.hwnd, folder.File(L"c.jpg"));
  // The last one: the new last one.
  EXPECT_EQ(folder.File(L"a.jpg"), list_.OnDeleted(folder.File(L"C.jpg")));
  list_.SetCurrent(notify_.hwnd, folder.File(L"a.jpg"));
  // The only one: nothing is left.
  EXPECT_TRUE(list_.OnDeleted(folder.File(L"a.jpg")).empty());
  EXPECT_TRUE(list_.names().empty());
  EXPECT_TRUE(list_.folder().empty());
  EXPECT_EQ(-1, list_.current_index());
  EXPECT_FALSE(list_.HasNeighbour(1));
}

TEST_F(FolderListTest, DeletingDuringTheScanEmptiesTheList) {
  ScratchFolder folder(L"delete-scan");
  MakeFiles(folder, {L"a.jpg", L"b.jpg"});
  list_.SetCurrent(notify_.hwnd, folder.File(L"a.jpg"));
  ASSERT_TRUE(list_.IsScanning());
  EXPECT_TRUE(list_.OnDeleted(folder.File(L"a.jpg")).empty());
  EXPECT_FALSE(list_.IsScanning());
  EXPECT_TRUE(list_.names().empty());
  // The stopped scan reports nothing.
  PumpFor(200);
  EXPECT_EQ(0, notify_.count);
  EXPECT_TRUE(list_.names().empty());
}

TEST_F(FolderListTest, OpeningAnotherFolderDuringAScanRescans) {
  ScratchFolder first(L"first");
  ScratchFolder second(L"second");
  MakeFiles(first, {L"a.jpg", L"b.jpg", L"c.jpg"});
  MakeFiles(second, {L"x.png", L"y.png"});

  list_.SetCurrent(notify_.hwnd, first.File(L"b.jpg"));
  // Without message pumping the first scan is left waiting to hand over
  // its result: the second open must stop it, not deadlock.
  Sleep(200);
  list_.SetCurrent(notify_.hwnd, second.File(L"y.png"));
  EXPECT_TRUE(list_.IsScanning());
  EXPECT_EQ(second.path(), list_.folder());
  EXPECT_EQ(Names({L"y.png"}), list_.names());

  ASSERT_TRUE(PumpUntil([&] { return notify_.count == 1; }));
  PumpFor(200);
  EXPECT_EQ(1, notify_.count);
  EXPECT_EQ(Names({L"x.png", L"y.png"}), list_.names());
  EXPECT_EQ(1, list_.current_index());
  EXPECT_EQ(second.File(L"x.png"), list_.Neighbour(-1));
}

TEST_F(FolderListTest, ScanWithoutTheCurrentPictureKeepsItAlone) {
  ScratchFolder folder(L"missing");
  MakeFiles(folder, {L"a.jpg", L"b.jpg"});
  // Neither a vanished file nor a folder that cannot be listed gives
  // neighbours; the view is still told that the list is ready.
  for (const std::wstring& path :
       {folder.File(L"gone.jpg"), folder.File(L"no such folder\\a.jpg")}) {
    ShowAndWait(path);
    EXPECT_EQ(1u, list_.names().size()) << path.c_str();
    EXPECT_EQ(0, list_.current_index());
    EXPECT_FALSE(list_.HasNeighbour(1));
    EXPECT_FALSE(list_.HasNeighbour(-1));
  }
}

TEST_F(FolderListTest, PathsWithoutAFolderClearTheList) {
  ScratchFolder folder(L"clear");
  MakeFiles(folder, {L"a.jpg", L"b.jpg"});
  ShowAndWait(folder.File(L"a.jpg"));
  for (const wchar_t* path : {L"", L"a.jpg"}) {
    list_.SetCurrent(notify_.hwnd, path);
    EXPECT_TRUE(list_.names().empty()) << path;
    EXPECT_EQ(-1, list_.current_index());
    EXPECT_FALSE(list_.IsScanning());
  }
}

TEST(FolderListLifetime, DestroyingTheListStopsItsScan) {
  ScratchFolder folder(L"destroy");
  test_support::MakeFiles(folder, {L"a.jpg", L"b.jpg"});
  CountingWindow notify(UM_FOLDER_LIST_READY);
  CSystemCache preload;
  {
    CCurrentFolderImage list(&preload);
    list.SetCurrent(notify.hwnd, folder.File(L"a.jpg"));
    Sleep(100);
  }
  PumpFor(200);
  EXPECT_EQ(0, notify.count);
}

}  // namespace

namespace {

TEST(FolderListLifetime, TheApplicationsListFeedsTheApplicationsPreloadQueue) {
  ScratchFolder folder(L"singleton");
  test_support::MakeFiles(folder, {L"a.jpg", L"b.jpg"});
  CountingWindow notify(UM_FOLDER_LIST_READY);
  CCurrentFolderImage* list = CCurrentFolderImage::GetInstance();
  ASSERT_NE(nullptr, list);
  list->SetCurrent(notify.hwnd, folder.File(L"a.jpg"));
  ASSERT_TRUE(PumpUntil([&] { return notify.count == 1; }));
  EXPECT_EQ(std::vector<std::wstring>({folder.File(L"b.jpg")}),
            CSystemCache::GetInstance()->QueuedPaths());
  // The exit order: the list first, then the queue it feeds.
  CCurrentFolderImage::DestroyInstance();
  CSystemCache::DestroyInstance();
}

}  // namespace
