#include "http/http_task_impl.h"

#include <cstring>

#include "http/gzip_codec.h"
#include "http/http_task_factory.h"
#include "http/multipart_body.h"

namespace {

constexpr size_t kMaxHeaderLength = 8192;

bool IsTokenChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

// A header name is an HTTP token; a value must not break the header block.
bool IsValidHeader(const std::string& name, const std::string& value) {
  if (name.empty() || name.size() > kMaxHeaderLength || value.size() > kMaxHeaderLength) {
    return false;
  }
  for (char c : name) {
    if (!IsTokenChar(c)) {
      return false;
    }
  }
  return value.find_first_of("\r\n", 0) == std::string::npos &&
         value.find('\0') == std::string::npos;
}

bool SameHeaderName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && _strnicmp(a.c_str(), b.c_str(), a.size()) == 0;
}

void PutHeader(std::vector<std::pair<std::string, std::string>>* headers, const std::string& name,
               const std::string& value) {
  for (auto& header : *headers) {
    if (SameHeaderName(header.first, name)) {
      header.second = value;
      return;
    }
  }
  headers->emplace_back(name, value);
}

}  // namespace

CHttpTask::CHttpTask(CHttpTaskFactory* factory) : factory_(factory) {}

CHttpTask::~CHttpTask() = default;

void __stdcall CHttpTask::SetCallback(IHttpTaskCallback* callback) {
  std::lock_guard<std::mutex> guard(lock_);
  if (state_ != kHttpTaskRunning) {
    callback_ = callback;
  }
}

void __stdcall CHttpTask::SetHeader(const char* name, const char* value) {
  if (!name || !value || !IsValidHeader(name, value)) {
    return;
  }
  std::lock_guard<std::mutex> guard(lock_);
  if (state_ != kHttpTaskRunning) {
    PutHeader(&headers_, name, value);
  }
}

void __stdcall CHttpTask::SetBody(const char* data, int length) {
  if (length < 0 || (length > 0 && !data)) {
    return;
  }
  std::lock_guard<std::mutex> guard(lock_);
  if (state_ != kHttpTaskRunning) {
    raw_body_.assign(data ? data : "", static_cast<size_t>(length));
  }
}

void __stdcall CHttpTask::AddFormField(const char* name, const char* value) {
  if (!name || !*name) {
    return;
  }
  std::lock_guard<std::mutex> guard(lock_);
  if (state_ != kHttpTaskRunning) {
    fields_.emplace_back(name, value ? value : "");
  }
}

void __stdcall CHttpTask::SetTimeout(int milliseconds) {
  std::lock_guard<std::mutex> guard(lock_);
  if (milliseconds > 0 && state_ != kHttpTaskRunning) {
    timeout_ms_ = milliseconds;
  }
}

void __stdcall CHttpTask::SetOption(const char* name, int value) {
  if (!name) {
    return;
  }
  std::lock_guard<std::mutex> guard(lock_);
  if (state_ == kHttpTaskRunning) {
    return;
  }
  if (strcmp(name, "gzip") == 0) {
    gzip_request_ = value != 0;
  } else if (strcmp(name, "ungzip") == 0) {
    inflate_response_ = value != 0;
  }
}

int __stdcall CHttpTask::Start(int method, const wchar_t* url) {
  if ((method != kHttpMethodGet && method != kHttpMethodPost) || !url ||
      !http_module::CWinHttpTransfer::IsUsableUrl(url)) {
    return 0;
  }
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (state_ == kHttpTaskRunning || thread_active_) {
      return 0;
    }
    method_ = method;
    url_ = url;
    state_ = kHttpTaskRunning;
    status_ = 0;
    response_.clear();
    thread_active_ = true;
    transfer_.Reset();
  }
  // The thread holds a reference to the task and to the module, so neither
  // goes away under it.
  AddRef();
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCWSTR>(&CHttpTask::ThreadMain), &module);
  HANDLE thread = CreateThread(nullptr, 0, ThreadMain, this, CREATE_SUSPENDED, nullptr);
  if (thread && factory_->TaskStarted(this, thread)) {
    ResumeThread(thread);
    return 1;
  }
  if (thread) {
    TerminateThread(thread, 0);  // never ran: it was created suspended
    CloseHandle(thread);
  }
  if (module) {
    FreeLibrary(module);
  }
  {
    std::lock_guard<std::mutex> guard(lock_);
    state_ = kHttpTaskIdle;
    thread_active_ = false;
  }
  Release();
  return 0;
}

