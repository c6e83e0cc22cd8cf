#include <windows.h>

#include <cJSON.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <utility>
#include <vector>

#include "integration/companion_entry_points.h"
#include "basic_lib/win_util.h"
#include "support/test_paths.h"

namespace {

class RecordingCallback : public IHttpTaskCallback {
 public:
  RecordingCallback() : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  virtual ~RecordingCallback() { CloseHandle(done_); }

  void __stdcall OnHttpTaskComplete(int state, int http_status, const char* body,
                                    int body_length) override {
    ++calls;
    this->state = state;
    status = http_status;
    this->body.assign(body, static_cast<size_t>(body_length));
    terminated = body[body_length] == '\0';
    SetEvent(done_);
  }
  bool Wait(DWORD ms = 15000) { return WaitForSingleObject(done_, ms) == WAIT_OBJECT_0; }

  int calls = 0;
  int state = -1;
  int status = -1;
  bool terminated = false;
  std::string body;

 private:
  HANDLE done_;
};

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

std::wstring ServerUrl(const std::wstring& path) {
  wchar_t file[MAX_PATH] = {};
  GetEnvironmentVariableW(L"LUMORA_HTTP_PORT_FILE", file, MAX_PATH);
  const std::string port = test_support::ReadFileBytes(file);
  return L"http://127.0.0.1:" + std::wstring(port.begin(), port.end()) + path;
}

// The request's operations by slot number, as a caller that only knows the
// slot layout uses them.
class RequestSlots {
 public:
  explicit RequestSlots(void* request)
      : request_(request), slots_(*static_cast<void***>(request)) {}

  void SetCallback(IHttpTaskCallback* callback) {
    Slot<void (*)(void*, IHttpTaskCallback*)>(0)(request_, callback);
  }
  int Start(int method, const wchar_t* url) {
    return Slot<int (*)(void*, int, const wchar_t*)>(1)(request_, method, url);
  }
  void Cancel() { Slot<void (*)(void*)>(2)(request_); }
  void Release() { Slot<void (*)(void*)>(3)(request_); }
  void SetHeader(const char* name, const char* value) {
    Slot<void (*)(void*, const char*, const char*)>(4)(request_, name, value);
  }
  void AddFormField(const char* name, const char* value) {
    Slot<void (*)(void*, const char*, const char*)>(6)(request_, name, value);
  }
  int GetState() { return Slot<int (*)(void*)>(7)(request_); }
  int GetHttpStatus() { return Slot<int (*)(void*)>(8)(request_); }
  std::string GetResponseBody() {
    const char* body = Slot<const char* (*)(void*)>(9)(request_);
    return std::string(body, Slot<int (*)(void*)>(10)(request_));
  }
  void SetOption(const char* name, int value) {
    Slot<void (*)(void*, const char*, int)>(12)(request_, name, value);
  }

 private:
  // Every operation uses the standard calling convention.
  template <class Fn>
  struct StdCall;
  template <class R, class... Args>
  struct StdCall<R (*)(Args...)> {
    using type = R(__stdcall*)(Args...);
  };
  template <class Fn>
  typename StdCall<Fn>::type Slot(int index) {
    return reinterpret_cast<typename StdCall<Fn>::type>(slots_[index]);
  }

  void* request_;
  void** slots_;
};

class HttpDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryW((test_support::DistFolder() + L"\\zudad.dll").c_str());
  }
  static void TearDownTestSuite() {
    if (module_) {
      win_util::GetProcAddressAs<HttpUninitFn>(module_, "HttpUninit")();
      FreeLibrary(module_);
    }
  }

  void SetUp() override {
    ASSERT_NE(module_, nullptr) << "zudad.dll is not in the program folder";
    auto init = win_util::GetProcAddressAs<HttpInitFn>(module_, "HttpInit");
    ASSERT_NE(init, nullptr);
    factory_ = init();
    ASSERT_NE(factory_, nullptr);
  }

  // Factory slot 0.
  void* NewRequest() {
    void** slots = *reinterpret_cast<void***>(factory_);
    return reinterpret_cast<void*(__stdcall*)(void*)>(slots[0])(factory_);
  }

  static HMODULE module_;
  IHttpTaskFactory* factory_ = nullptr;
};

