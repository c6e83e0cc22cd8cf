#include "popup_dialog/dlg_feedback.h"

#include <shlwapi.h>

#include <cwctype>
#include <utility>

#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "integration/common_module.h"
#include "integration/companion_entry_points.h"
#include "integration/http_module.h"
#include "l10n/lang_string.h"
#include "log/my_log.h"
#include "main_messages.h"
#include "toolkit/ui_edit.h"

namespace {

// How often a waiting upload looks whether its own dialog asked it to stop:
// the stop event's name is shared by every viewer on the desktop, so one
// dialog's signal may wake another's worker instead.
constexpr DWORD kStopPollMs = 100;

std::wstring Trimmed(const std::wstring& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && std::iswspace(text[first])) {
    ++first;
  }
  while (last > first && std::iswspace(text[last - 1])) {
    --last;
  }
  return text.substr(first, last - first);
}

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) {
    return std::string();
  }
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string narrow(size > 0 ? size : 0, '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &narrow[0], size,
                        nullptr, nullptr);
  }
  return narrow;
}

std::wstring StatisticsOsVersion() {
  auto os_version = CCommonModule::Entry<GetOsVersionFn>("GetOsVersion");
  const wchar_t* text = os_version ? os_version() : nullptr;
  return text ? text : L"";
}

}  // namespace

CFeedbackDlg::CFeedbackDlg(CAppConfig* config)
    : config_(config ? config : CAppConfig::GetInstance()),
      http_module_(CHttpModule::DefaultPath()),
      os_version_(StatisticsOsVersion),
      completed_event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CFeedbackDlg::~CFeedbackDlg() {
  StopWorker();
  if (stop_event_) {
    CloseHandle(stop_event_);
  }
  if (completed_event_) {
    CloseHandle(completed_event_);
  }
}

std::wstring CFeedbackDlg::ServiceUrl(const CAppConfig& config) {
  std::wstring address = Trimmed(config.ReadFeedbackService());
  if (address.empty()) {
    address = Trimmed(GetLangString(L"app", L"FEEDBACK_SERVICE"));
  }
  while (!address.empty() && address.back() == L'/') {
    address.pop_back();
  }
  return address.empty() ? std::wstring() : address + kServicePath;
}

FeedbackCheck CFeedbackDlg::Check(const std::wstring& content, bool content_is_placeholder,
                                  const std::wstring& email, const std::wstring& phone) {
  FeedbackCheck check;
  check.content = !content.empty() && !content_is_placeholder && !Trimmed(content).empty();
  check.email = !email.empty() && email.find(L'@') != std::wstring::npos;
  const std::wstring number = Trimmed(phone);
  check.phone = number.size() == 11 && number[0] == L'1' &&
                std::wstring(L"345678").find(number[1]) != std::wstring::npos &&
                number.find_first_not_of(L"0123456789") == std::wstring::npos;
  return check;
}

bool CFeedbackDlg::WriteFeedbackTime() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  wchar_t text[32] = {};
  swprintf(text, 32, L"%04d-%02d-%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour,
           now.wMinute, now.wSecond);
  const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
  return SHSetValueW(HKEY_CURRENT_USER, L"Software\\Lumora", L"fbdata", REG_SZ, text, bytes) ==
         ERROR_SUCCESS;
}

std::wstring CFeedbackDlg::TextOf(const wchar_t* name) {
  CControlUI* control = paint_manager_.FindControl(name);
  return control ? control->GetText() : std::wstring();
}

void CFeedbackDlg::SetTipVisible(const wchar_t* name, bool visible) {
  if (CControlUI* tip = paint_manager_.FindControl(name)) {
    if (tip->IsVisible() != visible) {
      tip->SetVisible(visible);
    }
  }
}

void CFeedbackDlg::ShowPlaceholder() {
  auto* content = static_cast<CEditUI*>(paint_manager_.FindControl(L"content"));
  if (!content) {
    return;
  }
  content->SetTextColor(kPlaceholderColor);
  content->SetText(kPlaceholder);
  if (HWND native = content->GetNativeWindow()) {
    ::InvalidateRect(native, nullptr, TRUE);
  }
  placeholder_ = 1;
}