void __stdcall CHttpTask::Cancel() {
  IHttpTaskCallback* callback = nullptr;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (state_ != kHttpTaskRunning) {
      return;
    }
    state_ = kHttpTaskCancelled;
    status_ = 0;
    response_.clear();
    callback = callback_;
  }
  transfer_.Abort();
  if (callback) {
    callback->OnHttpTaskComplete(kHttpTaskCancelled, 0, "", 0);
  }
}

void __stdcall CHttpTask::Release() {
  if (refs_.fetch_sub(1) == 1) {
    delete this;
  }
}

int __stdcall CHttpTask::GetState() {
  std::lock_guard<std::mutex> guard(lock_);
  return state_;
}

int __stdcall CHttpTask::GetHttpStatus() {
  std::lock_guard<std::mutex> guard(lock_);
  return status_;
}

const char* __stdcall CHttpTask::GetResponseBody() {
  std::lock_guard<std::mutex> guard(lock_);
  return state_ == kHttpTaskRunning ? "" : response_.c_str();
}

int __stdcall CHttpTask::GetResponseLength() {
  std::lock_guard<std::mutex> guard(lock_);
  return state_ == kHttpTaskRunning ? 0 : static_cast<int>(response_.size());
}

DWORD WINAPI CHttpTask::ThreadMain(void* param) {
  auto* task = static_cast<CHttpTask*>(param);
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&CHttpTask::ThreadMain), &module);
  task->Run();
  task->factory_->TaskEnded(task);
  task->Release();
  FreeLibraryAndExitThread(module, 0);
  return 0;
}

http_module::HttpOutgoingRequest CHttpTask::BuildRequest() {
  std::lock_guard<std::mutex> guard(lock_);
  http_module::HttpOutgoingRequest outgoing;
  outgoing.url = url_;
  outgoing.verb = method_ == kHttpMethodPost ? L"POST" : L"GET";
  outgoing.timeout_ms = static_cast<DWORD>(timeout_ms_);
  outgoing.headers = headers_;
  if (!fields_.empty()) {
    // The caller names the type; the boundary is ours to add.
    const http_module::CMultipartBody multipart(fields_);
    outgoing.body = multipart.Build();
    PutHeader(&outgoing.headers, "Content-Type", multipart.ContentType());
  } else {
    outgoing.body = raw_body_;
  }
  std::string compressed;
  if (gzip_request_ && !outgoing.body.empty() &&
      http_module::GzipCompress(outgoing.body, &compressed)) {
    outgoing.body = std::move(compressed);
    PutHeader(&outgoing.headers, "Content-Encoding", "gzip");
  }
  if (inflate_response_) {
    PutHeader(&outgoing.headers, "Accept-Encoding", "gzip");
  }
  return outgoing;
}

void CHttpTask::Run() {
  const http_module::HttpOutgoingRequest outgoing = BuildRequest();
  http_module::HttpResponse response;
  bool answered = transfer_.Perform(outgoing, kMaxResponseBytes, &response);
  bool inflate = false;
  {
    std::lock_guard<std::mutex> guard(lock_);
    inflate = inflate_response_;
  }
  if (answered && inflate && _stricmp(response.content_encoding.c_str(), "gzip") == 0) {
    std::string inflated;
    answered = http_module::GzipInflate(response.body, kMaxResponseBytes, &inflated);
    response.body = std::move(inflated);
  }
  if (!answered) {
    response = http_module::HttpResponse();
  }
  Finish(answered ? kHttpTaskFinished : kHttpTaskFailed, response.status, std::move(response.body));
}

void CHttpTask::Finish(int state, int status, std::string body) {
  IHttpTaskCallback* callback = nullptr;
  std::string body_for_callback;
  {
    std::lock_guard<std::mutex> guard(lock_);
    thread_active_ = false;
    if (state_ != kHttpTaskRunning) {
      return;  // cancelled, and already reported
    }
    state_ = state;
    status_ = status;
    response_ = std::move(body);
    body_for_callback = response_;
    callback = callback_;
  }
  if (callback) {
    callback->OnHttpTaskComplete(state, status, body_for_callback.c_str(),
                                 static_cast<int>(body_for_callback.size()));
  }
}
