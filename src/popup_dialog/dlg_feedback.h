#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "basic_lib/single_thread_runner.h"
#include "integration/http_task.h"
#include "popup_dialog/dlg_base.h"
#include "popup_dialog/feedback_reply.h"

class CAppConfig;

// A problem report, in the system's ANSI code page.
struct FeedbackParams {
  std::string suggest;  // the content
  std::string email;
  std::string phone;
  std::string system;      // the operating system's description
  std::string kind = "3";  // carried along, not sent
};

// Which of the three fields of the form hold acceptable texts.
struct FeedbackCheck {
  bool content = false;
  bool email = false;
  bool phone = false;
  bool AllValid() const { return content && email && phone; }
};

// The feedback form: a free text, an e-mail address and a mobile number,
// sent as a multipart form to the feedback service through the HTTP module
// on a worker thread. It closes by itself when the service accepts the
// report and shows the service's error text (or a network error) otherwise.
// The worker and the module's completion reach the window only by posting
// messages; the worker waits for its request, so no completion outlives the
// dialog.
class CFeedbackDlg : public CDlgBase, public IHttpTaskCallback {
 public:
  // Posted to the dialog: the error text is to be shown in "phone_tip".
  static constexpr UINT kShowErrorMessage = 3045;
  static constexpr const wchar_t* kServicePath = L"/live/intf/addFeedback";
  static constexpr const wchar_t* kPlaceholder =
      L"请详细描述您遇到的问题，信息越详细，越有利于解决问题哦~";
  static constexpr const wchar_t* kNetworkError = L"发送失败，请检查网络";
  static constexpr uint32_t kPlaceholderColor = 0xFFAAAAAA;
  static constexpr uint32_t kTextColor = 0xFF2E302F;
  // How long a destroyed dialog waits for its worker.
  static constexpr DWORD kStopWaitMs = 16777215;

  // config gives the service's address (the process-wide store when null).
  explicit CFeedbackDlg(CAppConfig* config = nullptr);
  ~CFeedbackDlg() override;

  const wchar_t* GetWindowClassName() const override { return L"CFeedbackDlg"; }
  std::wstring GetSkinFile() override { return L"questionnaire.xml"; }

  // Where "cls" reports (message 33284); by default the owner window.
  void set_notify_window(HWND window) { notify_window_ = window; }
  // The HTTP module's file; by default the program folder's.
  void set_http_module(const std::wstring& path) { http_module_ = path; }
  // The request's time limit; 0 keeps the module's own.
  void set_timeout_ms(int timeout_ms) { timeout_ms_ = timeout_ms; }
  // The operating system's description; by default the statistics module's
  // GetOsVersion.
  void set_os_version(std::function<std::wstring()> os_version) { os_version_ = os_version; }

  // The full address of the service: the settings file's feedback_service,
  // else the language file's "app"/FEEDBACK_SERVICE, followed by kServicePath.
  static std::wstring ServiceUrl(const CAppConfig& config);
  // The checks of the commit button; content_is_placeholder is the
  // placeholder flag.
  static FeedbackCheck Check(const std::wstring& content, bool content_is_placeholder,
                             const std::wstring& email, const std::wstring& phone);
  // Writes the local time as "fbdata" under HKEY_CURRENT_USER\Software\Lumora.
  static bool WriteFeedbackTime();

  bool placeholder_shown() const { return placeholder_ != 0; }
  // The report of the last send.
  const FeedbackParams& last_report() const { return last_report_; }

  void InitWindow() override;
  void Notify(TNotifyUI& msg) override;
  void OnClick(TNotifyUI& msg) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;
  LRESULT OnDestroy(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;

  // IHttpTaskCallback, on a thread of the HTTP module.
  void __stdcall OnHttpTaskComplete(int state, int http_status, const char* body,
                                    int body_length) override;

 private:
  void ShowPlaceholder();
  void OnContentFocus();
  void OnContentBlur();
  void OnContentChanged();
  void OnCommit();
  void Send();
  void StopWorker();
  // The task, on the worker thread.
  void Upload(const FeedbackParams& report, const std::wstring& url);
  // From any thread: the text for "phone_tip", shown through message 3045.
  void PostError(const std::wstring& text);
  // From any thread: posts to the window while it exists.
  void PostToDialog(UINT message);
  void SetTipVisible(const wchar_t* name, bool visible);
  std::wstring TextOf(const wchar_t* name);

  CAppConfig* config_;
  HWND notify_window_ = nullptr;
  std::wstring http_module_;
  int timeout_ms_ = 0;
  std::function<std::wstring()> os_version_;

  int placeholder_ = 0;
  std::wstring phone_tip_text_;
  FeedbackParams last_report_;
  std::unique_ptr<CSingleThreadRunner> runner_;
  HANDLE stop_event_ = nullptr;
  // Set by the completion once it has done all it will do.
  HANDLE completed_event_ = nullptr;
  std::atomic<bool> stop_requested_{false};
  // Guards the two members below, which the worker and the module's thread use.
  std::mutex post_lock_;
  HWND window_ = nullptr;
  std::wstring error_text_;
};
