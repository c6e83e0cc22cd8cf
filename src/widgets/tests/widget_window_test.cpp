#include "widgets/widget_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "widgets/timer_notify.h"
#include "widgets/ui_event.h"

namespace {

class ColorItem : public CWidgetItem {
 public:
  ColorItem(int32_t item_id, RECT item_rect, COLORREF item_color = RGB(200, 30, 30),
            bool* destroyed_flag = nullptr)
      : color(item_color), destroyed(destroyed_flag) {
    id = item_id;
    rect = item_rect;
  }
  ~ColorItem() override {
    if (destroyed) {
      *destroyed = true;
    }
  }
  void Draw(HDC dc) override {
    ++draws;
    RECT all = {0, 0, Width(), Height()};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
  }
  void OnHoverEnter() override { ++enters; }
  void OnHoverLeave() override { ++leaves; }

  COLORREF color;
  bool* destroyed;
  int draws = 0;
  int enters = 0;
  int leaves = 0;
};

class TestWidget : public CWidgetWindow {
 public:
  void OnItemClick(CWidgetItem* item) override { clicks.push_back(item->id); }
  int32_t OnItemPress(CWidgetItem* item) override {
    presses.push_back(item ? item->id : -1);
    return cancel_press;
  }
  void DrawBackground(HDC dc, const RECT& rect) override {
    HBRUSH brush = CreateSolidBrush(RGB(39, 39, 39));
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
  }
  std::vector<int32_t> clicks;
  std::vector<int32_t> presses;
  int32_t cancel_press = 0;
};

// A visible top-level parent and a widget window filling it, with items
// 1 (10,10)-(50,50), 2 (60,10)-(100,50) and 3 overlapping 1.
class WidgetWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"widget_test_parent";
    RegisterClassW(&wc);
    parent_ = CreateWindowExW(WS_EX_TOPMOST, L"widget_test_parent", L"", WS_POPUP | WS_VISIBLE, 50,
                              50, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(parent_, nullptr);
    one_ = new ColorItem(1, {10, 10, 50, 50});
    two_ = new ColorItem(2, {60, 10, 100, 50}, RGB(30, 200, 30));
    three_ = new ColorItem(3, {20, 20, 40, 40});
    widget_.AddItem(one_);
    widget_.AddItem(two_);
    widget_.AddItem(three_);
    ASSERT_TRUE(widget_.Create(parent_, 101, {0, 0, 200, 100}));
  }
  void TearDown() override {
    widget_.DestroyWindowNow();
    DestroyWindow(parent_);
  }
  static LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }
  void Move(int x, int y) { SendMessageW(widget_, WM_MOUSEMOVE, 0, Point(x, y)); }

  HWND parent_ = nullptr;
  TestWidget widget_;
  ColorItem* one_ = nullptr;
  ColorItem* two_ = nullptr;
  ColorItem* three_ = nullptr;
};

TEST_F(WidgetWindowTest, HitTestHonoursOrderVisibilityAndEnabled) {
  EXPECT_EQ(widget_.HitTest(25, 25), one_);
  EXPECT_EQ(widget_.HitTest(70, 20), two_);
  EXPECT_EQ(widget_.HitTest(5, 5), nullptr);
  EXPECT_EQ(widget_.HitTest(50, 20), nullptr);  // right edge is outside
  one_->SetFlag(CWidgetItem::kEnabled, false);
  EXPECT_EQ(widget_.HitTest(25, 25), three_);
  one_->SetFlag(CWidgetItem::kEnabled, true);
  one_->SetFlag(CWidgetItem::kVisible, false);
  EXPECT_EQ(widget_.HitTest(25, 25), three_);
  EXPECT_EQ(widget_.HitTest(12, 12), nullptr);
}

