#pragma once

#include <windows.h>
#include <winhttp.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace http_module {

struct HttpOutgoingRequest {
  std::wstring url;
  const wchar_t* verb = L"GET";
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  DWORD timeout_ms = 30000;
};

struct HttpResponse {
  int status = 0;
  std::string content_encoding;
  std::string body;
};

// One HTTP exchange through WinHTTP, run synchronously on the calling thread;
// Abort, from any other thread, ends it early.
class CWinHttpTransfer {
 public:
  CWinHttpTransfer() = default;
  ~CWinHttpTransfer();
  CWinHttpTransfer(const CWinHttpTransfer&) = delete;
  CWinHttpTransfer& operator=(const CWinHttpTransfer&) = delete;

  // True for an absolute http or https URL with a host.
  static bool IsUsableUrl(const std::wstring& url);

  // False when no answer came (bad address, refused, timed out, aborted, or a
  // body larger than max_body bytes).
  bool Perform(const HttpOutgoingRequest& outgoing, size_t max_body, HttpResponse* response);
  void Abort();
  // Makes the object ready for the next Perform; not while one runs.
  void Reset();
  bool aborted();

 private:
  bool Keep(HINTERNET handle, HINTERNET* slot);
  void CloseAll();

  std::mutex lock_;
  bool aborted_ = false;
  HINTERNET session_ = nullptr;
  HINTERNET connection_ = nullptr;
  HINTERNET request_ = nullptr;
};

}  // namespace http_module