HMODULE HttpDll::module_ = nullptr;

TEST_F(HttpDll, ZlibEntryPointsRoundTripAndRejectBadInput) {
  auto bound = win_util::GetProcAddressAs<ZlibCompressBoundFn>(module_, "zlib_compressBound");
  auto pack = win_util::GetProcAddressAs<ZlibCompressFn>(module_, "zlib_compress");
  auto unpack = win_util::GetProcAddressAs<ZlibUncompressFn>(module_, "zlib_uncompress");
  ASSERT_TRUE(bound && pack && unpack);
  ASSERT_NE(GetProcAddress(module_, "HttpUninit"), nullptr);

  std::string input;
  for (int i = 0; i < 5000; ++i) {
    input += "picture " + std::to_string(i % 37) + "\n";
  }
  const auto* source = reinterpret_cast<const unsigned char*>(input.data());
  unsigned long packed_size = bound(static_cast<unsigned long>(input.size()));
  EXPECT_GE(packed_size, input.size());
  std::vector<unsigned char> packed(packed_size);
  ASSERT_EQ(pack(packed.data(), &packed_size, source, static_cast<unsigned long>(input.size())),
            Z_OK);
  EXPECT_LT(packed_size, input.size() / 4);

  std::vector<unsigned char> unpacked(input.size());
  unsigned long unpacked_size = static_cast<unsigned long>(unpacked.size());
  ASSERT_EQ(unpack(unpacked.data(), &unpacked_size, packed.data(), packed_size), Z_OK);
  EXPECT_EQ(std::string(unpacked.begin(), unpacked.begin() + unpacked_size), input);

  unsigned long small = 10;
  EXPECT_EQ(unpack(unpacked.data(), &small, packed.data(), packed_size), Z_BUF_ERROR);
  const unsigned char garbage[] = {1, 2, 3, 4, 5, 6, 7, 8};
  unsigned long size = static_cast<unsigned long>(unpacked.size());
  EXPECT_EQ(unpack(unpacked.data(), &size, garbage, sizeof(garbage)), Z_DATA_ERROR);
  EXPECT_EQ(pack(nullptr, &size, source, 4), Z_STREAM_ERROR);
  EXPECT_EQ(unpack(unpacked.data(), nullptr, garbage, sizeof(garbage)), Z_STREAM_ERROR);
}

struct Field {
  const char* name;
  std::string value;
};

