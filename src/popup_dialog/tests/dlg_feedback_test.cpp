#include "popup_dialog/dlg_feedback.h"

#include <cJSON.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/app_config.h"
#include "integration/http_module.h"
#include "main_messages.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "support/message_pump.h"
#include "support/screenshots.h"
#include "support/test_hive.h"
#include "support/test_paths.h"
#include "toolkit/ui_edit.h"
#include "view_render/message_window.h"

namespace {

std::wstring ZudadPath() { return test_support::DistFolder() + L"\\zudad.dll"; }

// "http://127.0.0.1:PORT" of the HTTP module's test server.
std::wstring ServerAddress() {
  wchar_t file[MAX_PATH] = {};
  GetEnvironmentVariableW(L"LUMORA_HTTP_PORT_FILE", file, MAX_PATH);
  const std::string port = test_support::ReadFileBytes(file);
  return L"http://127.0.0.1:" + std::wstring(port.begin(), port.end());
}

// A request's completion, waited for on the test's thread.
class Completion : public IHttpTaskCallback {
 public:
  Completion() : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  virtual ~Completion() { CloseHandle(done_); }
  void __stdcall OnHttpTaskComplete(int, int http_status, const char* text, int length) override {
    status = http_status;
    body.assign(text, static_cast<size_t>(length));
    SetEvent(done_);
  }
  bool Wait() { return WaitForSingleObject(done_, 10000) == WAIT_OBJECT_0; }
  int status = 0;
  std::string body;

 private:
  HANDLE done_;
};

// What the stand-in service last received in mode, as its JSON report;
// null when nothing arrived.
cJSON* Received(const std::wstring& mode) {
  IHttpTaskFactory* factory = CHttpModule::Factory(ZudadPath());
  if (!factory) {
    return nullptr;
  }
  IHttpTask* request = factory->CreateTask();
  Completion completion;
  request->SetCallback(&completion);
  const std::wstring url = ServerAddress() + L"/received/" + mode;
  const bool answered = request->Start(kHttpMethodGet, url.c_str()) && completion.Wait();
  request->Release();
  return answered && completion.status == 200 ? cJSON_Parse(completion.body.c_str()) : nullptr;
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

// A settings file of the test's own naming the service's address.
class Sandbox {
 public:
  explicit Sandbox(const std::wstring& service) {
    if (!service.empty()) {
      WritePrivateProfileStringW(L"app", L"feedback_service", service.c_str(), settings_.c_str());
    }
    config_ = std::make_unique<CAppConfig>(settings_, test_support::DistFolder() + L"\\locales\\");
  }
  CAppConfig* config() const { return config_.get(); }

 private:
  test_support::ScratchFolder folder_{L"feedback-dialog"};
  std::wstring settings_ = folder_.File(L"config.ini");
  std::unique_ptr<CAppConfig> config_;
};

// Stands in for the main window: message 33284 deletes the dialog.
class DeletingOwner : public FCMessageWindow {
 public:
  explicit DeletingOwner(std::unique_ptr<CFeedbackDlg>* dialog) : dialog_(dialog) {
    CreateMessageWindow(nullptr);
  }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == UM_FEEDBACK_CLOSED) {
      ++closed;
      dialog_->reset();
      return 0;
    }
    return FCMessageWindow::HandleMessage(message, wparam, lparam);
  }
  int closed = 0;

 private:
  std::unique_ptr<CFeedbackDlg>* dialog_;
};

CControlUI* Control(WindowImplBase& window, const wchar_t* name) {
  return window.GetPaintManager().FindControl(name);
}

HWND NativeEdit(WindowImplBase& window, const wchar_t* name) {
  auto* edit = static_cast<CEditUI*>(Control(window, name));
  return edit ? edit->GetNativeWindow() : nullptr;
}

