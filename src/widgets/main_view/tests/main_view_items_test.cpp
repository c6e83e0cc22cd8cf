#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "widgets/main_view/main_view_items.h"
#include "widgets/main_view/main_view_layout.h"

namespace {

using namespace main_view;

// A picture of one straight-alpha colour.
FCObjImage Solid(int width, int height, BYTE alpha) {
  FCObjImage image;
  image.Allocate(width, -height, 32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      BYTE* p = image.PixelPointer(x, y);
      p[0] = 200;
      p[1] = 100;
      p[2] = 50;
      p[3] = alpha;
    }
  }
  return image;
}

TEST(MainViewLayout, PlacesEveryItem) {
  std::deque<CWidgetItem*> items;
  auto previous =
      std::make_unique<CTurnPageItem>(kPreviousArrow, nullptr, Solid(60, 20, 255), false);
  auto next = std::make_unique<CTurnPageItem>(kNextArrow, nullptr, Solid(60, 20, 255), true);
  auto slogan = std::make_unique<CWelcomeSlogonItem>(Solid(240, 120, 255));
  auto open = std::make_unique<CWelcomeOpenItem>(Solid(450, 44, 255));
  auto tip = std::make_unique<CTipItem>(kFileMissingTip, Solid(10, 10, 255), L"x");
  auto loading = std::make_unique<CLoadingGifItem>(nullptr, Solid(80, 40, 255));
  for (CWidgetItem* item :
       {static_cast<CWidgetItem*>(previous.get()), static_cast<CWidgetItem*>(next.get()),
        static_cast<CWidgetItem*>(slogan.get()), static_cast<CWidgetItem*>(open.get()),
        static_cast<CWidgetItem*>(tip.get()), static_cast<CWidgetItem*>(loading.get())}) {
    items.push_back(item);
  }
  CMainViewLayout layout(60);
  layout.LayoutIn({0, 0, 800, 500}, items);

  const struct {
    CWidgetItem* item;
    RECT expected;
  } cases[] = {
      {previous.get(), {0, 0, 60, 500}},
      {next.get(), {740, 0, 800, 500}},
      // Slogan centred, its top at (500 - 120 - 52) / 2.
      {slogan.get(), {280, 164, 520, 284}},
      // The button: a third of its strip, 7 right of and 87 below the slogan.
      {open.get(), {287, 371, 437, 415}},
      {tip.get(), {310, 225, 490, 275}},
      {loading.get(), {0, 0, 800, 500}},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(EqualRect(&c.item->rect, &c.expected))
        << c.item->id << ": " << c.item->rect.left << "," << c.item->rect.top << ","
        << c.item->rect.right << "," << c.item->rect.bottom;
  }
  EXPECT_FALSE(loading->IsEnabled());
  EXPECT_TRUE(open->IsEnabled());
}

TEST(TurnPageItem, FadesInTenTicksAndOutAgain) {
  CTurnPageItem arrow(kNextArrow, nullptr, Solid(4, 12, 255), false);
  EXPECT_EQ(arrow.alpha(), 0);
  arrow.OnHoverEnter();
  EXPECT_TRUE(arrow.IsRunning());
  for (int tick = 1; tick <= 10; ++tick) {
    arrow.OnTimer();
    EXPECT_EQ(arrow.alpha(), tick * 10);
  }
  EXPECT_FALSE(arrow.IsRunning());
  arrow.OnHoverLeave();
  for (int tick = 0; tick < 4; ++tick) {
    arrow.OnTimer();
  }
  EXPECT_EQ(arrow.alpha(), 60);
  arrow.OnHoverEnter();
  arrow.OnTimer();
  EXPECT_EQ(arrow.alpha(), 70);
}

TEST(TurnPageItem, DrawsFadedPremultipliedPixelsOnlyOnceTouched) {
  CTurnPageItem arrow(kPreviousArrow, nullptr, Solid(4, 12, 255), false);
  arrow.rect = {0, 0, 4, 12};
  FCObjImage target;
  ASSERT_TRUE(target.Allocate(4, -12, 24));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, target.GetHBITMAP());
  arrow.Draw(dc);
  GdiFlush();
  EXPECT_EQ(target.PixelPointer(2, 6)[0], 0);
  arrow.OnHoverEnter();
  for (int tick = 0; tick < 5; ++tick) {
    arrow.OnTimer();
  }
  arrow.Draw(dc);
  GdiFlush();
  // Half faded over black: each channel at about half.
  EXPECT_NEAR(target.PixelPointer(2, 6)[0], 100, 2);
  EXPECT_NEAR(target.PixelPointer(2, 6)[2], 25, 2);
  SelectObject(dc, old);
  DeleteDC(dc);
}

TEST(LoadingGifItem, StepsThroughSquareFramesAndWraps) {
  CLoadingGifItem loading(nullptr, Solid(120, 40, 255));
  EXPECT_EQ(loading.frame().left, 0);
  loading.OnTimer();
  EXPECT_EQ(loading.frame().left, 40);
  loading.OnTimer();
  EXPECT_EQ(loading.frame().left, 80);
  loading.OnTimer();
  EXPECT_EQ(loading.frame().left, 0);
  EXPECT_EQ(loading.frame().right, 40);
}

}  // namespace
