#include "tray/tray_message_handler.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/ipc/channel_names.h"
#include "shared/reg_key.h"
#include "basic_lib/win_util.h"
#include "support/test_hive.h"
#include "support/test_paths.h"
#include "tray/tray_arguments.h"
#include "tray/tray_state.h"

namespace {

IPC::Message IntMessage(uint32_t type, int32_t value) {
  IPC::Message message(IPC::kTrayRoutingId, type, IPC::kViewerMessagePriority);
  message.WriteInt(value);
  return message;
}

IPC::Message AssociationMessage(const std::string& extension, int32_t state) {
  IPC::Message message(IPC::kTrayRoutingId, IPC::kTrayAssociation, IPC::kViewerMessagePriority);
  message.WriteString(extension);
  message.WriteInt(state);
  return message;
}

class TrayHandler : public ::testing::Test {
 protected:
  TrayHandler()
      : hive_(L"tray"),
        scratch_(L"tray"),
        settings_(scratch_.File(L"config.ini")),
        state_(HKEY_CURRENT_USER, settings_),
        handler_(&state_, [this] { ++quits_; }) {}

  // The value stored under the tray's key, or -1.
  long Stored(const std::wstring& name, const std::wstring& subkey = L"") {
    companion::CRegKey key;
    DWORD value = 0;
    const std::wstring path =
        subkey.empty() ? CTrayState::kKeyPath : std::wstring(CTrayState::kKeyPath) + L"\\" + subkey;
    if (!key.Open(hive_.root(), path) || !key.GetDword(name, &value)) {
      return -1;
    }
    return static_cast<long>(value);
  }

  void Deliver(const IPC::Message& message) {
    // Through the bytes, as the channel hands them over.
    const IPC::Message view(static_cast<const char*>(message.data()),
                            static_cast<int>(message.size()));
    handler_.OnMessageReceived(view);
  }