void CFeedbackDlg::InitWindow() {
  {
    std::lock_guard<std::mutex> guard(post_lock_);
    window_ = GetHWND();
  }
  CControlUI* content = paint_manager_.FindControl(L"content");
  if (content && paint_manager_.GetFocus() != content) {
    ShowPlaceholder();
  }
  if (CControlUI* phone_tip = paint_manager_.FindControl(L"phone_tip")) {
    phone_tip_text_ = phone_tip->GetText();
  }
  for (const wchar_t* tip : {L"content_tip", L"email_tip", L"phone_tip"}) {
    SetTipVisible(tip, false);
  }
  CDlgBase::InitWindow();
}

void CFeedbackDlg::OnContentFocus() {
  if (!placeholder_) {
    return;
  }
  auto* content = static_cast<CEditUI*>(paint_manager_.FindControl(L"content"));
  content->SetText(L"");
  content->SetTextColor(kTextColor);
  placeholder_ = 0;
}

void CFeedbackDlg::OnContentBlur() {
  if (TextOf(L"content").empty()) {
    ShowPlaceholder();
  }
}

void CFeedbackDlg::OnContentChanged() {
  if (placeholder_) {
    // The user's text has replaced the placeholder (the toolkit reports only
    // the user's changes, never the program's own SetText).
    if (auto* content = static_cast<CEditUI*>(paint_manager_.FindControl(L"content"))) {
      content->SetTextColor(kTextColor);
    }
    placeholder_ = 0;
    return;
  }
  SetTipVisible(L"content_tip", false);
}

void CFeedbackDlg::Notify(TNotifyUI& msg) {
  const std::wstring& name = msg.pSender ? msg.pSender->GetName() : std::wstring();
  if (name == L"content") {
    if (msg.sType == L"setfocus") {
      OnContentFocus();
    } else if (msg.sType == L"killfocus") {
      OnContentBlur();
    } else if (msg.sType == L"textchanged") {
      OnContentChanged();
    }
  } else if (msg.sType == L"textchanged" && name == L"email") {
    SetTipVisible(L"email_tip", false);
  } else if (msg.sType == L"textchanged" && name == L"phone") {
    SetTipVisible(L"phone_tip", false);
  }
  CDlgBase::Notify(msg);
}

void CFeedbackDlg::OnClick(TNotifyUI& msg) {
  const std::wstring& name = msg.pSender->GetName();
  if (name == L"commit") {
    OnCommit();
  } else if (name == L"cls") {
    HWND target = notify_window_ ? notify_window_ : ::GetWindow(GetHWND(), GW_OWNER);
    if (target) {
      // The owner deletes this object, which ends the modal run.
      PostMessageW(target, UM_FEEDBACK_CLOSED, 0, 0);
    } else {
      Close(0);
    }
  } else {
    CDlgBase::OnClick(msg);
  }
}

void CFeedbackDlg::OnCommit() {
  if (!WriteFeedbackTime()) {
    LOG_INFO << "fbdata not written";
  }
  const FeedbackCheck check =
      Check(TextOf(L"content"), placeholder_ != 0, TextOf(L"email"), TextOf(L"phone"));
  if (!check.content) {
    SetTipVisible(L"content_tip", true);
  }
  if (!check.email) {
    SetTipVisible(L"email_tip", true);
  }
  if (!check.phone) {
    // The tip may still hold a service error from an earlier send.
    if (CControlUI* phone_tip = paint_manager_.FindControl(L"phone_tip")) {
      phone_tip->SetText(phone_tip_text_);
    }
    SetTipVisible(L"phone_tip", true);
  }
  if (check.AllValid()) {
    Send();
  }
}

void CFeedbackDlg::Send() {
  FeedbackParams report;
  report.suggest = ToAnsi(Trimmed(TextOf(L"content")));
  report.email = ToAnsi(Trimmed(TextOf(L"email")));
  report.phone = ToAnsi(Trimmed(TextOf(L"phone")));
  report.system = ToAnsi(os_version_ ? os_version_() : std::wstring());
  last_report_ = report;

  StopWorker();
  if (!stop_event_) {
    stop_event_ = CreateEventW(nullptr, FALSE, FALSE, L"feed_stop_event");
  }
  const std::wstring url = ServiceUrl(*config_);
  runner_ = std::make_unique<CSingleThreadRunner>();
  runner_->PostTask([this, report, url] { Upload(report, url); });
}

