#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/ipc/ipc_message.h"
#include "framework/handle.h"
#include "integration/association_module.h"

class CAppConfig;

// Making the viewer the default program for pictures: the start-up check,
// the routine that applies the user's choice, and the test of the user's
// choice for one type.
namespace default_viewer {

// Held while association work runs, by any process of the viewer.
constexpr const char* kAssociationMutexName = "LmMainSetFileAssociation-9c1a7e1574578709";
// The per-type choices of the settings dialog, in the data folder.
constexpr const wchar_t* kUserAssocFileName = L"user_assoc.ini";

// The user's choice of program for extension (without the dot) names this
// viewer: the "ProgId" of the type's UserChoice key under
// HKEY_CURRENT_USER is "Lumora." + extension, ignoring case.
bool IsAssociated(const std::wstring& extension);

// Hands a message to the tray program.
using TraySender = std::function<void(const IPC::Message&)>;

// The tray message of a default-viewer change: type 4, "open" and value.
IPC::Message DefaultViewerTrayMessage(int value);

// The user's choice: records it (user_set_default_viewer, saved), makes the
// viewer the default (1) or stops it being the default (0) through the
// module, and tells the tray program.
void SetDefaultViewer(int value, CAppConfig& config, const CAssociationModule& module,
                      const TraySender& send_to_tray);

// The user accepted the start-up prompt: the per-type choices are
// forgotten (their file is deleted), set_default_viewer becomes 1, the
// settings are saved and the viewer becomes the default.
void AcceptStartPrompt(CAppConfig& config, const CAssociationModule& module,
                       const TraySender& send_to_tray);

// The check itself: set_default_viewer follows the module's answer; when
// the viewer is no longer the default and the prompt is still wanted,
// UM_DEFAULT_VIEWER_PROMPT is posted to main_window.
void RunStartCheck(CAppConfig& config, const CAssociationModule& module, HWND main_window);

}  // namespace default_viewer

// The start-up check on its own thread. It runs only when no other process
// is changing the association (the association mutex is free) and holds
// the mutex while it runs. The thread handle is kept until the thread has
// ended; destruction waits for it without limit.
class CStartDefaultViewerCheck {
 public:
  CStartDefaultViewerCheck() = default;
  ~CStartDefaultViewerCheck() { Wait(); }
  CStartDefaultViewerCheck(const CStartDefaultViewerCheck&) = delete;
  CStartDefaultViewerCheck& operator=(const CStartDefaultViewerCheck&) = delete;

  // False when the check is skipped (the mutex is taken, a check already
  // runs, or the thread cannot start). config must outlive the thread.
  bool Start(HWND main_window, CAppConfig* config, CAssociationModule module);
  // Waits for the thread to end and closes its handle.
  void Wait();
  bool started() const { return thread_.IsValid(); }

 private:
  CHandle thread_;
};