  test_support::TestHive hive_;
  test_support::ScratchFolder scratch_;
  std::wstring settings_;
  CTrayState state_;
  int quits_ = 0;
  CTrayMessageHandler handler_;
};

TEST_F(TrayHandler, RecordsTheSettingsOfEachMessageType) {
  EXPECT_EQ(handler_.GetRoutingId(), 1);
  Deliver(IntMessage(IPC::kTrayQuickIndex, 0));
  EXPECT_EQ(Stored(L"quick_index"), 0);
  Deliver(IntMessage(IPC::kTrayQuickIndex, 1));
  EXPECT_EQ(Stored(L"quick_index"), 1);

  Deliver(IntMessage(IPC::kTrayHotkey, 1092));
  EXPECT_EQ(Stored(L"screenshot_hotkey"), 1092);
  EXPECT_EQ(GetPrivateProfileIntW(L"Default", L"sniptool_hotkey", -1, settings_.c_str()), 1092);
  // A settings file the tray program starts is UTF-16, like the viewer's.
  EXPECT_EQ(test_support::ReadFileBytes(settings_).substr(0, 2), "\xFF\xFE");

  Deliver(AssociationMessage("png", 1));
  Deliver(AssociationMessage("jpg", 0));
  Deliver(AssociationMessage("open", 1));
  EXPECT_EQ(Stored(L"png", L"Association"), 1);
  EXPECT_EQ(Stored(L"jpg", L"Association"), 0);
  EXPECT_EQ(Stored(L"default_viewer"), 1);

  Deliver(IntMessage(IPC::kTrayLockscreenEnable, 1));
  Deliver(IntMessage(IPC::kTrayLockscreenTime, 30));
  EXPECT_EQ(Stored(L"lockscreen_enable"), 1);
  EXPECT_EQ(Stored(L"lockscreen_time"), 30);
  EXPECT_EQ(quits_, 0);

  Deliver(IPC::Message(IPC::kTrayRoutingId, IPC::kTrayQuit, 2));
  EXPECT_EQ(quits_, 1);
}

TEST_F(TrayHandler, KeepsTheHotkeyOfAnExistingSettingsFile) {
  ASSERT_TRUE(test_support::WriteFileBytes(settings_, "[app]\r\nmax_zoom_ratio=8\r\n"));
  Deliver(IntMessage(IPC::kTrayHotkey, 0x0344));
  EXPECT_EQ(GetPrivateProfileIntW(L"Default", L"sniptool_hotkey", -1, settings_.c_str()), 0x0344);
  EXPECT_EQ(GetPrivateProfileIntW(L"app", L"max_zoom_ratio", -1, settings_.c_str()), 8);
}

TEST_F(TrayHandler, DropsPayloadsThatDoNotReadBackAsTheirType) {
  IPC::Message truncated_string(1, IPC::kTrayAssociation, 2);
  truncated_string.WriteInt(0x7FFFFFFF);
  truncated_string.WriteBytes("png", 3);
  IPC::Message negative_length(1, IPC::kTrayAssociation, 2);
  negative_length.WriteInt(-3);
  negative_length.WriteInt(1);
  const IPC::Message cases[] = {
      IPC::Message(1, IPC::kTrayQuickIndex, 2),  // no value
      IPC::Message(1, IPC::kTrayHotkey, 2),      // no value
      IntMessage(IPC::kTrayHotkey, 0x10044),     // bits above the modifiers
      IntMessage(IPC::kTrayHotkey, -1),
      truncated_string,
      negative_length,
      IPC::Message(1, IPC::kTrayAssociation, 2),  // no string
      AssociationMessage("../x", 1),
      AssociationMessage("JPG", 1),
      AssociationMessage("", 1),
      AssociationMessage("averyveryverylongextension", 1),
      AssociationMessage(std::string("p\0g", 3), 1),
      IntMessage(IPC::kTrayLockscreenTime, 0),
      IntMessage(IPC::kTrayLockscreenTime, -5),
      IntMessage(IPC::kTrayLockscreenTime, 7 * 24 * 60 + 1),
      IntMessage(99, 1),
  };
  for (const IPC::Message& message : cases) {
    Deliver(message);
  }
  // A string without its state.
  IPC::Message no_state(1, IPC::kTrayAssociation, 2);
  no_state.WriteString("gif");
  Deliver(no_state);
  // Bytes whose header does not fit their length.
  const char garbage[] = "\x40\0\0\0\x01\0\0\0\x04\0\0\0\0\0\0\0";
  handler_.OnMessageReceived(IPC::Message(garbage, 16));

  companion::CRegKey key;
  EXPECT_FALSE(key.Open(hive_.root(), CTrayState::kKeyPath));
  EXPECT_FALSE(win_util::PathExists(settings_));
  EXPECT_EQ(quits_, 0);
}

struct ArgumentsCase {
  const wchar_t* text;
  const wchar_t* from;
  bool hand_over;
  const wchar_t* viewer_arguments;
};

TEST(TrayArguments, FindsTheStartSourceAndTheViewersHandedOverArguments) {
  const ArgumentsCase cases[] = {
      {L"--from=main", L"main", false, L""},
      {L"", L"", false, L""},
      {L" --need-upgrade-privilege-now --entry=main --from=main", L"main", true, L""},
      {L"\"C:\\my pictures\\a.jpg\" --from=desktop --need-upgrade-privilege-now --entry=main "
       L"--from=main",
       L"main", true, L"\"C:\\my pictures\\a.jpg\" --from=desktop"},
      {L"\"C:\\x --need-upgrade-privilege-nowhere\\a.jpg\" --from=main", L"main", false, L""},
  };
  for (const ArgumentsCase& c : cases) {
    const TrayArguments parsed = ParseTrayArguments(c.text);
    EXPECT_EQ(parsed.from, c.from) << c.text;
    EXPECT_EQ(parsed.update_hand_over, c.hand_over) << c.text;
    EXPECT_EQ(parsed.viewer_arguments, c.viewer_arguments) << c.text;
  }
  EXPECT_EQ(ParseTrayArguments(L" --need-upgrade-privilege-now --entry=main --from=main").entry,
            L"main");
  EXPECT_EQ(ArgumentsOf(L"\"C:\\a b\\LumoraTray.exe\"  --from=main"), L"--from=main");
  EXPECT_EQ(ArgumentsOf(L"LumoraTray.exe --from=main"), L"--from=main");
  EXPECT_EQ(ArgumentsOf(L"LumoraTray.exe"), L"");
}

}  // namespace
