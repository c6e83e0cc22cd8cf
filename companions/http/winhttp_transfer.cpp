#include "http/winhttp_transfer.h"

#include <initializer_list>

namespace http_module {

namespace {

constexpr const wchar_t* kUserAgent = L"Lumora/1.0";

struct CrackedUrl {
  std::wstring host;
  std::wstring path;  // path and query
  INTERNET_PORT port = 0;
  bool secure = false;
};

bool CrackUrl(const std::wstring& url, CrackedUrl* cracked) {
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (url.empty() || !WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
    return false;
  }
  if ((parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) ||
      parts.dwHostNameLength == 0) {
    return false;
  }
  cracked->host.assign(parts.lpszHostName, parts.dwHostNameLength);
  cracked->path.assign(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
  if (parts.lpszExtraInfo) {
    cracked->path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  }
  if (cracked->path.empty()) {
    cracked->path = L"/";
  }
  cracked->port = parts.nPort;
  cracked->secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  return true;
}

// Header names and values are 8-bit; WinHTTP takes them as UTF-16 and sends
// each character as one byte.
std::wstring HeaderLines(const std::vector<std::pair<std::string, std::string>>& headers) {
  std::wstring lines;
  for (const auto& header : headers) {
    for (unsigned char c : header.first) {
      lines += static_cast<wchar_t>(c);
    }
    lines += L": ";
    for (unsigned char c : header.second) {
      lines += static_cast<wchar_t>(c);
    }
    lines += L"\r\n";
  }
  return lines;
}

std::string QueryTextHeader(HINTERNET request, DWORD which) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) {
    return std::string();
  }
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, &text[0], &size,
                           WINHTTP_NO_HEADER_INDEX)) {
    return std::string();
  }
  text.resize(size / sizeof(wchar_t));
  return std::string(text.begin(), text.end());
}

}  // namespace

CWinHttpTransfer::~CWinHttpTransfer() { CloseAll(); }

bool CWinHttpTransfer::IsUsableUrl(const std::wstring& url) {
  CrackedUrl cracked;
  return CrackUrl(url, &cracked);
}

bool CWinHttpTransfer::Keep(HINTERNET handle, HINTERNET* slot) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!handle) {
    return false;
  }
  if (aborted_) {
    WinHttpCloseHandle(handle);
    return false;
  }
  *slot = handle;
  return true;
}

bool CWinHttpTransfer::aborted() {
  std::lock_guard<std::mutex> guard(lock_);
  return aborted_;
}

void CWinHttpTransfer::Abort() {
  std::lock_guard<std::mutex> guard(lock_);
  aborted_ = true;
  // Closing the request handle ends a blocked call on the worker thread.
  if (request_) {
    WinHttpCloseHandle(request_);
    request_ = nullptr;
  }
}

void CWinHttpTransfer::Reset() {
  CloseAll();
  std::lock_guard<std::mutex> guard(lock_);
  aborted_ = false;
}

void CWinHttpTransfer::CloseAll() {
  std::lock_guard<std::mutex> guard(lock_);
  for (HINTERNET* handle : {&request_, &connection_, &session_}) {
    if (*handle) {
      WinHttpCloseHandle(*handle);
      *handle = nullptr;
    }
  }
}

bool CWinHttpTransfer::Perform(const HttpOutgoingRequest& outgoing, size_t max_body,
                               HttpResponse* response) {
  CrackedUrl url;
  if (!CrackUrl(outgoing.url, &url)) {
    return false;
  }
  if (!Keep(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                        WINHTTP_NO_PROXY_BYPASS, 0),
            &session_)) {
    return false;
  }
  const int timeout = static_cast<int>(outgoing.timeout_ms);
  WinHttpSetTimeouts(session_, timeout, timeout, timeout, timeout);
  if (!Keep(WinHttpConnect(session_, url.host.c_str(), url.port, 0), &connection_) ||
      !Keep(WinHttpOpenRequest(connection_, outgoing.verb, url.path.c_str(), nullptr,
                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                               url.secure ? WINHTTP_FLAG_SECURE : 0),
            &request_)) {
    CloseAll();
    return false;
  }
  HINTERNET request = request_;
  // Waiting for the answer's headers has a limit of its own, which the
  // session's timeouts leave unlimited on some systems (Wine's WinHTTP).
  DWORD response_timeout = outgoing.timeout_ms;
  WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &response_timeout,
                   sizeof(response_timeout));
  const std::wstring headers = HeaderLines(outgoing.headers);
  const DWORD body_size = static_cast<DWORD>(outgoing.body.size());
  bool answered =
      WinHttpSendRequest(request, headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                         static_cast<DWORD>(-1), const_cast<char*>(outgoing.body.data()), body_size,
                         body_size, 0) &&
      WinHttpReceiveResponse(request, nullptr);
  if (answered) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    answered = WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                   WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                                   WINHTTP_NO_HEADER_INDEX) != 0;
    response->status = static_cast<int>(status);
    response->content_encoding = QueryTextHeader(request, WINHTTP_QUERY_CONTENT_ENCODING);
  }
  while (answered) {
    char buffer[16 * 1024];
    DWORD got = 0;
    if (!WinHttpReadData(request, buffer, sizeof(buffer), &got)) {
      answered = false;
    } else if (got == 0) {
      break;
    } else if (response->body.size() + got > max_body) {
      answered = false;
    } else {
      response->body.append(buffer, got);
    }
  }
  CloseAll();
  return answered && !aborted();
}

}  // namespace http_module