TEST_F(WidgetWindowTest, AddItemPositionsAndRemoval) {
  bool deleted_beyond = false;
  widget_.AddItem(new ColorItem(9, {}, 0, &deleted_beyond), 4);
  EXPECT_TRUE(deleted_beyond);
  EXPECT_EQ(widget_.FindItem(9), nullptr);
  widget_.AddItem(new ColorItem(7, {}), 0);
  EXPECT_EQ(widget_.items().front()->id, 7);
  widget_.AddItem(new ColorItem(8, {}), 4);
  EXPECT_EQ(widget_.items().back()->id, 8);
  bool deleted_negative = false;
  widget_.AddItem(new ColorItem(10, {}, 0, &deleted_negative), -2);
  EXPECT_TRUE(deleted_negative);
  bool removed = false;
  widget_.AddItem(new ColorItem(11, {}, 0, &removed));
  widget_.RemoveItem(11);
  EXPECT_TRUE(removed);
  EXPECT_EQ(widget_.items().size(), 5u);
}

TEST_F(WidgetWindowTest, HotTrackingFollowsThePointerAndLeavesWithIt) {
  Move(25, 25);
  EXPECT_TRUE(one_->IsHot());
  EXPECT_EQ(one_->enters, 1);
  Move(26, 26);
  EXPECT_EQ(one_->enters, 1);
  Move(70, 20);
  EXPECT_FALSE(one_->IsHot());
  EXPECT_EQ(one_->leaves, 1);
  EXPECT_TRUE(two_->IsHot());
  SendMessageW(widget_, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(two_->IsHot());
  EXPECT_EQ(two_->leaves, 1);
}

TEST_F(WidgetWindowTest, DisabledItemIsNeverHotOrClicked) {
  two_->SetFlag(CWidgetItem::kEnabled, false);
  Move(70, 20);
  EXPECT_FALSE(two_->IsHot());
  PostMessageW(widget_, WM_LBUTTONUP, 0, Point(70, 20));
  SendMessageW(widget_, WM_LBUTTONDOWN, MK_LBUTTON, Point(70, 20));
  EXPECT_TRUE(widget_.clicks.empty());
}

TEST_F(WidgetWindowTest, ClickRequiresReleaseOverThePressedItem) {
  const struct {
    std::vector<POINT> moves;
    POINT release;
    bool clicked;
  } cases[] = {
      {{}, {30, 30}, true},
      {{{150, 80}}, {150, 80}, false},
      {{{150, 80}, {30, 30}}, {30, 30}, true},
      {{{70, 20}}, {70, 20}, false},
  };
  for (const auto& c : cases) {
    widget_.clicks.clear();
    for (const POINT& p : c.moves) {
      PostMessageW(widget_, WM_MOUSEMOVE, MK_LBUTTON, Point(p.x, p.y));
    }
    PostMessageW(widget_, WM_LBUTTONUP, 0, Point(c.release.x, c.release.y));
    SendMessageW(widget_, WM_LBUTTONDOWN, MK_LBUTTON, Point(12, 12));
    EXPECT_EQ(widget_.clicks.size(), c.clicked ? 1u : 0u);
    if (c.clicked && !widget_.clicks.empty()) {
      EXPECT_EQ(widget_.clicks[0], 1);
    }
    EXPECT_FALSE(one_->IsPressed());
    EXPECT_NE(GetCapture(), widget_.GetSafeHwnd());
  }
}

// Records whether an item is hot each time it is posted kProbe.
constexpr UINT kProbe = WM_APP + 13;
std::vector<bool> g_hot_seen;
const CWidgetItem* g_probed = nullptr;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kProbe) {
    g_hot_seen.push_back(g_probed->IsHot());
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

TEST_F(WidgetWindowTest, PressedItemIsHotOnlyWhileThePointerIsOverIt) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = ProbeProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"widget_test_probe";
  RegisterClassW(&wc);
  HWND probe = CreateWindowW(wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             wc.hInstance, nullptr);
  g_probed = one_;
  g_hot_seen.clear();
  // While the button is held: out of the item, back over it, out again; the
  // probe reads the item's state after each move, inside the capture loop.
  for (const POINT& p : {POINT{150, 80}, POINT{30, 15}, POINT{150, 80}}) {
    PostMessageW(widget_, WM_MOUSEMOVE, MK_LBUTTON, Point(p.x, p.y));
    PostMessageW(probe, kProbe, 0, 0);
  }
  PostMessageW(widget_, WM_LBUTTONUP, 0, Point(150, 80));
  SendMessageW(widget_, WM_LBUTTONDOWN, MK_LBUTTON, Point(12, 12));
  EXPECT_EQ(g_hot_seen, (std::vector<bool>{false, true, false}));
  EXPECT_TRUE(widget_.clicks.empty());
  DestroyWindow(probe);
}