// Replaces the text of a native edit as typing does: a multi-line edit
// reports no change for WM_SETTEXT.
void Replace(HWND native, const wchar_t* text) {
  SendMessageW(native, EM_SETSEL, 0, -1);
  SendMessageW(native, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

// Types into an edit through its native window, as a user would.
void Type(WindowImplBase& window, const wchar_t* name, const wchar_t* text) {
  HWND native = NativeEdit(window, name);
  ASSERT_NE(native, nullptr) << name;
  SetFocus(native);
  Replace(native, text);
}

bool TipShown(WindowImplBase& window, const wchar_t* name) {
  CControlUI* tip = Control(window, name);
  return tip && tip->IsVisible();
}

// Ends a modal run that is still going after its time with result 99, so a
// dialog that never closes fails the test instead of hanging it.
class Watchdog {
 public:
  explicit Watchdog(DWORD ms) : timer_(SetTimer(nullptr, 0, ms, OnTimer)) {}
  ~Watchdog() { KillTimer(nullptr, timer_); }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND dialog = skin_test::FindThreadWindow(L"CFeedbackDlg")) {
      PostMessageW(dialog, WM_CLOSE, 99, 0);
    }
  }
  UINT_PTR timer_;
};

// The fields as a user fills them in, valid.
void FillIn(WindowImplBase& window) {
  Type(window, L"content", L"  Zooming a large TIFF is slow.\r\n");
  Type(window, L"email", L" user@example.com ");
  Type(window, L"phone", L"13912345678");
}

class FeedbackDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    // GetOsVersion's module, as the viewer has it loaded.
    common_ = LoadLibraryW((test_support::DistFolder() + L"\\common.dll").c_str());
    ASSERT_NE(common_, nullptr);
  }
  void TearDown() override { FreeLibrary(common_); }

  std::unique_ptr<CFeedbackDlg> MakeDialog(const Sandbox& sandbox) {
    auto dialog = std::make_unique<CFeedbackDlg>(sandbox.config());
    dialog->set_http_module(ZudadPath());
    dialog->set_os_version([] { return std::wstring(L"Windows 10 test machine"); });
    return dialog;
  }

  skin_test::SkinEnvironment env_;
  test_support::TestHive hive_{L"feedback"};
  HMODULE common_ = nullptr;
};

TEST(FeedbackCheck, ContentEmailAndPhoneRules) {
  struct Case {
    const wchar_t* content;
    bool placeholder;
    const wchar_t* email;
    const wchar_t* phone;
    bool content_ok, email_ok, phone_ok;
  };
  const Case cases[] = {
      {L"It crashes", false, L"a@b", L"13812345678", true, true, true},
      {L"", false, L"a@b", L"13812345678", false, true, true},
      {L" \t\r\n ", false, L"a@b", L"13812345678", false, true, true},
      {CFeedbackDlg::kPlaceholder, true, L"a@b", L"13812345678", false, true, true},
      {L"x", false, L"user.example.com", L"13812345678", true, false, true},
      {L"x", false, L"", L"13812345678", true, false, true},
      // Mobile numbers: eleven digits, "1", then one of 3 to 8.
      {L"x", false, L"@", L" 13812345678 ", true, true, true},
      {L"x", false, L"@", L"14812345678", true, true, true},
      {L"x", false, L"@", L"18812345678", true, true, true},
      {L"x", false, L"@", L"12812345678", true, true, false},
      {L"x", false, L"@", L"19812345678", true, true, false},
      {L"x", false, L"@", L"23812345678", true, true, false},
      {L"x", false, L"@", L"138123456789", true, true, false},
      {L"x", false, L"@", L"1381234567", true, true, false},
      {L"x", false, L"@", L"1381234567a", true, true, false},
      {L"x", false, L"@", L"", true, true, false},
  };
  for (const Case& c : cases) {
    const FeedbackCheck check = CFeedbackDlg::Check(c.content, c.placeholder, c.email, c.phone);
    EXPECT_EQ(check.content, c.content_ok) << c.content;
    EXPECT_EQ(check.email, c.email_ok) << c.email;
    EXPECT_EQ(check.phone, c.phone_ok) << c.phone;
    EXPECT_EQ(check.AllValid(), c.content_ok && c.email_ok && c.phone_ok);
  }
}

