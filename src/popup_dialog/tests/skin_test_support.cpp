#include "popup_dialog/tests/skin_test_support.h"

#include "support/app_driver.h"
#include "support/test_paths.h"
#include "l10n/lang_string.h"
#include "popup_dialog/label_ui2.h"
#include "popup_dialog/message_box.h"
#include "toolkit/skin_resources.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_control.h"

namespace skin_test {

namespace {

thread_local ModalDriver* t_driver = nullptr;
thread_local MessageBoxRecorder* t_recorder = nullptr;

struct FindData {
  const wchar_t* class_name;
  HWND found;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM param) {
  auto* data = reinterpret_cast<FindData*>(param);
  wchar_t name[128] = {};
  GetClassNameW(hwnd, name, 128);
  if (IsWindowVisible(hwnd) && wcscmp(name, data->class_name) == 0) {
    data->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

SkinEnvironment::SkinEnvironment() {
  skin_resources::SetResourceInstance(GetModuleHandleW(nullptr));
  skin_resources::SetResourcePath(test_support::DistFolder() + L"\\resources");
  skin_resources::SetResourceZip(L"res.zip");
  skin_resources::SetSkinLoadFailureHandler(
      [this](const std::wstring& reason) { failures_.push_back(reason); });
  skin_resources::SetTextResolver([](const std::wstring& section, const std::wstring& key) {
    return GetLangString(section.c_str(), key.c_str());
  });
}

SkinEnvironment::~SkinEnvironment() {
  skin_resources::SetSkinLoadFailureHandler(nullptr);
  skin_resources::SetTextResolver(nullptr);
  skin_resources::SetResourceZip(L"res.zip");
}

void SkinEnvironment::UseArchive(const std::wstring& path) { skin_resources::SetResourceZip(path); }

ModalDriver::ModalDriver() {
  t_driver = this;
  timer_ = SetTimer(nullptr, 0, 20, OnTimer);
}

ModalDriver::~ModalDriver() {
  KillTimer(nullptr, timer_);
  t_driver = nullptr;
}

ModalDriver& ModalDriver::Then(const wchar_t* class_name, Step step, DWORD delay_ms) {
  steps_.push_back({class_name, std::move(step), delay_ms});
  return *this;
}

void CALLBACK ModalDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (t_driver) {
    t_driver->Poll();
  }
}

void ModalDriver::Poll() {
  if (running_ || next_ >= steps_.size()) {
    return;
  }
  const Pending& pending = steps_[next_];
  HWND hwnd = FindThreadWindow(pending.class_name.c_str());
  auto* window = dynamic_cast<WindowImplBase*>(CWnd::FromHandlePermanent(hwnd));
  if (!window || !window->GetPaintManager().IsInitialised()) {
    seen_ = nullptr;
    return;
  }
  if (hwnd != seen_) {
    seen_ = hwnd;
    seen_at_ = GetTickCount();
  }
  if (GetTickCount() - seen_at_ < pending.delay_ms) {
    return;
  }
  running_ = true;
  ++next_;
  seen_ = nullptr;
  pending.step(*window);
  running_ = false;
}

MessageBoxRecorder::MessageBoxRecorder() {
  t_recorder = this;
  timer_ = SetTimer(nullptr, 0, 20, OnTimer);
}

MessageBoxRecorder::~MessageBoxRecorder() {
  KillTimer(nullptr, timer_);
  t_recorder = nullptr;
}

void CALLBACK MessageBoxRecorder::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (t_recorder) {
    t_recorder->Poll();
  }
}

void MessageBoxRecorder::Poll() {
  HWND hwnd = FindThreadWindow(L"CMessageBox");
  auto* box = dynamic_cast<CMessageBox*>(CWnd::FromHandlePermanent(hwnd));
  if (!box || !box->GetPaintManager().IsInitialised()) {
    return;
  }
  for (HWND done : answered_) {
    if (done == hwnd) {
      return;
    }
  }
  answered_.push_back(hwnd);
  Box seen;
  seen.owner = GetWindow(hwnd, GW_OWNER);
  if (box->message_label()) {
    seen.text = box->message_label()->GetText();
  }
  if (box->right_button()) {
    seen.button = box->right_button()->GetText();
  }
  seen_.push_back(seen);
  ClickControl(*box, L"right_btn");
}

HWND FindThreadWindow(const wchar_t* class_name) {
  FindData data = {class_name, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindVisible, reinterpret_cast<LPARAM>(&data));
  return data.found;
}

bool ClickControl(WindowImplBase& window, const wchar_t* name) {
  CControlUI* control = window.GetPaintManager().FindControl(name);
  if (!control) {
    return false;
  }
  const RECT& rect = control->GetPos();
  ClickAt(window.GetHWND(), {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
  return true;
}

void ClickAt(HWND hwnd, POINT point) {
  const LPARAM at = MAKELPARAM(point.x, point.y);
  PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
  PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

void PressKey(HWND hwnd, WPARAM key) {
  PostMessageW(hwnd, WM_KEYDOWN, key, 1);
  PostMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
}

RECT ScreenRect(HWND hwnd) {
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  return rect;
}

std::vector<uint32_t> ClientPixels(HWND hwnd, const RECT& rect) {
  RECT screen = rect;
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&screen), 2);
  return test_support::ScreenPixels(screen);
}

}  // namespace skin_test