TEST_F(WidgetWindowTest, LosingTheCaptureEndsTheLoopWithoutAClick) {
  HWND other = CreateWindowW(L"widget_test_parent", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  // The timer fires inside the capture loop and takes the capture away.
  SetTimer(other, 1, 10, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    SetCapture(hwnd);
  });
  SendMessageW(widget_, WM_LBUTTONDOWN, MK_LBUTTON, Point(12, 12));
  EXPECT_TRUE(widget_.clicks.empty());
  EXPECT_FALSE(one_->IsPressed());
  ReleaseCapture();
  DestroyWindow(other);
}

// A window whose handler of kTakeCapture posts kMarker to itself and then
// takes the capture: the marker is the next message the capture loop fetches.
constexpr UINT kTakeCapture = WM_APP + 11;
constexpr UINT kMarker = WM_APP + 12;
int g_markers = 0;

LRESULT CALLBACK CaptureThiefProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kTakeCapture) {
    PostMessageW(hwnd, kMarker, 0, 0);
    SetCapture(hwnd);
    return 0;
  }
  if (message == kMarker) {
    ++g_markers;
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

TEST_F(WidgetWindowTest, TheMessageFetchedAsTheCaptureGoesIsStillDelivered) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = CaptureThiefProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"widget_test_thief";
  RegisterClassW(&wc);
  HWND thief = CreateWindowW(L"widget_test_thief", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             wc.hInstance, nullptr);
  g_markers = 0;
  PostMessageW(thief, kTakeCapture, 0, 0);
  SendMessageW(widget_, WM_LBUTTONDOWN, MK_LBUTTON, Point(12, 12));
  EXPECT_EQ(1, g_markers) << "delivered by the capture loop itself";
  EXPECT_TRUE(widget_.clicks.empty());
  ReleaseCapture();
  DestroyWindow(thief);

  // A quit that arrives while the button is held still ends the caller's loop.
  PostQuitMessage(3);
  SendMessageW(widget_, WM_LBUTTONDOWN, MK_LBUTTON, Point(12, 12));
  MSG msg = {};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(3u, msg.wParam);
  EXPECT_NE(GetCapture(), widget_.GetSafeHwnd());
  ReleaseCapture();
}

TEST_F(WidgetWindowTest, DoubleClickActsAsASecondPress) {
  PostMessageW(widget_, WM_LBUTTONUP, 0, Point(30, 30));
  SendMessageW(widget_, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(30, 30));
  EXPECT_EQ(widget_.presses, std::vector<int32_t>{1});
  EXPECT_EQ(widget_.clicks, std::vector<int32_t>{1});
}

TEST_F(WidgetWindowTest, NonZeroPressResultCancelsTheCapture) {
  widget_.cancel_press = 1;
  SendMessageW(widget_, WM_LBUTTONDOWN, MK_LBUTTON, Point(30, 30));
  EXPECT_NE(GetCapture(), widget_.GetSafeHwnd());
  EXPECT_FALSE(one_->IsPressed());
  EXPECT_TRUE(widget_.clicks.empty());
}

TEST_F(WidgetWindowTest, TooltipsForVisibleItemsWithText) {
  one_->tooltip_text = L"one";
  two_->tooltip_text = L"two";
  two_->SetFlag(CWidgetItem::kEnabled, false);
  three_->tooltip_text = L"three";
  three_->SetFlag(CWidgetItem::kVisible, false);
  widget_.Relayout();
  ASSERT_NE(widget_.tooltip().GetSafeHwnd(), nullptr);
  EXPECT_EQ(widget_.tooltip().GetToolCount(), 2);
}

