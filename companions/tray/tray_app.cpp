#include "tray/tray_app.h"

#include <shellapi.h>

#include "app/ipc/channel.h"
#include "app/ipc/channel_names.h"
#include "shared/companion_paths.h"
#include "tray/tray_arguments.h"
#include "tray/tray_message_handler.h"
#include "tray/tray_mutexes.h"
#include "tray/tray_state.h"
#include "tray/tray_window.h"

CTrayApp::CTrayApp(HINSTANCE instance)
    : instance_(instance), program_folder_(companion::ModuleFolder(nullptr)) {}

void CTrayApp::LaunchViewer(const std::wstring& arguments) {
  const std::wstring viewer = program_folder_ + L"Lumora.exe";
  ShellExecuteW(nullptr, L"open", viewer.c_str(), arguments.empty() ? nullptr : arguments.c_str(),
                program_folder_.c_str(), SW_SHOWNORMAL);
}

int CTrayApp::Run(const std::wstring& arguments) {
  const TrayArguments parsed = ParseTrayArguments(arguments);
  CTrayMutexes mutexes;
  if (!mutexes.Acquire()) {
    return 0;
  }

  CChannel channel;
  CTrayWindow window({
      [this] { LaunchViewer(L"--from=tray"); },
      [&channel] {
        // The user ends the tray program: the viewers close with it.
        const IPC::Message quit(IPC::kMainWindowRoutingId, IPC::kTrayQuit,
                                IPC::kViewerMessagePriority);
        channel.SendToEveryPeer(quit, 0);
      },
  });
  if (!window.Create(instance_)) {
    return 1;
  }
  CTrayState state(HKEY_CURRENT_USER, companion::DataFolder() + L"config.ini");
  CTrayMessageHandler handler(&state, [&window] { window.Quit(); });
  if (channel.Connect(IPC::kTrayChannelName, false)) {
    channel.AddListener(&handler);
  }

  // A viewer that handed its start over for an update: there is no update of
  // ours to run, so the viewer starts again with its own arguments (it goes
  // on normally now that the tray program runs).
  if (parsed.update_hand_over) {
    LaunchViewer(parsed.viewer_arguments);
  }

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  channel.RemoveListener(&handler);
  channel.Close();
  return 0;
}