void CFeedbackDlg::StopWorker() {
  if (!runner_) {
    return;
  }
  if (runner_->IsRunning()) {
    stop_requested_ = true;
    if (stop_event_) {
      SetEvent(stop_event_);
    }
  }
  runner_->Stop(kStopWaitMs);
  runner_.reset();
  stop_requested_ = false;
}

void CFeedbackDlg::Upload(const FeedbackParams& report, const std::wstring& url) {
  IHttpTaskFactory* factory = CHttpModule::Factory(http_module_);
  if (!factory) {
    return;
  }
  IHttpTask* request = factory->CreateTask();
  if (!request) {
    return;
  }
  request->SetOption("ungzip", 0);
  request->SetOption("gzip", 0);
  request->SetHeader("Content-Type", "multipart/form-data");
  request->AddFormField("suggest", report.suggest.c_str());
  request->AddFormField("email", report.email.c_str());
  request->AddFormField("phone", report.phone.c_str());
  request->AddFormField("type", "25");
  request->AddFormField("system", report.system.c_str());
  if (timeout_ms_ > 0) {
    request->SetTimeout(timeout_ms_);
  }
  ResetEvent(completed_event_);
  request->SetCallback(this);
  if (!request->Start(kHttpMethodPost, url.c_str())) {
    LOG_INFO << "send feedback failed";
    PostError(kNetworkError);
    request->Release();
    return;
  }
  // The request reports through this object, so the worker stays until it
  // has: the dialog waits for the worker before it goes.
  const HANDLE events[] = {completed_event_, stop_event_};
  for (;;) {
    const DWORD woken = WaitForMultipleObjects(stop_event_ ? 2 : 1, events, FALSE, kStopPollMs);
    if (woken == WAIT_OBJECT_0) {
      break;
    }
    if (stop_requested_) {
      // A running request reports its cancellation before Cancel returns;
      // one that has just ended is reporting now.
      request->Cancel();
      WaitForSingleObject(completed_event_, INFINITE);
      break;
    }
  }
  request->Release();
}

void CFeedbackDlg::PostError(const std::wstring& text) {
  {
    std::lock_guard<std::mutex> guard(post_lock_);
    error_text_ = text;
  }
  PostToDialog(kShowErrorMessage);
}

void CFeedbackDlg::PostToDialog(UINT message) {
  std::lock_guard<std::mutex> guard(post_lock_);
  if (window_) {
    PostMessageW(window_, message, 0, 0);
  }
}

void __stdcall CFeedbackDlg::OnHttpTaskComplete(int state, int http_status, const char* body,
                                                int body_length) {
  if (state == kHttpTaskIdle || state == kHttpTaskRunning) {
    return;
  }
  if (state == kHttpTaskFinished && http_status == 200) {
    const std::string text = body && body_length > 0
                                 ? std::string(body, static_cast<size_t>(body_length))
                                 : std::string();
    const FeedbackReply reply = ReadFeedbackReply(text);
    if (reply.outcome == FeedbackReply::kAccepted) {
      PostToDialog(WM_CLOSE);
    } else if (reply.outcome == FeedbackReply::kServiceError && !reply.message.empty()) {
      const std::wstring message = win_util::ToUtf16(reply.message, CP_UTF8);
      PostError(message.empty() ? kNetworkError : message);
    } else {
      PostError(kNetworkError);
    }
  } else if (state != kHttpTaskCancelled) {
    // No answer, a time-out or an error status: the report did not arrive.
    PostError(kNetworkError);
  }
  // The last touch of this object on this thread.
  SetEvent(completed_event_);
}

LRESULT CFeedbackDlg::HandleCustomMessage(UINT message, WPARAM wparam, LPARAM lparam,
                                          BOOL& handled) {
  if (message == kShowErrorMessage) {
    std::wstring text;
    {
      std::lock_guard<std::mutex> guard(post_lock_);
      text = error_text_;
    }
    if (CControlUI* phone_tip = paint_manager_.FindControl(L"phone_tip")) {
      phone_tip->SetText(text);
      phone_tip->SetVisible(true);
    }
    handled = TRUE;
    return 0;
  }
  return CDlgBase::HandleCustomMessage(message, wparam, lparam, handled);
}

LRESULT CFeedbackDlg::OnDestroy(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) {
  {
    std::lock_guard<std::mutex> guard(post_lock_);
    window_ = nullptr;
  }
  return CDlgBase::OnDestroy(message, wparam, lparam, handled);
}