TEST_F(WidgetWindowTest, PaintsItemsOverTheBackgroundAtTheirPlaces) {
  two_->SetFlag(CWidgetItem::kEnabled, false);
  three_->SetFlag(CWidgetItem::kVisible, false);
  RedrawWindow(widget_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_GT(one_->draws, 0);
  EXPECT_GT(two_->draws, 0);
  EXPECT_EQ(three_->draws, 0);
  HDC dc = GetDC(widget_);
  EXPECT_EQ(GetPixel(dc, 11, 11), RGB(200, 30, 30));
  EXPECT_EQ(GetPixel(dc, 49, 49), RGB(200, 30, 30));
  EXPECT_EQ(GetPixel(dc, 25, 25), RGB(200, 30, 30));
  EXPECT_EQ(GetPixel(dc, 99, 49), RGB(30, 200, 30));
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(39, 39, 39));
  EXPECT_EQ(GetPixel(dc, 150, 80), RGB(39, 39, 39));
  ReleaseDC(widget_, dc);
}

class CountingTimer : public FCTimerNotify {
 public:
  void OnTimer() override {
    if (++fired == 3) {
      Stop();
    }
  }
  int fired = 0;
};

TEST(TimerNotify, FiresUntilStopped) {
  CountingTimer timer;
  timer.Start(10);
  EXPECT_TRUE(timer.IsRunning());
  const DWORD start = GetTickCount();
  MSG msg;
  while (timer.IsRunning() && GetTickCount() - start < 5000) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&msg);
    } else {
      Sleep(1);
    }
  }
  EXPECT_EQ(timer.fired, 3);
  EXPECT_EQ(timer.timer_id, 0u);
}

class RecordingObserver : public CUIEventObserver {
 public:
  explicit RecordingObserver(std::vector<const CUIEventObserver*>* order) : order_(order) {}
  void OnUIEvent(const CUIEventParam& event) override {
    order_->push_back(this);
    if (event.TypeId() == CUIEventViewZoomChanged::Type()) {
      ratio = static_cast<const CUIEventViewZoomChanged&>(event).ratio;
    } else {
      last_type = event.TypeId();
    }
  }
  float ratio = 0;
  int32_t last_type = 0;

 private:
  std::vector<const CUIEventObserver*>* order_;
};

TEST(UIEventBus, TypesAreDistinctAndObserversHearInAddressOrder) {
  EXPECT_NE(CUIEventViewImageChanged::Type(), CUIEventFolderImageCollected::Type());
  EXPECT_NE(CUIEventViewImageChanged::Type(), CUIEventViewZoomChanged::Type());
  EXPECT_EQ(CUIEventViewImageChanged().TypeId(), CUIEventViewImageChanged::Type());

  CUIEventObserver::Broadcast(CUIEventViewImageChanged());

  std::vector<const CUIEventObserver*> order;
  RecordingObserver observers[3] = {RecordingObserver(&order), RecordingObserver(&order),
                                    RecordingObserver(&order)};
  CUIEventObserver::Broadcast(CUIEventViewZoomChanged(1.5f, 0.25f));
  ASSERT_EQ(order.size(), 3u);
  EXPECT_LT(order[0], order[1]);
  EXPECT_LT(order[1], order[2]);
  EXPECT_EQ(observers[2].ratio, 1.5f);
  {
    RecordingObserver temporary(&order);
    CUIEventObserver::Broadcast(CUIEventFolderImageCollected());
    EXPECT_EQ(temporary.last_type, CUIEventFolderImageCollected::Type());
  }
  order.clear();
  CUIEventObserver::Broadcast(CUIEventViewImageChanged());
  EXPECT_EQ(order.size(), 3u);
}

}  // namespace