TEST_F(HttpDll, PostsMultipartFieldsInOrderAndReturnsStatusAndBody) {
  void* request = NewRequest();
  ASSERT_NE(request, nullptr);
  RequestSlots slots(request);
  RecordingCallback callback;
  // The feedback form's sequence.
  slots.SetOption("ungzip", 0);
  slots.SetOption("gzip", 0);
  slots.SetHeader("Content-Type", "multipart/form-data");
  const std::vector<Field> fields = {
      {"suggest", "It crashes\r\n--when zooming\r\n\xc4\xe3\xba\xc3"},
      {"email", "user@example.com"},
      {"phone", "13800000000"},
      {"type", "25"},
      {"system", "Windows 10 64-bit 10.0.19045"},
      {"empty", ""},
      {"quote\"d", "x"},
  };
  for (const Field& field : fields) {
    slots.AddFormField(field.name, field.value.c_str());
  }
  slots.SetCallback(&callback);
  ASSERT_NE(slots.Start(kHttpMethodPost, ServerUrl(L"/echo").c_str()), 0);
  ASSERT_TRUE(callback.Wait());

  EXPECT_EQ(callback.calls, 1);
  EXPECT_EQ(callback.state, kHttpTaskFinished);
  EXPECT_EQ(callback.status, 200);
  EXPECT_TRUE(callback.terminated);
  EXPECT_EQ(slots.GetState(), kHttpTaskFinished);
  EXPECT_EQ(slots.GetHttpStatus(), 200);
  EXPECT_EQ(slots.GetResponseBody(), callback.body);

  cJSON* report = cJSON_Parse(callback.body.c_str());
  ASSERT_NE(report, nullptr) << callback.body;
  EXPECT_STREQ(cJSON_GetObjectItem(report, "method")->valuestring, "POST");
  EXPECT_STREQ(cJSON_GetObjectItem(report, "path")->valuestring, "/echo");
  EXPECT_EQ(std::string(cJSON_GetObjectItem(report, "content_type")->valuestring)
                .rfind("multipart/form-data; boundary=", 0),
            0u);
  ASSERT_EQ(cJSON_GetObjectItem(report, "error"), nullptr)
      << cJSON_GetObjectItem(report, "error")->valuestring;
  cJSON* received = cJSON_GetObjectItem(report, "fields");
  ASSERT_NE(received, nullptr);
  ASSERT_EQ(cJSON_GetArraySize(received), static_cast<int>(fields.size()));
  for (size_t i = 0; i < fields.size(); ++i) {
    cJSON* pair = cJSON_GetArrayItem(received, static_cast<int>(i));
    const std::string expected_name =
        i + 1 == fields.size() ? std::string("quote%22d") : std::string(fields[i].name);
    EXPECT_EQ(cJSON_GetArrayItem(pair, 0)->valuestring, expected_name);
    EXPECT_EQ(cJSON_GetArrayItem(pair, 1)->valuestring, Hex(fields[i].value)) << expected_name;
  }
  cJSON_Delete(report);
  slots.Release();
}

TEST_F(HttpDll, CompressesTheRequestAndInflatesTheAnswerWhenAsked) {
  RecordingCallback posted;
  void* post = NewRequest();
  RequestSlots post_slots(post);
  post_slots.SetOption("gzip", 1);
  post_slots.AddFormField("suggest", "a long text a long text a long text");
  post_slots.SetCallback(&posted);
  ASSERT_NE(post_slots.Start(kHttpMethodPost, ServerUrl(L"/echo").c_str()), 0);
  ASSERT_TRUE(posted.Wait());
  EXPECT_EQ(posted.status, 200);
  cJSON* report = cJSON_Parse(posted.body.c_str());
  ASSERT_NE(report, nullptr);
  EXPECT_STREQ(cJSON_GetObjectItem(report, "content_encoding")->valuestring, "gzip");
  cJSON* fields = cJSON_GetObjectItem(report, "fields");
  ASSERT_EQ(cJSON_GetArraySize(fields), 1);
  EXPECT_EQ(cJSON_GetArrayItem(cJSON_GetArrayItem(fields, 0), 1)->valuestring,
            Hex("a long text a long text a long text"));
  cJSON_Delete(report);
  post_slots.Release();

  RecordingCallback fetched;
  void* get = NewRequest();
  RequestSlots get_slots(get);
  get_slots.SetOption("ungzip", 1);
  get_slots.SetCallback(&fetched);
  ASSERT_NE(get_slots.Start(kHttpMethodGet, ServerUrl(L"/gzip").c_str()), 0);
  ASSERT_TRUE(fetched.Wait());
  EXPECT_EQ(fetched.state, kHttpTaskFinished);
  EXPECT_EQ(fetched.body, "compressed hello");
  get_slots.Release();
}

TEST_F(HttpDll, AnswersOtherThan200ComeBackWithTheirStatus) {
  RecordingCallback callback;
  RequestSlots slots(NewRequest());
  slots.AddFormField("a", "b");
  slots.SetCallback(&callback);
  ASSERT_NE(slots.Start(kHttpMethodPost, ServerUrl(L"/echo?status=503").c_str()), 0);
  ASSERT_TRUE(callback.Wait());
  EXPECT_EQ(callback.state, kHttpTaskFinished);
  EXPECT_EQ(callback.status, 503);
  EXPECT_NE(callback.body.find("\"path\": \"/echo\""), std::string::npos) << callback.body;
  slots.Release();
}

