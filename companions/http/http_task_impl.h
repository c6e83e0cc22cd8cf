#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "http/winhttp_transfer.h"
#include "integration/http_task.h"

class CHttpTaskFactory;

// One request of the HTTP module. It is set up while idle, runs on a thread
// of its own once started, and reports its end to the callback once: from
// that thread when the exchange ends, or from Cancel at once (a blocked
// exchange is then left to end by itself and reports nothing).
class CHttpTask final : public IHttpTask {
 public:
  explicit CHttpTask(CHttpTaskFactory* factory);

  void __stdcall SetCallback(IHttpTaskCallback* callback) override;
  int __stdcall Start(int method, const wchar_t* url) override;
  void __stdcall Cancel() override;
  void __stdcall Release() override;
  void __stdcall SetHeader(const char* name, const char* value) override;
  void __stdcall SetBody(const char* data, int length) override;
  void __stdcall AddFormField(const char* name, const char* value) override;
  int __stdcall GetState() override;
  int __stdcall GetHttpStatus() override;
  const char* __stdcall GetResponseBody() override;
  int __stdcall GetResponseLength() override;
  void __stdcall SetTimeout(int milliseconds) override;
  void __stdcall SetOption(const char* name, int value) override;

  void AddRef() { refs_.fetch_add(1); }

  static constexpr size_t kMaxResponseBytes = 16 * 1024 * 1024;
  static constexpr int kDefaultTimeoutMs = 30000;

 private:
  ~CHttpTask();
  static DWORD WINAPI ThreadMain(void* param);
  void Run();
  http_module::HttpOutgoingRequest BuildRequest();
  void Finish(int state, int status, std::string body);

  CHttpTaskFactory* const factory_;
  std::atomic<long> refs_{1};
  std::mutex lock_;
  IHttpTaskCallback* callback_ = nullptr;
  std::vector<std::pair<std::string, std::string>> headers_;
  std::vector<std::pair<std::string, std::string>> fields_;
  std::string raw_body_;
  std::wstring url_;
  int method_ = 0;
  int timeout_ms_ = kDefaultTimeoutMs;
  bool gzip_request_ = false;
  bool inflate_response_ = false;
  int state_ = kHttpTaskIdle;
  int status_ = 0;
  std::string response_;
  bool thread_active_ = false;
  http_module::CWinHttpTransfer transfer_;
};
