#pragma once

// The request objects of the HTTP module "zudad.dll". Callers use them only
// through their tables of virtual operations, so the order of the
// declarations is the binary contract (slot 0 first).

enum HttpMethod { kHttpMethodGet = 1, kHttpMethodPost = 2 };

enum HttpTaskState {
  kHttpTaskIdle = 0,
  kHttpTaskRunning = 1,
  kHttpTaskFinished = 2,  // the server answered; see the HTTP status
  kHttpTaskFailed = 3,    // no answer: bad address, refused, timed out
  kHttpTaskCancelled = 4,
};

// Implemented by the caller; called once per started request, on a thread of
// the module.
class IHttpTaskCallback {
 public:
  // Slot 0. body is the response body (UTF-8 text), NUL-terminated, valid
  // only during the call; status is 0 when the server did not answer.
  virtual void __stdcall OnHttpTaskComplete(int state, int http_status, const char* body,
                                            int body_length) = 0;

 protected:
  ~IHttpTaskCallback() = default;
};

class IHttpTask {
 public:
  virtual void __stdcall SetCallback(IHttpTaskCallback* callback) = 0;  // slot 0
  // Slot 1: method is an HttpMethod; 0 when the request could not start.
  virtual int __stdcall Start(int method, const wchar_t* url) = 0;
  virtual void __stdcall Cancel() = 0;  // slot 2
  // Slot 3: the caller's reference ends; a running request finishes first.
  virtual void __stdcall Release() = 0;
  virtual void __stdcall SetHeader(const char* name, const char* value) = 0;  // slot 4
  // Slot 5: a raw request body, used when no form field was added.
  virtual void __stdcall SetBody(const char* data, int length) = 0;
  // Slot 6: fields are sent in the order they were added.
  virtual void __stdcall AddFormField(const char* name, const char* value) = 0;
  virtual int __stdcall GetState() = 0;       // slot 7
  virtual int __stdcall GetHttpStatus() = 0;  // slot 8
  // Slots 9 and 10: the response body once finished; valid until Release.
  virtual const char* __stdcall GetResponseBody() = 0;
  virtual int __stdcall GetResponseLength() = 0;
  virtual void __stdcall SetTimeout(int milliseconds) = 0;  // slot 11
  // Slot 12: "gzip" 1 compresses the request body, "ungzip" 1 accepts and
  // inflates a compressed response. Both are 0 by default.
  virtual void __stdcall SetOption(const char* name, int value) = 0;

 protected:
  ~IHttpTask() = default;
};

class IHttpTaskFactory {
 public:
  // Slot 0: a new request owned by the caller (see Release); null when out of memory.
  virtual IHttpTask* __stdcall CreateTask() = 0;

 protected:
  ~IHttpTaskFactory() = default;
};