TEST(FeedbackReply, AcceptedRefusedAndUnreadableBodies) {
  struct Case {
    const char* body;
    FeedbackReply::Outcome outcome;
    const char* message;
  };
  const Case cases[] = {
      {R"({"errno":0,"msg":"ok"})", FeedbackReply::kAccepted, ""},
      {R"({"msg":"no number"})", FeedbackReply::kAccepted, ""},
      {R"({"errno":"5","msg":"a text, not a number"})", FeedbackReply::kAccepted, ""},
      {R"({"errno":0.0})", FeedbackReply::kAccepted, ""},
      {R"({"errno":4001,"msg":"\u624b\u673a"})", FeedbackReply::kServiceError,
       "\xe6\x89\x8b\xe6\x9c\xba"},
      {R"({"errno":0.5,"msg":"half"})", FeedbackReply::kServiceError, "half"},
      {R"({"errno":1e300,"msg":"huge"})", FeedbackReply::kServiceError, "huge"},
      {R"({"errno":-1})", FeedbackReply::kServiceError, ""},
      {R"({"errno":7,"msg":12})", FeedbackReply::kServiceError, ""},
      {"<html>Sign in</html>", FeedbackReply::kUnreadable, ""},
      {"[1,2]", FeedbackReply::kUnreadable, ""},
      {"", FeedbackReply::kUnreadable, ""},
      {R"({"errno":1,"msg":"cut)", FeedbackReply::kUnreadable, ""},
  };
  for (const Case& c : cases) {
    const FeedbackReply reply = ReadFeedbackReply(c.body);
    EXPECT_EQ(reply.outcome, c.outcome) << c.body;
    EXPECT_EQ(reply.message, c.message) << c.body;
  }
}

TEST(FeedbackService, AddressFromTheSettingsFileElseTheLanguageFile) {
  EXPECT_EQ(CFeedbackDlg::ServiceUrl(*Sandbox(L"").config()),
            L"http://feedback.lumora.example/live/intf/addFeedback");
  EXPECT_EQ(CFeedbackDlg::ServiceUrl(*Sandbox(L" http://127.0.0.1:8080/ ").config()),
            L"http://127.0.0.1:8080/live/intf/addFeedback");
}