TEST_F(HttpDll, UnreachableHostReportsFailureAndBadStartsReturnZero) {
  RecordingCallback callback;
  RequestSlots slots(NewRequest());
  slots.AddFormField("a", "b");
  slots.SetCallback(&callback);
  ASSERT_NE(slots.Start(kHttpMethodPost, L"http://127.0.0.1:1/echo"), 0);
  ASSERT_TRUE(callback.Wait());
  EXPECT_EQ(callback.calls, 1);
  EXPECT_EQ(callback.state, kHttpTaskFailed);
  EXPECT_EQ(callback.status, 0);
  EXPECT_EQ(callback.body, "");

  RecordingCallback never;
  slots.SetCallback(&never);
  EXPECT_EQ(slots.Start(3, ServerUrl(L"/echo").c_str()), 0);
  EXPECT_EQ(slots.Start(kHttpMethodPost, L"ftp://127.0.0.1/file"), 0);
  EXPECT_EQ(slots.Start(kHttpMethodPost, L"not a url"), 0);
  EXPECT_EQ(slots.Start(kHttpMethodPost, L""), 0);
  EXPECT_EQ(slots.Start(kHttpMethodPost, nullptr), 0);
  EXPECT_FALSE(never.Wait(300));
  slots.Release();
}

TEST_F(HttpDll, HeadersThatWouldBreakTheRequestAreRefused) {
  RecordingCallback callback;
  RequestSlots slots(NewRequest());
  slots.SetHeader("X-Injected", "a\r\nX-Evil: 1");
  slots.SetHeader("Bad Name", "x");
  slots.SetHeader("Content-Type", "multipart/form-data");
  slots.AddFormField("a", "b");
  slots.SetCallback(&callback);
  ASSERT_NE(slots.Start(kHttpMethodPost, ServerUrl(L"/echo").c_str()), 0);
  ASSERT_TRUE(callback.Wait());
  EXPECT_EQ(callback.status, 200);
  EXPECT_EQ(callback.body.find("error"), std::string::npos) << callback.body;
  slots.Release();
}

TEST_F(HttpDll, CancelAndUninitEndRunningRequests) {
  RecordingCallback cancelled;
  RequestSlots slots(NewRequest());
  slots.SetCallback(&cancelled);
  ASSERT_NE(slots.Start(kHttpMethodGet, ServerUrl(L"/slow").c_str()), 0);
  EXPECT_EQ(slots.GetState(), kHttpTaskRunning);
  // A running request cannot be started twice.
  EXPECT_EQ(slots.Start(kHttpMethodGet, ServerUrl(L"/slow").c_str()), 0);
  Sleep(200);
  // The cancellation is reported before Cancel returns, and only once.
  slots.Cancel();
  EXPECT_EQ(cancelled.calls, 1);
  EXPECT_EQ(cancelled.state, kHttpTaskCancelled);
  EXPECT_EQ(cancelled.status, 0);
  EXPECT_EQ(slots.GetState(), kHttpTaskCancelled);
  slots.Cancel();
  Sleep(2500);
  EXPECT_EQ(cancelled.calls, 1);
  slots.Release();

  RecordingCallback ended;
  RequestSlots running(NewRequest());
  running.SetCallback(&ended);
  ASSERT_NE(running.Start(kHttpMethodGet, ServerUrl(L"/slow").c_str()), 0);
  // The caller's reference may go before the request ends.
  running.Release();
  Sleep(200);
  win_util::GetProcAddressAs<HttpUninitFn>(module_, "HttpUninit")();
  // Uninit returns once the request has reported its end.
  EXPECT_EQ(ended.calls, 1);
  EXPECT_EQ(ended.state, kHttpTaskCancelled);

  // Shut: nothing starts until HttpInit opens the factory again.
  RequestSlots refused(NewRequest());
  EXPECT_EQ(refused.Start(kHttpMethodGet, ServerUrl(L"/gzip").c_str()), 0);
  refused.Release();
}

}  // namespace