// Invalid fields show their hints and send nothing; "fbdata" is written on
// every commit; the placeholder comes and goes with the focus.
TEST_F(FeedbackDialog, HintsPlaceholderAndTheSavedTime) {
  Sandbox sandbox(ServerAddress() + L"/hints");
  std::unique_ptr<CFeedbackDlg> dialog = MakeDialog(sandbox);
  DeletingOwner owner(&dialog);
  dialog->set_notify_window(owner.hwnd);
  CFeedbackDlg* raw = dialog.get();

  skin_test::ModalDriver driver;
  driver.Then(L"CFeedbackDlg", [&](WindowImplBase& window) {
    auto* content = static_cast<CEditUI*>(Control(window, L"content"));
    ASSERT_NE(content, nullptr);
    EXPECT_EQ(content->GetText(), CFeedbackDlg::kPlaceholder);
    EXPECT_EQ(content->GetTextColor(), CFeedbackDlg::kPlaceholderColor);
    EXPECT_TRUE(raw->placeholder_shown());
    for (const wchar_t* tip : {L"content_tip", L"email_tip", L"phone_tip"}) {
      EXPECT_FALSE(TipShown(window, tip)) << tip;
    }
    test_support::SaveScreenPng(skin_test::ScreenRect(window.GetHWND()), L"feedback_empty");

    // Only the placeholder: every hint shows, and the time is kept.
    skin_test::ClickControl(window, L"commit");
    test_support::PumpUntil([&] { return TipShown(window, L"phone_tip"); }, 3000);
    for (const wchar_t* tip : {L"content_tip", L"email_tip", L"phone_tip"}) {
      EXPECT_TRUE(TipShown(window, tip)) << tip;
    }
    wchar_t saved[64] = {};
    DWORD size = sizeof(saved);
    ASSERT_EQ(RegGetValueW(hive_.root(), L"Software\\Lumora", L"fbdata", RRF_RT_REG_SZ, nullptr,
                           saved, &size),
              ERROR_SUCCESS);
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    EXPECT_EQ(
        swscanf(saved, L"%4d-%2d-%2d %2d:%2d:%2d", &year, &month, &day, &hour, &minute, &second), 6)
        << saved;
    EXPECT_EQ(wcslen(saved), 19u) << saved;
    EXPECT_EQ(year, now.wYear);
    test_support::SaveScreenPng(skin_test::ScreenRect(window.GetHWND()), L"feedback_hints");

    // Focus clears the placeholder; typing gives the text colour and hides
    // the hint; leaving an empty box brings the placeholder back.
    SetFocus(NativeEdit(window, L"content"));
    EXPECT_FALSE(raw->placeholder_shown());
    EXPECT_EQ(content->GetText(), L"");
    Replace(NativeEdit(window, L"content"), L"It");
    EXPECT_FALSE(TipShown(window, L"content_tip"));
    EXPECT_EQ(content->GetTextColor(), CFeedbackDlg::kTextColor);
    Replace(NativeEdit(window, L"content"), L"");
    SetFocus(NativeEdit(window, L"email"));
    EXPECT_TRUE(raw->placeholder_shown());
    EXPECT_EQ(content->GetText(), CFeedbackDlg::kPlaceholder);

    // Editing a field hides its hint; a second commit checks again.
    Type(window, L"email", L"user@example.com");
    EXPECT_FALSE(TipShown(window, L"email_tip"));
    Type(window, L"phone", L"12812345678");
    EXPECT_FALSE(TipShown(window, L"phone_tip"));
    Type(window, L"content", L"It crashes");
    RegDeleteKeyValueW(hive_.root(), L"Software\\Lumora", L"fbdata");
    skin_test::ClickControl(window, L"commit");
    test_support::PumpUntil([&] { return TipShown(window, L"phone_tip"); }, 3000);
    EXPECT_TRUE(TipShown(window, L"phone_tip"));
    EXPECT_FALSE(TipShown(window, L"content_tip"));
    EXPECT_FALSE(TipShown(window, L"email_tip"));
    // Twelve digits are no mobile number either (the box takes them all).
    Type(window, L"phone", L"138123456789");
    EXPECT_FALSE(TipShown(window, L"phone_tip"));
    skin_test::ClickControl(window, L"commit");
    test_support::PumpUntil([&] { return TipShown(window, L"phone_tip"); }, 3000);
    EXPECT_TRUE(TipShown(window, L"phone_tip"));
    size = sizeof(saved);
    EXPECT_EQ(RegGetValueW(hive_.root(), L"Software\\Lumora", L"fbdata", RRF_RT_REG_SZ, nullptr,
                           saved, &size),
              ERROR_SUCCESS);
    skin_test::ClickControl(window, L"cls");
  });
  Watchdog watchdog(20000);
  raw->DoModal(nullptr);
  EXPECT_EQ(driver.done(), 1u);
  EXPECT_EQ(owner.closed, 1);
  EXPECT_EQ(dialog, nullptr);
  // Nothing was sent.
  cJSON* received = Received(L"hints");
  EXPECT_EQ(received, nullptr);
  cJSON_Delete(received);
  EXPECT_TRUE(env_.failures().empty());
}

// A valid report goes as a multipart form in the fields' order; the
// service's acceptance closes the dialog.
TEST_F(FeedbackDialog, SendsTheFormAndClosesWhenAccepted) {
  Sandbox sandbox(ServerAddress() + L"/good");
  std::unique_ptr<CFeedbackDlg> dialog = MakeDialog(sandbox);
  DeletingOwner owner(&dialog);
  dialog->set_notify_window(owner.hwnd);

  skin_test::ModalDriver driver;
  driver.Then(L"CFeedbackDlg", [&](WindowImplBase& window) {
    FillIn(window);
    test_support::SaveScreenPng(skin_test::ScreenRect(window.GetHWND()), L"feedback_filled");
    skin_test::ClickControl(window, L"commit");
  });
  Watchdog watchdog(15000);
  EXPECT_EQ(dialog->DoModal(nullptr), 0u);
  EXPECT_EQ(owner.closed, 0);
  EXPECT_EQ(dialog->last_report().kind, "3");

  cJSON* report = Received(L"good");
  ASSERT_NE(report, nullptr);
  EXPECT_STREQ(cJSON_GetObjectItem(report, "method")->valuestring, "POST");
  EXPECT_STREQ(cJSON_GetObjectItem(report, "path")->valuestring, "/good/live/intf/addFeedback");
  EXPECT_EQ(std::string(cJSON_GetObjectItem(report, "content_type")->valuestring)
                .rfind("multipart/form-data; boundary=", 0),
            0u);
  EXPECT_STREQ(cJSON_GetObjectItem(report, "content_encoding")->valuestring, "");
  const cJSON* error = cJSON_GetObjectItem(report, "error");
  EXPECT_EQ(error, nullptr) << (error ? error->valuestring : "");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"suggest", "Zooming a large TIFF is slow."},
      {"email", "user@example.com"},
      {"phone", "13912345678"},
      {"type", "25"},
      {"system", "Windows 10 test machine"}};
  cJSON* fields = cJSON_GetObjectItem(report, "fields");
  ASSERT_EQ(cJSON_GetArraySize(fields), static_cast<int>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    cJSON* pair = cJSON_GetArrayItem(fields, static_cast<int>(i));
    EXPECT_STREQ(cJSON_GetArrayItem(pair, 0)->valuestring, expected[i].first.c_str());
    EXPECT_EQ(cJSON_GetArrayItem(pair, 1)->valuestring, Hex(expected[i].second))
        << expected[i].first;
  }
  cJSON_Delete(report);
}

// Every answer but acceptance keeps the form open with a message in the
// phone hint: the service's own text, else the network error.
TEST_F(FeedbackDialog, RefusalsErrorsAndTimeOutsShowTheirMessage) {
  struct Case {
    std::wstring address;
    const wchar_t* expected;
  };
  const std::wstring server = ServerAddress();
  const Case cases[] = {
      {server + L"/refused", L"手机号码已停用"},
      {server + L"/refusedquiet", CFeedbackDlg::kNetworkError},
      {server + L"/badjson", CFeedbackDlg::kNetworkError},
      {server + L"/status500", CFeedbackDlg::kNetworkError},
      {server + L"/slow", CFeedbackDlg::kNetworkError},
      {L"http://127.0.0.1:1", CFeedbackDlg::kNetworkError},
      {L"not an address", CFeedbackDlg::kNetworkError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.address.c_str());
    Sandbox sandbox(c.address);
    std::unique_ptr<CFeedbackDlg> dialog = MakeDialog(sandbox);
    dialog->set_timeout_ms(1500);
    std::wstring shown;
    bool still_open = false;
    skin_test::ModalDriver driver;
    driver.Then(L"CFeedbackDlg", [&](WindowImplBase& window) {
      FillIn(window);
      skin_test::ClickControl(window, L"commit");
      test_support::PumpUntil([&] { return TipShown(window, L"phone_tip"); }, 10000);
      shown = Control(window, L"phone_tip")->GetText();
      test_support::PumpFor(200);
      still_open = IsWindow(window.GetHWND()) && IsWindowVisible(window.GetHWND());
      if (c.address == server + L"/refused") {
        test_support::SaveScreenPng(skin_test::ScreenRect(window.GetHWND()), L"feedback_refused");
      }
      window.Close(2);
    });
    Watchdog watchdog(20000);
    EXPECT_EQ(dialog->DoModal(nullptr), 2u);
    EXPECT_EQ(shown, c.expected);
    EXPECT_TRUE(still_open);
  }
}

// Closing the form while the service has not answered cancels the request:
// the dialog goes at once, and no completion reaches the deleted object.
TEST_F(FeedbackDialog, DeletingTheDialogWhileSendingCancelsTheRequest) {
  Sandbox sandbox(ServerAddress() + L"/slow");
  std::unique_ptr<CFeedbackDlg> dialog = MakeDialog(sandbox);
  DWORD deleted_after = 0;
  skin_test::ModalDriver driver;
  driver.Then(L"CFeedbackDlg", [&](WindowImplBase& window) {
    FillIn(window);
    skin_test::ClickControl(window, L"commit");
    // A second commit replaces the first request.
    test_support::PumpFor(300);
    skin_test::ClickControl(window, L"commit");
    test_support::PumpFor(500);
    const DWORD start = GetTickCount();
    dialog.reset();
    deleted_after = GetTickCount() - start;
  });
  Watchdog watchdog(20000);
  dialog->DoModal(nullptr);
  EXPECT_EQ(dialog, nullptr);
  // The service answers after five seconds; the dialog did not wait for it.
  EXPECT_LT(deleted_after, 4000u);
  test_support::PumpFor(300);
}

}  // namespace
